'use strict';
// Drags into the web view: user drags through the interception, and dropFiles.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const { loadModule, loadPlatform, runChild } = require('./support');

const native = loadModule();
const platform = loadPlatform();

function logged(text) {
  platform.flushLogs();
  // The log file is shared by every process of the run: count this process's lines only.
  return fs.readFileSync(platform.logFile(), 'utf8').split('\n')
    .filter((line) => line.includes(` [${process.pid} `) && line.includes(text));
}

function recorder(body = () => {}) {
  const calls = [];
  const fn = (...args) => {
    calls.push(args);
    return body(...args);
  };
  fn.calls = calls;
  return fn;
}

const full = { x: 0, y: 0, width: 800, height: 600 };

// A window as the host framework builds it: content view > container > web view > its inner view.
function webWindow() {
  const window = platform.createWindow('AtomNSWindow');
  const content = platform.contentView(window);
  const container = platform.addView(content, 'BRYInspectableWebContentsView', full);
  const web = platform.addView(container, 'WebContentsViewCocoa', full);
  const inner = platform.addView(web, 'RenderWidgetHostViewCocoa', full);
  platform.takeWebViewDrags();
  return { window, content, container, web, inner };
}

function answers(values) {
  for (const [selector, value] of Object.entries(values)) platform.setWebViewDragAnswer(selector, value);
}

const selectors = () => platform.takeWebViewDrags().map((drag) => drag.selector);

test('without a callback, user drags reach the web view and entered/updated still offer a copy', () => {
  const { window } = webWindow();
  answers({ 'draggingEntered:': 0, 'draggingUpdated:': 0, 'performDragOperation:': 1 });
  assert.equal(platform.beginDrag(window, { paths: ['/tmp/a'] }, { x: 5, y: 5 }), 1);
  assert.equal(platform.moveDrag({ x: 6, y: 6 }), 1);
  assert.equal(platform.dropDrag(), 1);
  assert.deepEqual(selectors(), ['draggingEntered:', 'draggingUpdated:', 'performDragOperation:']);
  answers({ 'draggingEntered:': 1, 'draggingUpdated:': 1 });
});

test('a file drag tells the host each event with the same window and paths, then the web view answers', () => {
  const { window } = webWindow();
  const callback = recorder();
  native.setDragAndDropCallbackFunction(recorder());
  native.setDragAndDropCallbackFunction(callback);  // only the second is kept
  const paths = ['/tmp/one file.txt', '/tmp/ü.pdf'];

  answers({ 'draggingEntered:': 0, 'performDragOperation:': 0, 'draggingExited:': 7 });
  assert.equal(platform.beginDrag(window, { paths }, { x: 10, y: 20 }), 1);
  assert.equal(platform.moveDrag({ x: 11, y: 20 }), 1);
  assert.equal(platform.moveDrag({ x: 12, y: 20 }), 1);
  assert.equal(platform.dropDrag(), 0);
  assert.equal(platform.beginDrag(window, { paths }, { x: 10, y: 20 }), 1);
  assert.equal(platform.cancelDrag(), 7);
  assert.equal(platform.dropDrag(), null);

  assert.deepEqual(callback.calls.map((call) => call[0]), ['dragging-entered', 'dragging-updated',
    'dragging-updated', 'perform-drag-operation', 'dragging-entered', 'dragging-exited']);
  for (const [, handle, json] of callback.calls) {
    assert.ok(Buffer.isBuffer(handle) && handle.equals(window));
    assert.deepEqual(JSON.parse(json), paths);
  }
  const drags = platform.takeWebViewDrags();
  assert.equal(drags.length, 6);
  assert.deepEqual(drags[0].paths, paths);
  assert.ok(drags[0].window.equals(window));
  assert.deepEqual(drags[2].location, { x: 12, y: 20 });

  // Text reaches the web view only.
  callback.calls.length = 0;
  answers({ 'performDragOperation:': 1 });
  platform.beginDrag(window, { text: 'hello' }, { x: 1, y: 1 });
  assert.equal(platform.dropDrag(), 1);
  assert.deepEqual(callback.calls, []);
  assert.deepEqual(platform.takeWebViewDrags().map((drag) => drag.types),
    [['public.utf8-plain-text'], ['public.utf8-plain-text']]);
});

