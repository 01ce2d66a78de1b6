'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { loadModule, loadPlatform, runChild, addonPath } = require('./support');

const native = loadModule();
const platform = loadPlatform();

const scratch = () => fs.mkdtempSync(path.join(os.tmpdir(), 'files-test-'));
const tick = () => new Promise((resolve) => setImmediate(resolve));

// A host function that records each call's arguments.
function recorder() {
  const calls = [];
  const fn = function (...args) {
    calls.push(args);
  };
  fn.calls = calls;
  return fn;
}

test('writeFile writes buffers, atomically or not, with the normal mode', () => {
  const dir = scratch();
  for (const atomic of [true, false]) {
    const file = path.join(dir, `out-${atomic}.bin`);
    const bytes = Buffer.from([0, 1, 2, 255, 0]);
    assert.equal(native.writeFile(file, bytes, atomic), undefined);
    assert.deepEqual(fs.readFileSync(file), bytes);
    assert.equal(native.writeFile(file, Buffer.alloc(0), atomic), undefined);
    assert.equal(fs.statSync(file).size, 0);
    assert.equal(fs.statSync(file).mode & 0o777, 0o666 & ~process.umask());
  }
  assert.deepEqual(fs.readdirSync(dir).sort(), ['out-false.bin', 'out-true.bin']);
});

test('writeFile failures come back as a description and create nothing', () => {
  const dir = scratch();
  const missing = path.join(dir, 'missing', 'x.txt');
  for (const atomic of [true, false]) {
    const result = native.writeFile(missing, Buffer.from('x'), atomic);
    assert.equal(typeof result, 'string');
    assert.match(result, /No such file or directory/);
  }
  // An object that merely looks like a buffer is refused, never read.
  const fake = { length: 4, 0: 1, byteLength: 4 };
  assert.match(native.writeFile(path.join(dir, 'fake'), fake, true), /not a buffer/);
  assert.deepEqual(fs.readdirSync(dir), []);
});

test('writeFile checks its contract', () => {
  assert.throws(() => native.writeFile('/tmp/x', Buffer.from('x')), TypeError);
  assert.throws(() => native.writeFile('/tmp/x', 'text', true), TypeError);
  assert.throws(() => native.writeFile('/tmp/x', Buffer.from('x'), 1), TypeError);
  const report = (() => {
    try {
      native.writeFile(1, Buffer.from('x'), true);
    } catch (error) {
      return error;
    }
  })();
  assert.equal(report.file, 'ZqFiles');
  assert.equal(report.function, 'ZqWriteFile');
  assert.equal(report.condition, 'args[0]->IsString()');
});

test('a save dialog shows its folder and name and answers with the chosen path', () => {
  const window = platform.createWindow('AtomNSWindow', 'Inbox');
  const done = recorder();
  const options = JSON.stringify({ 'destination-path': '/srv/exports', filename: 'invoice.pdf' });
  assert.equal(native.showFileDialog(window, options, done), undefined);
  assert.deepEqual(platform.savePanel(window), { directory: '/srv/exports', filename: 'invoice.pdf' });

  // One at a time: the second caller hears "no" at once, the first dialog stays.
  const refused = recorder();
  native.showFileDialog(window, '{}', refused);
  assert.deepEqual(refused.calls, [[]]);
  assert.deepEqual(platform.savePanel(window), { directory: '/srv/exports', filename: 'invoice.pdf' });

  assert.equal(platform.endSavePanel(window, '/srv/exports/renamed.pdf'), true);
  assert.deepEqual(done.calls, [['/srv/exports/renamed.pdf']]);
  assert.equal(platform.savePanel(window), null);
  platform.closeWindow(window);
});

