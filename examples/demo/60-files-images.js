'use strict';
// Files, the save sheet and images: write a file, ask where to save, shrink a picture.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { rgbPng } = require('./lib/png');

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
    fs.writeFileSync(source, rgbPng(400, 300, (x, y) => [(255 * x) / 400, (255 * y) / 300, 200]));
    const scaled = native.scaleImage(source, 'JPEG', 100, 100);
    say(`scaleImage(gradient.png 400x300, JPEG, 100, 100) -> ${scaled}`);
    say(`isWebImagePath(result) -> ${native.isWebImagePath(scaled)}, of the folder -> ${native.isWebImagePath(dir)}`);
    fs.rmSync(dir, { recursive: true, force: true });
    if (scaled) fs.rmSync(scaled, { force: true });
  },
};