test('a callback that closes the window leaves no web view to answer', () => {
  const { window } = webWindow();
  native.setDragAndDropCallbackFunction((event) => {
    if (event === 'perform-drag-operation') platform.closeWindow(window);
  });
  platform.beginDrag(window, { paths: ['/tmp/a'] }, { x: 1, y: 1 });
  assert.equal(platform.dropDrag(), 0);
  assert.deepEqual(selectors(), ['draggingEntered:']);
});

test('dropFiles drives the own handlers in order, puts the paths on the drag pasteboard and never calls the host', () => {
  const { window } = webWindow();
  const callback = recorder();
  native.setDragAndDropCallbackFunction(callback);
  for (const [performAnswer, expected] of [[1, true], [0, false]]) {
    answers({ 'draggingEntered:': 0, 'performDragOperation:': performAnswer });
    assert.equal(native.dropFiles(window, '{"x": "12.5px", "y": " 7"}', '["/tmp/a","/tmp/b"]'), expected);
    const drags = platform.takeWebViewDrags();
    assert.deepEqual(drags.map((drag) => drag.selector),
      ['draggingEntered:', 'draggingUpdated:', 'performDragOperation:']);
    assert.deepEqual(drags[0].location, { x: 12.5, y: 7 });
    assert.equal(drags[0].window, null);
    assert.deepEqual(drags[2].paths, ['/tmp/a', '/tmp/b']);
  }
  answers({ 'draggingEntered:': 1, 'performDragOperation:': 1 });
  assert.deepEqual(callback.calls, []);
  assert.deepEqual(Object.keys(platform.readPasteboard('drag')[0]), ['NSFilenamesPboardType']);

  // Odd coordinates read as 0; the upper edges are outside the content and logged, the drop goes on.
  for (const [point, location] of [
    ['{"x": true, "y": null}', { x: 0, y: 0 }],
    ['{"x": 1e39, "y": "inf"}', { x: 0, y: 0 }],
    ['{}', { x: 0, y: 0 }],
    ['{"x": 800, "y": 10.25}', { x: 800, y: 10.25 }],
  ]) {
    assert.equal(native.dropFiles(window, point, '[]'), true, point);
    assert.deepEqual(platform.takeWebViewDrags()[0].location, location, point);
  }
  assert.equal(logged('Unable to drop files as {800, 10.25} is not in {{0, 0}, {800, 600}}').length, 1);
});

test('dropFiles refuses a missing window, a bad point or bad paths and leaves the drag pasteboard alone', () => {
  const { window } = webWindow();
  native.dropFiles(window, '{}', '["/tmp/kept"]');
  platform.takeWebViewDrags();
  const closed = platform.createWindow('AtomNSWindow');
  platform.closeWindow(closed);

  assert.equal(native.dropFiles(closed, 'not json', 'not json'), undefined);
  assert.equal(native.dropFiles(Buffer.alloc(3), '{}', '[]'), undefined);
  assert.equal(logged('Need a window to attach files.').length, 2);
  for (const [point, paths, line] of [
    ['nope', '[]', "Couldn't parse point nope because of"],
    ['[1, 2]', '[]', "Couldn't parse point [1, 2] because of the point is not an object"],
    ['{}', '{"a": 1}', "Couldn't parse paths parameter {\"a\": 1} because of"],
    ['{}', '["ok", 3]', 'Couldn\'t parse paths parameter ["ok", 3] because of'],
    ['{}', '["a\\u0000b"]', 'parameter ["a\\u0000b"] because of a path is not a string without NUL'],
  ]) {
    assert.equal(native.dropFiles(window, point, paths), false, point + paths);
    assert.equal(logged(line).length, 1, line);
  }
  assert.deepEqual(platform.takeWebViewDrags(), []);
  assert.equal(platform.readPasteboard('drag')[0].NSFilenamesPboardType.toString().includes('/tmp/kept'), true);
  assert.throws(() => native.dropFiles('window', '{}', '[]'), { condition: 'args[0]->IsObject()' });
});

