'use strict';
// The pasteboard exports on the in-process backend (DISPLAY is unset in the test run).
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { loadModule, loadPlatform } = require('./support');

const native = loadModule();
const platform = loadPlatform();
const scratch = () => fs.mkdtempSync(path.join(os.tmpdir(), 'pasteboard-test-'));

// Lines of this process's log file holding `text`.
function logged(text) {
  platform.flushLogs();
  // The log file is shared by every process of the run: count this process's lines only.
  return fs.readFileSync(platform.logFile(), 'utf8').split('\n')
    .filter((line) => line.includes(` [${process.pid} `) && line.includes(text));
}

function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) {
    crc ^= byte;
    for (let bit = 0; bit < 8; ++bit) crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return (crc ^ 0xffffffff) >>> 0;
}

// A real w x h RGB PNG.
function png(width, height) {
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type, 'ascii'), data]);
    const head = Buffer.alloc(4);
    head.writeUInt32BE(data.length);
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc32(body));
    return Buffer.concat([head, body, tail]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);
  const rows = Buffer.alloc((width * 3 + 1) * height, 0x80);
  for (let y = 0; y < height; ++y) rows[y * (width * 3 + 1)] = 0;
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

const isJPEG = (file) => fs.readFileSync(file).subarray(0, 3).equals(Buffer.from([0xff, 0xd8, 0xff]));
const general = () => platform.readPasteboard('general');

test('the general pasteboard is in-process without a display', () => {
  assert.equal(platform.pasteboardBackend(), 'memory');
});

test('save and restore hold one snapshot', () => {
  platform.writePasteboard('general', [{ 'public.utf8-plain-text': 'first' }, { 'public.html': '<b>' }]);
  assert.equal(native.restoreGeneralPasteboard(), false);
  assert.equal(logged("Cannot restore pasteboard as there's no content.").length, 1);
  assert.equal(native.saveGeneralPasteboard(), true);
  assert.equal(native.saveGeneralPasteboard(), false);
  assert.equal(logged("Cannot save pasteboard as it's already saved.").length, 1);
  platform.writePasteboard('general', [{ 'public.utf8-plain-text': 'second' }]);
  assert.equal(native.restoreGeneralPasteboard(), true);
  assert.deepEqual(general().map((item) => Object.keys(item)), [['public.utf8-plain-text'], ['public.html']]);
  assert.equal(general()[0]['public.utf8-plain-text'].toString(), 'first');
  assert.equal(native.restoreGeneralPasteboard(), false);

  // An empty pasteboard is a snapshot too: restoring it clears.
  platform.writePasteboard('general', []);
  assert.equal(native.saveGeneralPasteboard(), true);
  platform.writePasteboard('general', [{ 'public.utf8-plain-text': 'x' }]);
  assert.equal(native.restoreGeneralPasteboard(), true);
  assert.deepEqual(general(), []);
});

test('writeFileContentsToGeneralPasteboard reads the file first and leaves the pasteboard on failure', () => {
  const dir = scratch();
  const image = png(3, 2);
  fs.writeFileSync(path.join(dir, 'a.JPEG'), image);
  assert.equal(native.writeFileContentsToGeneralPasteboard(path.join(dir, 'a.JPEG')), true);
  assert.deepEqual(Object.keys(general()[0]), ['public.jpg']);
  assert.ok(general()[0]['public.jpg'].equals(image));

  fs.writeFileSync(path.join(dir, 'b.bmp'), 'BM');
  fs.mkdirSync(path.join(dir, 'folder.png'));
  for (const [file, warning] of [['b.bmp', 'Unsupported file extension bmp'],
    ['missing.gif', 'missing.gif'], ['folder.png', 'folder.png']]) {
    assert.equal(native.writeFileContentsToGeneralPasteboard(path.join(dir, file)), false, file);
    assert.equal(logged(warning).length, 1, warning);
    assert.ok(general()[0]['public.jpg'].equals(image), `${file} touched the pasteboard`);
  }
});

