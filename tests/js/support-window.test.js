'use strict';
// The support and feedback window: what the module hands the support SDK's model.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { spawnSync } = require('node:child_process');
const { loadModule, loadPlatform, logged, runChild, solidPNG } = require('./support');

const native = loadModule();
const platform = loadPlatform();
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'support-'));
const file = (name) => { const p = path.join(dir, name); fs.writeFileSync(p, name); return p; };

test('each opening starts a clean message in the one support window, which becomes main', () => {
  const [a, b] = [file('a.txt'), file('b.txt')];
  const unreadable = file('secret.txt');
  fs.chmodSync(unreadable, 0);
  native.openSupportAndFeedbackWindow(JSON.stringify([a, dir, unreadable, path.join(dir, 'gone')]),
    '{"account":"x"}', 'thread-1', 'Hello', null);
  const first = platform.supportWindow();
  assert.deepEqual([first.main, first.threadId, first.body, first.attachments, first.metaData],
    [true, 'thread-1', 'Hello', process.getuid() === 0 ? [a, unreadable] : [a], { account: 'x' }]);
  assert.deepEqual(first.subjects, ['problem', 'featureRequest', 'other']);
  assert.equal(first.productName, 'Velquarin');
  assert.ok(logged(`Skipped attachment ${dir}: not a readable file`).length >= 1);
  native.openSupportAndFeedbackWindow(JSON.stringify([b]), '{}', null, null, null);
  const second = platform.supportWindow();
  assert.deepEqual(second.handle, first.handle);
  assert.deepEqual([second.threadId, second.body, second.attachments, second.metaData], [null, null, [b], {}]);
  assert.equal(platform.windows().filter((w) => w.className === 'RepliesIOWindow').length, 1);
  native.attachFilesToSupportAndFeedbackWindow(JSON.stringify([a, b]));
  native.attachFilesToSupportAndFeedbackWindow('not json');
  native.attachFilesToSupportAndFeedbackWindow('[1]');
  assert.deepEqual(platform.supportWindow().attachments, [b, a, b]);
  platform.closeSupportWindow();
  assert.equal(platform.supportWindow(), null);
  native.attachFilesToSupportAndFeedbackWindow(JSON.stringify([a]));
  native.openSupportAndFeedbackWindow('[]', '{}', null, null, null);
  assert.deepEqual(platform.supportWindow().attachments, []);
  platform.closeSupportWindow();
});

test('bad JSON leaves its value out with a warning; the menu title falls back', () => {
  const cases = [
    // [paths, metadata, options, menu title, warnings]
    ['[1]', '{}', null, 'Current HTML Page', ['error parsing JSON [1] because of the JSON text is no array of strings']],
    ['{"a":1}', 'nope', '{"current-html-page-menu-title":""}', 'Current HTML Page',
      ['error parsing JSON {"a":1} because of', "Couldn't parse meta data JSON nope"]],
    ['[]', '[]', '{"current-html-page-menu-title":5}', 'Current HTML Page', ["Couldn't parse meta data JSON []"]],
    ['[]', '{}', '[1]', 'Current HTML Page', ["Couldn't parse meta data JSON [1]"]],
    ['[]', '{}', '{"current-html-page-menu-title":"This Page"}', 'This Page', []],
  ];
  for (const [paths, metaData, options, title, warnings] of cases) {
    const before = warnings.map((w) => logged(w).length);
    native.openSupportAndFeedbackWindow(paths, metaData, null, null, options);
    const state = platform.supportWindow();
    assert.deepEqual(state.menu, [title], options);
    assert.deepEqual(state.attachments, []);
    warnings.forEach((w, i) => assert.equal(logged(w).length, before[i] + 1, w));
  }
  const requests = [];
  const id = platform.observe('ZqAttachFilesToReplies', (name, info) => requests.push(info));
  assert.equal(platform.chooseSupportMenuItem(0), true);
  assert.equal(platform.chooseSupportMenuItem(1), false);
  platform.removeObserver(id);
  assert.deepEqual(requests, [{ type: 'current-html-page' }]);
  platform.closeSupportWindow();
});

const png = (name) => { const p = path.join(dir, name); fs.writeFileSync(p, solidPNG(40, 30, [255, 0, 0])); return p; };
const lastEditor = () => platform.imageEditors().at(-1);
const size = (file) => { const b = fs.readFileSync(file); return [b.readUInt32BE(16), b.readUInt32BE(20)]; };

