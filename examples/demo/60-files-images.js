'use strict';
// Files, the save sheet and images: write a file, ask where to save, shrink a picture.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');

// A small gradient PNG, so the scene needs no picture on disk.
function gradientPng(width, height) {
  const crc = (bytes) => {
    let c = 0xffffffff;
    for (const b of bytes) {
      c ^= b;
      for (let k = 0; k < 8; ++k) c = (c >>> 1) ^ (0xedb88320 & -(c & 1));
    }
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type), data]);
    const head = Buffer.alloc(4);
    head.writeUInt32BE(data.length);
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc(body));
    return Buffer.concat([head, body, tail]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);
  const rows = Buffer.alloc(height * (1 + width * 3));
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      rows.set([(255 * x) / width, (255 * y) / height, 200], y * (1 + width * 3) + 1 + x * 3);
    }
  }
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

module.exports = {
  title: 'Files, save dialog and images',
  async run({ native, platform, say }) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-demo-'));
    const note = path.join(dir, 'note.txt');
    say(`writeFile(note.txt, atomic) -> ${native.writeFile(note, Buffer.from('hello'), true)}`);
    say(`it holds "${fs.readFileSync(note, 'utf8')}"`);
    say(`writeFile into a missing folder -> ${native.writeFile(path.join(dir, 'no', 'x'), Buffer.from('x'), true)}`);

    const window = platform.createWindow('AtomNSWindow', 'Velquarin');
    const chosen = new Promise((resolve) => native.showFileDialog(window,
      JSON.stringify({ 'destination-path': dir, filename: 'invoice.pdf' }), (...args) => resolve(args)));
    say(`the save sheet shows ${JSON.stringify(platform.savePanel(window))}`);
    native.showFileDialog(window, '{}', (...args) => say(`a second dialog meanwhile is answered at once with ${args.length} arguments`));
    platform.endSavePanel(window, 'invoice-march.pdf');
    say(`the user saved: the callback got ${JSON.stringify(await chosen)}`);
    platform.closeWindow(window);

    const source = path.join(dir, 'gradient.png');
    fs.writeFileSync(source, gradientPng(400, 300));
    const scaled = native.scaleImage(source, 'JPEG', 100, 100);
    say(`scaleImage(gradient.png 400x300, JPEG, 100, 100) -> ${scaled}`);
    say(`isWebImagePath(result) -> ${native.isWebImagePath(scaled)}, of the folder -> ${native.isWebImagePath(dir)}`);
    fs.rmSync(dir, { recursive: true, force: true });
    if (scaled) fs.rmSync(scaled, { force: true });
  },
};