test('the drop target is found up from the first responder (at most 101 views) or through the containers', () => {
  // A web view straight in the content view: only the upward walk finds it.
  const window = platform.createWindow('AtomNSWindow');
  const content = platform.contentView(window);
  const web = platform.addView(content, 'WebContentsViewCocoa', full);
  let deepest = web;
  const chain = [];
  for (let i = 0; i < 101; ++i) chain.push(deepest = platform.addView(deepest, 'NSView', full));
  platform.takeWebViewDrags();

  platform.setFirstResponder(window, chain[99]);  // the web view is the 101st view examined
  assert.equal(native.dropFiles(window, '{}', '[]'), true);
  platform.setFirstResponder(window, chain[100]);  // the 102nd: out of reach
  assert.equal(native.dropFiles(window, '{}', '[]'), false);
  platform.setFirstResponder(window, null);
  assert.equal(native.dropFiles(window, '{}', '[]'), false);
  assert.equal(platform.takeWebViewDrags().length, 3);
  assert.ok(logged('FindWebViewDropTarget: Unable to find drop target.').length >= 2);

  // Through a container view, with the first responder elsewhere.
  const other = webWindow();
  const sidebar = platform.addView(other.content, 'NSView', full);
  platform.setFirstResponder(other.window, sidebar);
  assert.equal(native.dropFiles(other.window, '{}', '[]'), true);
  assert.ok(logged('FindWebViewDropTarget: Found view from the top.').length >= 1);
  assert.ok(logged('FindWebViewDropTarget: Found view from firstResponder.').length >= 1);
});

test('a host without the web view classes at start-up: no interception, dropFiles uses the handlers themselves', async () => {
  const { code, stdout, stderr } = await runChild(`
    const { loadModule, loadPlatform } = require(${JSON.stringify(require.resolve('./support'))});
    const native = loadModule();
    const platform = loadPlatform();
    const full = { x: 0, y: 0, width: 800, height: 600 };
    platform.declareWebViewClasses();
    const window = platform.createWindow('AtomNSWindow');
    const container = platform.addView(platform.contentView(window), 'BRYInspectableWebContentsView', full);
    platform.addView(container, 'WebContentsViewCocoa', full);
    const calls = [];
    native.setDragAndDropCallbackFunction((event) => calls.push(event));
    const dropped = native.dropFiles(window, '{}', '["/tmp/a"]');
    platform.beginDrag(window, { paths: ['/tmp/a'] }, { x: 1, y: 1 });
    platform.dropDrag();
    const drags = platform.takeWebViewDrags().map((drag) => drag.selector);
    console.log(JSON.stringify({ calls, dropped, drags }));
  `, { env: { VELQUARIN_WEB_VIEW_CLASSES: 'absent' } });
  assert.equal(code, 0, stderr);
  assert.match(stderr, /\[error\].*Cannot patch as I didn't find application class/);
  const result = JSON.parse(stdout.trim().split('\n').at(-1));
  assert.deepEqual(result, { calls: [], dropped: true, drags: ['draggingEntered:', 'draggingUpdated:',
    'performDragOperation:', 'draggingEntered:', 'performDragOperation:'] });
});

test('a callback that throws and drops files itself does not keep the web view from the event', async () => {
  const { code, stdout, stderr } = await runChild(`
    const { loadModule, loadPlatform } = require(${JSON.stringify(require.resolve('./support'))});
    const native = loadModule();
    const platform = loadPlatform();
    const errors = [];
    process.on('uncaughtException', (error) => errors.push(error.message));
    const full = { x: 0, y: 0, width: 800, height: 600 };
    const window = platform.createWindow('AtomNSWindow');
    const container = platform.addView(platform.contentView(window), 'BRYInspectableWebContentsView', full);
    platform.addView(container, 'WebContentsViewCocoa', full);
    const calls = [];
    native.setDragAndDropCallbackFunction((event) => {
      calls.push(event);
      native.dropFiles(window, '{}', '["/tmp/inner"]');
      native.setDragAndDropCallbackFunction((event) => calls.push('second ' + event));
      throw new Error('host failed');
    });
    platform.beginDrag(window, { paths: ['/tmp/a'] }, { x: 1, y: 1 });
    const dropped = platform.dropDrag();
    const drags = platform.takeWebViewDrags().map((drag) => drag.selector);
    setImmediate(() => console.log(JSON.stringify({ calls, dropped, drags, errors })));
  `);
  assert.equal(code, 0, stderr);
  const result = JSON.parse(stdout.trim().split('\n').at(-1));
  assert.deepEqual(result.calls, ['dragging-entered', 'second perform-drag-operation']);
  assert.equal(result.dropped, 1);
  assert.deepEqual(result.drags, ['draggingEntered:', 'draggingUpdated:', 'performDragOperation:',
    'draggingEntered:', 'performDragOperation:']);
  assert.deepEqual(result.errors, ['host failed']);
});
