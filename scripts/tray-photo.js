'use strict';
// A photograph of an X display, as the tray shows it: xwd's dump of the root window read into
// RGB pixels, and where a colour shows in it. Used by the tray tests and the demo.
const { execFile } = require('node:child_process');
const fs = require('node:fs');

// xwd's format: a big-endian header (the fields below, by index), the window name, the
// colour map (12 bytes an entry), then the rows.
const FIELD = { headerSize: 0, format: 2, depth: 3, width: 4, height: 5, byteOrder: 7,
  bitsPerPixel: 11, bytesPerLine: 12, redMask: 14, greenMask: 15, blueMask: 16, colours: 19 };
const Z_PIXMAP = 2;

function readXwd(data) {
  const field = (name) => data.readUInt32BE(FIELD[name] * 4);
  if (data.length < 100 || field('format') !== Z_PIXMAP || field('bitsPerPixel') < 24) {
    throw new Error('not a true-colour ZPixmap xwd dump');
  }
  const width = field('width');
  const height = field('height');
  const stride = field('bytesPerLine');
  // Xvfb's depth 24 says 24 bits a pixel yet stores 4 bytes: the row length tells.
  const bytes = stride >= width * 4 ? 4 : 3;
  const start = field('headerSize') + field('colours') * 12;
  if (start + stride * height > data.length || stride < width * bytes) {
    throw new Error('xwd dump shorter than its header says');
  }
  const littleEndian = field('byteOrder') === 0;
  const shifts = ['redMask', 'greenMask', 'blueMask'].map((mask) => {
    const value = field(mask);
    return value ? Math.log2(value & -value) : 0;
  });
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const at = start + y * stride + x * bytes;
      const pixel = littleEndian ? data.readUIntLE(at, bytes) : data.readUIntBE(at, bytes);
      for (let c = 0; c < 3; c++) rgb[(y * width + x) * 3 + c] = (pixel >>> shifts[c]) & 0xff;
    }
  }
  return { width, height, rgb };
}

// Photographs the root window of `display`; keeps the dump at `file` when one is given.
function photograph(display, file) {
  return new Promise((resolve, reject) => {
    execFile('xwd', ['-root', '-silent', '-display', display], { encoding: 'buffer',
      maxBuffer: 64 * 1024 * 1024 }, (error, stdout) => {
      if (error) return reject(error);
      if (file) fs.writeFileSync(file, stdout);
      try {
        resolve(readXwd(stdout));
      } catch (failure) {
        reject(failure);
      }
    });
  });
}

// How many pixels of `after` differ from `before` (same size) in the rows above `rows`, and
// the box around them.
function changedPixels(before, after, rows = after.height) {
  const found = { count: 0, left: after.width, top: rows, right: -1, bottom: -1 };
  for (let y = 0; y < Math.min(rows, after.height); y++) {
    for (let x = 0; x < after.width; x++) {
      const at = (y * after.width + x) * 3;
      if (before.rgb.subarray(at, at + 3).equals(after.rgb.subarray(at, at + 3))) continue;
      found.count++;
      found.left = Math.min(found.left, x);
      found.right = Math.max(found.right, x);
      found.top = Math.min(found.top, y);
      found.bottom = Math.max(found.bottom, y);
    }
  }
  return found;
}

// How many pixels are within `tolerance` of [r, g, b], and the box around them.
function findColour({ width, height, rgb }, [r, g, b], tolerance = 24) {
  const found = { count: 0, left: width, top: height, right: -1, bottom: -1 };
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const at = (y * width + x) * 3;
      if (Math.abs(rgb[at] - r) > tolerance || Math.abs(rgb[at + 1] - g) > tolerance ||
        Math.abs(rgb[at + 2] - b) > tolerance) continue;
      found.count++;
      found.left = Math.min(found.left, x);
      found.right = Math.max(found.right, x);
      found.top = Math.min(found.top, y);
      found.bottom = Math.max(found.bottom, y);
    }
  }
  return found;
}

module.exports = { readXwd, photograph, changedPixels, findColour };