test('a cancelled dialog calls back with no argument, and the next may open from inside', () => {
  const window = platform.createWindow('AtomNSWindow');
  const second = recorder();
  let argumentsSeen;
  native.showFileDialog(window, JSON.stringify({ 'destination-path': null, filename: null }),
    function (...args) {
      argumentsSeen = args.length;
      native.showFileDialog(window, JSON.stringify({ filename: 'next.txt' }), second);
    });
  assert.deepEqual(platform.savePanel(window), { directory: os.homedir(), filename: '' });
  platform.endSavePanel(window);
  assert.equal(argumentsSeen, 0);
  assert.equal(platform.savePanel(window).filename, 'next.txt');
  platform.endSavePanel(window, 'chosen.txt');  // a bare name lands in the folder shown
  assert.deepEqual(second.calls, [[path.join(os.homedir(), 'chosen.txt')]]);
  platform.closeWindow(window);
});

test('options that are not an object of strings', () => {
  const window = platform.createWindow('AtomNSWindow');
  for (const text of ['{', '[]', '"text"', '']) {
    const never = recorder();
    native.showFileDialog(window, text, never);
    assert.deepEqual(never.calls, [], text);
    assert.equal(platform.savePanel(window), null, text);
  }
  const done = recorder();
  native.showFileDialog(window, JSON.stringify({ 'destination-path': 7, filename: ['x'] }), done);
  assert.deepEqual(platform.savePanel(window), { directory: os.homedir(), filename: '' });
  platform.endSavePanel(window);
  assert.deepEqual(done.calls, [[]]);

  const relative = recorder();
  native.showFileDialog(window, JSON.stringify({ 'destination-path': 'sub/dir' }), relative);
  assert.equal(platform.savePanel(window).directory, path.resolve('sub/dir'));
  platform.endSavePanel(window);
  platform.closeWindow(window);
});

test('without a live window there is no dialog and no call', () => {
  const never = recorder();
  assert.equal(native.showFileDialog(Buffer.alloc(8), '{}', never), undefined);
  assert.equal(native.showFileDialog({}, '{}', never), undefined);
  const gone = platform.createWindow('AtomNSWindow');
  platform.closeWindow(gone);
  native.showFileDialog(gone, '{}', never);
  assert.deepEqual(never.calls, []);
  assert.match(fs.readFileSync(platform.logFile(), 'utf8'),
    /\[error\] VelquarinNative:\d+ \S+ \[[^\]]*\] Need window to show file dialog\.$/m);
  assert.throws(() => native.showFileDialog(gone, '{}'), TypeError);
  assert.throws(() => native.showFileDialog(gone, {}, never), TypeError);
});

test('closing the window ends its dialog as cancelled and frees the slot', async () => {
  const window = platform.createWindow('AtomNSWindow');
  const done = recorder();
  native.showFileDialog(window, '{}', done);
  platform.closeWindow(window);
  await tick();
  assert.deepEqual(done.calls, [[]]);
  const other = platform.createWindow('AtomNSWindow');
  const next = recorder();
  native.showFileDialog(other, '{}', next);
  assert.notEqual(platform.savePanel(other), null);
  platform.endSavePanel(other, '/tmp/a.txt');
  assert.deepEqual(next.calls, [['/tmp/a.txt']]);
  platform.closeWindow(other);
});

test('an exception in the dialog callback reaches the host and the slot is free again', async () => {
  const { code, stdout, stderr } = await runChild(`
    const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
    const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
    const seen = [];
    process.on('uncaughtException', (error) => seen.push('uncaught:' + error.message));
    const window = platform.createWindow('AtomNSWindow');
    native.showFileDialog(window, '{}', () => { throw new Error('host failure'); });
    platform.endSavePanel(window);
    native.showFileDialog(window, '{}', (...args) => seen.push('next:' + args.length));
    platform.endSavePanel(window);
    setImmediate(() => console.log(JSON.stringify(seen)));
  `);
  assert.equal(code, 0, stderr);
  assert.deepEqual(JSON.parse(stdout.trim().split('\n').at(-1)), ['uncaught:host failure', 'next:0']);
});