test('getValueOfPasteboardType gives the strings of every item, aliases equal, bytes that are not UTF-8 skipped', () => {
  platform.writePasteboard('general', [
    { 'public.utf8-plain-text': 'one', 'public.html': '<i>' },
    { 'public.html': '<b>' },
    { 'public.utf8-plain-text': Buffer.from([0xff, 0xfe]) },
    { 'NSStringPboardType': 'two' },
  ]);
  assert.equal(native.getValueOfPasteboardType('NSStringPboardType'), '["one","two"]');
  assert.equal(native.getValueOfPasteboardType('Apple HTML pasteboard type'), '["<i>","<b>"]');
  assert.equal(native.getValueOfPasteboardType('public.png'), '[]');
  assert.throws(() => native.getValueOfPasteboardType(), { condition: 'args.Length() == 1' });
});

test('doesPasteboardContainImage counts decodable image types only, as 1 or 0', () => {
  for (const [items, expected] of [
    [[{ 'public.utf8-plain-text': 'x' }], 0],
    [[{ 'com.microsoft.bmp': 'BM' }], 0],
    [[{ 'public.utf8-plain-text': 'x' }, { 'public.tiff': 'II*' }], 1],
    [[{ 'public.jpg': 'x' }], 1],
  ]) {
    platform.writePasteboard('general', items);
    assert.equal(native.doesPasteboardContainImage(), expected);
  }
  assert.throws(() => native.doesPasteboardContainImage(1), { condition: 'args.Length() == 0' });
});

test('imageFromPasteboard writes image.jpg atomically from a copied file or image data', () => {
  const dir = scratch();
  const source = path.join(dir, 'copied image.png');
  fs.writeFileSync(source, png(4, 4));
  // A planted link is replaced, never written through.
  const victim = path.join(dir, 'victim');
  fs.writeFileSync(victim, 'keep');
  fs.symlinkSync(victim, path.join(dir, 'image.jpg'));

  platform.writePasteboard('general', [{ 'public.file-url': `file://localhost${encodeURI(source)}` }]);
  const written = native.imageFromPasteboard(dir);
  assert.equal(written, path.join(dir, 'image.jpg'));
  assert.ok(!fs.lstatSync(written).isSymbolicLink() && isJPEG(written));
  assert.equal(fs.readFileSync(victim, 'utf8'), 'keep');

  fs.rmSync(written);
  platform.writePasteboard('general', [{ 'public.png': png(2, 2) }]);
  assert.equal(native.imageFromPasteboard(dir), written);
  assert.ok(isJPEG(written));

  // Nothing to read, a remote file URL, no folder, an unwritable folder: null.
  for (const [items, folder] of [
    [[{ 'public.utf8-plain-text': 'text' }], dir],
    [[{ 'public.file-url': `file://example.com${source}` }], dir],
    [[{ 'public.png': png(2, 2) }], ''],
    [[{ 'public.png': png(2, 2) }], path.join(dir, 'missing')],
  ]) {
    platform.writePasteboard('general', items);
    assert.equal(native.imageFromPasteboard(folder), null, JSON.stringify([items, folder]));
  }
});

test('the find string round-trips and null clears it', () => {
  native.setFindStringToPasteboard('abc');
  assert.equal(native.getFindStringFromPasteboard(), 'abc');
  native.setFindStringToPasteboard(null);
  assert.equal(native.getFindStringFromPasteboard(), null);
  native.setFindStringToPasteboard(42);
  assert.equal(native.getFindStringFromPasteboard(), '42');
  assert.throws(() => native.setFindStringToPasteboard(),
    { function: 'getFindStringFromPasteboard', condition: 'args.Length() == 1' });
  assert.equal(native.getFindStringFromPasteboard.name, 'getFindStringFromPasteboard');
});

test('unique pasteboards are separate and can be released', () => {
  const a = platform.uniquePasteboard();
  const b = platform.uniquePasteboard();
  assert.notEqual(a, b);
  platform.writePasteboard(a, [{ 'public.utf8-plain-text': 'a' }]);
  assert.deepEqual(platform.readPasteboard(b), []);
  assert.equal(platform.releasePasteboard(a), true);
  assert.equal(platform.releasePasteboard(a), false);
  assert.deepEqual(platform.readPasteboard(a), []);
  assert.equal(platform.releasePasteboard('general'), false);
});
