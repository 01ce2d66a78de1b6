'use strict';
// The support and feedback window: what the module hands the support SDK's model.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { loadModule, loadPlatform, logged, runChild } = require('./support');

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
