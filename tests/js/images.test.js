'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { loadModule, loadPlatform, runChild } = require('./support');

const native = loadModule();
const sharpPath = require.resolve('sharp');
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'images-test-'));

// sharp runs in a child of its own (it brings its own libvips): it makes the fixtures and
// reads back what the module wrote, so neither side checks itself.
async function withSharp(body) {
  const { code, stdout, stderr } = await runChild(`
    const sharp = require(${JSON.stringify(sharpPath)});
    (async () => { ${body} })().then((value) => console.log(JSON.stringify(value ?? null)),
      (error) => { console.error(error); process.exit(1); });
  `, { timeoutMs: 60000 });
  assert.equal(code, 0, stderr);
  return JSON.parse(stdout.trim().split('\n').at(-1));
}

const metadata = (files) => withSharp(`
  const out = [];
  for (const file of ${JSON.stringify(files)}) {
    const { width, height, format, hasAlpha } = await sharp(file).metadata();
    out.push({ width, height, format, hasAlpha });
  }
  return out;`);

const photo = path.join(scratch, 'photo.jpg');
const icon = path.join(scratch, 'icon.png');

test.before(async () => {
  await withSharp(`
    await sharp({ create: { width: 4000, height: 3000, channels: 3, background: '#4F8CF8' } })
      .jpeg().toFile(${JSON.stringify(photo)});
    await sharp({ create: { width: 300, height: 200, channels: 4, background: { r: 0, g: 0, b: 0, alpha: 0.5 } } })
      .png().toFile(${JSON.stringify(icon)});`);
});

test('isWebImagePath answers 1 or 0 from the file type', () => {
  for (const name of ['a.GIF', 'b.pdf', 'c.jpx', 'd.tiff', 'e.heic']) fs.writeFileSync(path.join(scratch, name), 'x');
  fs.mkdirSync(path.join(scratch, 'x.png'));
  const answer = (name) => native.isWebImagePath(path.join(scratch, name));
  assert.equal(answer('missing.png'), 0);
  assert.equal(answer('a.GIF'), 1);
  assert.equal(answer('b.pdf'), 0);
  assert.equal(answer('c.jpx'), 1);
  assert.equal(answer('d.tiff'), 1);
  assert.equal(answer('e.heic'), 0);
  assert.equal(answer('x.png'), 0);
  assert.equal(answer('photo.jpg'), 1);
  assert.throws(() => native.isWebImagePath(3), TypeError);
  assert.throws(() => native.isWebImagePath(), TypeError);
});

test('scaleImage fits into the maxima and writes the type asked for', async () => {
  const fitted = native.scaleImage(photo, 'JPEG', 1000, 1000);
  const again = native.scaleImage(photo, 'JPG', 1000, 1000);
  const full = native.scaleImage(photo, 'JPEG', 0, 0);
  const negative = native.scaleImage(photo, 'PNG', -5, 500);
  const lowerCase = native.scaleImage(icon, 'jpg', 64, 64);
  const gif = native.scaleImage(icon, 'GIF', 1000, 1000);
  for (const file of [fitted, again, full, negative, lowerCase, gif]) {
    assert.equal(typeof file, 'string');
    assert.ok(file.startsWith(os.tmpdir()), file);
  }
  assert.equal(path.basename(fitted), 'photo.jpg');
  assert.equal(path.basename(again), 'photo-1.jpg');
  assert.equal(path.basename(lowerCase), 'icon.png');  // unknown name: PNG
  loadPlatform().flushLogs();
  assert.match(fs.readFileSync(loadPlatform().logFile(), 'utf8'),
    /\[warning\] VelquarinNative:\d+ \S+ \[[^\]]*\] \[WARN\] Don't know about file type jpg assuming PNG$/m);
  assert.equal(path.basename(gif), 'icon.gif');
  assert.deepEqual(await metadata([fitted, full, negative, lowerCase, gif]), [
    { width: 1000, height: 750, format: 'jpeg', hasAlpha: false },
    { width: 4000, height: 3000, format: 'jpeg', hasAlpha: false },
    { width: 4000, height: 3000, format: 'png', hasAlpha: false },
    { width: 64, height: 43, format: 'png', hasAlpha: true },
    { width: 300, height: 200, format: 'gif', hasAlpha: true },
  ]);
  // The pixels survive: the JPEG's centre is still the source's blue.
  const centre = await withSharp(`
    const { data } = await sharp(${JSON.stringify(fitted)}).extract({ left: 500, top: 375, width: 1, height: 1 }).raw().toBuffer({ resolveWithObject: true });
    return [...data];`);
  for (const [got, want] of centre.map((v, i) => [v, [0x4f, 0x8c, 0xf8][i]])) {
    assert.ok(Math.abs(got - want) <= 4, `${centre}`);
  }
});

// A header claiming too many pixels is refused before decoding: tests/cpp/ImagesTest.cc.
test('scaleImage gives null for what it cannot read', () => {
  const text = path.join(scratch, 'notes.png');
  fs.writeFileSync(text, 'not an image');
  const empty = path.join(scratch, 'empty.jpg');
  fs.writeFileSync(empty, '');
  assert.equal(native.scaleImage(text, 'PNG', 100, 100), null);
  assert.equal(native.scaleImage(empty, 'PNG', 100, 100), null);
  assert.equal(native.scaleImage(path.join(scratch, 'missing.jpg'), 'PNG', 100, 100), null);
  assert.equal(native.scaleImage(scratch, 'PNG', 100, 100), null);
  assert.throws(() => native.scaleImage(photo, 'PNG', 1.5, 100), TypeError);
  assert.throws(() => native.scaleImage(photo, 4, 100, 100), TypeError);
});

test('scaleImage whose file cannot be written returns null', async () => {
  const { code, stdout, stderr } = await runChild(`
    const platform = require(process.env.PLATFORM);
    const native = require(process.env.MODULE);
    platform.simulateWriteFailure(28);
    console.log(JSON.stringify(native.scaleImage(${JSON.stringify(icon)}, 'PNG', 10, 10)));`,
  { env: { MODULE: require.resolve(path.join(require('./support').buildDir, 'VelquarinNative.node')),
    PLATFORM: require.resolve(path.join(require('./support').buildDir, 'VelquarinPlatform.node')) } });
  assert.equal(code, 0, stderr);
  assert.equal(stdout.trim().split('\n').at(-1), 'null');
});