test('annotated images are saved beside the image under the title the user left', async () => {
  const calls = [];
  const record = (label) => (...args) => calls.push([label, ...args]);
  const image = png('a.png');
  native.annotateImage(image, record('first'));
  assert.equal(lastEditor().title, 'a');
  assert.equal(platform.editImage(lastEditor().id, { title: 'What?', annotations: [{ rect: [0, 0, 10, 10], color: [0, 0, 1, 1] }] }), true);
  const firstId = lastEditor().id;
  native.annotateImage(png('b.png'), record('second'));
  platform.finishImageEditor(firstId, true);
  assert.deepEqual(calls, [['second', path.join(dir, 'What_.png')]], 'the first completion calls the latest function');
  assert.deepEqual(size(path.join(dir, 'What_.png')), [40, 30]);
  const cases = [
    // [image, edits, save, expected arguments]
    [image, {}, false, []],
    [image, { title: 'x'.repeat(300) }, true, []],
    [image, { title: 'a.png\u0000' }, true, []], // would have overwritten a.png
    [path.join(dir, 'missing', 'c.png'), null, true, []],
    [file('not-an-image.png'), null, true, []],
  ];
  for (const [target, edits, save, expected] of cases) {
    calls.length = 0;
    for (const { id } of platform.imageEditors()) platform.finishImageEditor(id, false);
    calls.length = 0;
    native.annotateImage(target, record('case'));
    if (edits) {
      platform.editImage(lastEditor().id, edits);
      platform.finishImageEditor(lastEditor().id, save);
    }
    assert.deepEqual(calls, [['case', ...expected]], `${target} ${JSON.stringify(edits)}`);
  }
  const before = logged('path is required.').length;
  native.annotateImage('', record('none'));
  native.annotateImage(image, 'no function');
  assert.equal(logged('path is required.').length, before + 1);
  assert.equal(platform.imageEditors().length, 0);
  assert.deepEqual(calls, [['case']]);
  calls.length = 0;
  native.annotateImage(image, () => native.annotateImage(image, record('next')));
  platform.finishImageEditor(lastEditor().id, false);
  platform.finishImageEditor(lastEditor().id, false);
  assert.deepEqual(calls, [['next']], 'a completion may start the next edit');
});

test('screen captures: a recording passes its own path, a screenshot is edited into screenshot.png', () => {
  const calls = [];
  const callback = (...args) => calls.push(args);
  const cases = [
    [dir, { recording: '/elsewhere/rec.mov' }, false, ['/elsewhere/rec.mov']],
    [dir, null, false, []],
    [dir, { image: png('shot.png') }, true, [path.join(dir, 'screenshot.png')]],
    [dir, { image: png('shot.png') }, false, []],
    [path.join(dir, 'missing'), { image: png('shot.png') }, true, []],
  ];
  for (const [directory, result, save, expected] of cases) {
    calls.length = 0;
    native.takeScreenRecording(directory, callback);
    assert.equal(platform.finishScreenCapture(result), true);
    if (result && result.image) platform.finishImageEditor(lastEditor().id, save);
    assert.deepEqual(calls, [expected], JSON.stringify([directory, result, save]));
  }
  assert.deepEqual(size(path.join(dir, 'screenshot.png')), [40, 30]);
  const before = logged('directory path is required').length;
  native.takeScreenRecording('', callback);
  assert.equal(logged('directory path is required').length, before + 1);
  assert.equal(platform.finishScreenCapture(null), false);
});

// The first pixel of a PNG: whatever filter its first row uses, those bytes are raw.
function firstPixel(file) {
  const bytes = fs.readFileSync(file);
  const chunks = [];
  for (let at = 8; at < bytes.length; at += 12 + bytes.readUInt32BE(at)) {
    if (bytes.toString('latin1', at + 4, at + 8) === 'IDAT') chunks.push(bytes.subarray(at + 8, at + 8 + bytes.readUInt32BE(at)));
  }
  return [...zlib.inflateSync(Buffer.concat(chunks)).subarray(1, 4)];
}

const display = process.env.VELQUARIN_TEST_DISPLAY;
const noScreen = !display ? 'no private display (VELQUARIN_TEST_DISPLAY)'
  : spawnSync('sh', ['-c', 'command -v xsetroot']).status !== 0 ? 'xsetroot missing' : false;
test('a screenshot is the X root window of the display given', { skip: noScreen }, () => {
  const painted = spawnSync('xsetroot', ['-display', display, '-solid', '#20c040']);
  assert.equal(painted.status, 0, String(painted.stderr));
  const out = fs.mkdtempSync(path.join(dir, 'shot-'));
  const calls = [];
  native.takeScreenRecording(out, (...args) => calls.push(args));
  assert.equal(platform.finishScreenCapture({ screenshot: display }), true);
  assert.deepEqual([lastEditor().width, lastEditor().height], [1280, 1024]);
  platform.finishImageEditor(lastEditor().id, true);
  assert.deepEqual(calls, [[path.join(out, 'screenshot.png')]]);
  assert.deepEqual(firstPixel(path.join(out, 'screenshot.png')), [0x20, 0xc0, 0x40]);
  native.takeScreenRecording(out, () => {});
  assert.equal(platform.finishScreenCapture({ screenshot: ':999' }), false, 'an unreachable display');
  platform.finishScreenCapture(null);
});

test('CRASH_ON_STARTUP quits 2 s after the window stops being main, without a thread', async () => {
  const child = await runChild(`
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    platform.setTerminateHandler((status) => console.log('terminate ' + status));
    native.openSupportAndFeedbackWindow('[]', '{}', 'CRASH_ON_STARTUP', null, null);
    native.openSupportAndFeedbackWindow('[]', '{}', 'CRASH_ON_STARTUP', null, null);
    console.log('thread ' + platform.supportWindow().threadId);
    platform.chooseSupportMenuItem(0);
    platform.closeSupportWindow();
    setImmediate(() => {
      platform.advanceClock(1.9);
      console.log('at 1.9');
      platform.advanceClock(0.1);
      setTimeout(() => {}, 50);
    });`);
  assert.equal(child.stdout, 'thread null\nat 1.9\nterminate 0\n', child.stderr);
  assert.match(child.stderr, /Attach it current-html-page\n/);
});
