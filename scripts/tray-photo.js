'use strict';
// A photograph of an X display, as the tray shows it: xwd's dump of the root window read into
// RGB pixels, what changed between two, and a part of one as PNG. Used by the tray tests and the demo.
const { execFile } = require('node:child_process');
const fs = require('node:fs');
const zlib = require('node:zlib');

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

// The part of a photograph in `box` ({left, top, width, height}) as PNG bytes.
function toPNG({ width, rgb }, box) {
  const row = box.width * 3 + 1;
  const raw = Buffer.alloc(row * box.height);
  for (let y = 0; y < box.height; y++) {
    const from = ((box.top + y) * width + box.left) * 3;
    rgb.copy(raw, y * row + 1, from, from + box.width * 3);
  }
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc = (bytes) => {
    let c = 0xffffffff;
    for (const byte of bytes) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type), data]);
    const framed = Buffer.alloc(body.length + 8);
    framed.writeUInt32BE(data.length, 0);
    body.copy(framed, 4);
    framed.writeUInt32BE(crc(body), body.length + 4);
    return framed;
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(box.width, 0);
  header.writeUInt32BE(box.height, 4);
  header[8] = 8; // bits a channel
  header[9] = 2; // RGB
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}

module.exports = { readXwd, photograph, changedPixels, toPNG };
