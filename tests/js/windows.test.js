'use strict';
// Window utilities end to end: main/key notices, backing re-announcement, hiding and resizing
// content, sheets, the title-bar drag, and bad handles.
const test = require('node:test');
const assert = require('node:assert/strict');
const { loadModule, loadPlatform, logged } = require('./support');

const native = loadModule();
const platform = loadPlatform();
const full = { x: 0, y: 0, width: 800, height: 600 };

// A browser window as the host framework builds it, its web view first responder.
function browserWindow(title, options = {}) {
  const window = platform.createWindow('AtomNSWindow', { title, ...options });
  const container = platform.addView(platform.contentView(window), 'BRYInspectableWebContentsView', full);
  const web = platform.addView(container, 'WebContentsViewCocoa', full);
  platform.setFirstResponder(window, web);
  return { window, web };
}

const names = new Map();
const label = (handle) => names.get(Buffer.from(handle).toString('hex')) ?? '?';
const name = (handle, text) => names.set(Buffer.from(handle).toString('hex'), text);

function recordNotices() {
  const seen = [];
  native.setWindowNotificationCallbackFunction((notice, handle) => seen.push(`${label(handle)} ${notice}`));
  return seen;
}

function closeAll() {
  for (const { handle } of platform.windows()) platform.closeWindow(handle);
}

test('clicking browser windows, a subclass and a panel in turn reports browser windows only', () => {
  closeAll();
  const seen = recordNotices();
  const a = browserWindow('A').window;
  const b = browserWindow('B').window;
  const sub = platform.createWindow('ZqTestBrowserWindow', { superclass: 'AtomNSWindow', visible: false });
  const panel = platform.createWindow('NSPanel', { visible: false });
  [[a, 'A'], [b, 'B'], [sub, 'S'], [panel, 'P']].forEach(([h, n]) => name(h, n));
  seen.length = 0;
  for (const window of [a, sub, panel, b]) assert.equal(platform.clickWindow(window), true);
  assert.deepEqual(seen, [
    'B did-resign-main', 'B did-resign-key', 'A did-become-main', 'A did-become-key',
    'A did-resign-main', 'A did-resign-key', 'S did-become-main', 'S did-become-key',
    'S did-resign-key', // the panel takes the keyboard; S stays main
    'S did-resign-main', 'B did-become-main', 'B did-become-key',
  ]);
  assert.deepEqual([native.hasMainWindow(), native.hasKeyWindow()], [true, true]);
  assert.equal(platform.windowState(panel).main, false);
  closeAll();
  assert.deepEqual([native.hasMainWindow(), native.hasKeyWindow()], [false, false]);
});

test('closing the key window resigns it while findable, then the next window takes over', () => {
  closeAll();
  const a = browserWindow('A').window;
  const b = browserWindow('B').window;
  name(a, 'A');
  name(b, 'B');
  const seen = recordNotices();
  native.closeKeyWindow();
  assert.deepEqual(seen, ['B did-resign-main', 'B did-resign-key', 'A did-become-main', 'A did-become-key']);
  assert.equal(platform.windowState(b), null);

  // The host closes the window that just became key from inside its callback.
  const c = browserWindow('C').window;
  name(c, 'C');
  seen.length = 0;
  native.setWindowNotificationCallbackFunction((notice, handle) => {
    seen.push(`${label(handle)} ${notice}`);
    if (notice === 'did-become-key' && label(handle) === 'A') native.closeKeyWindow();
  });
  native.closeMainWindow();
  assert.deepEqual(seen, ['C did-resign-main', 'C did-resign-key', 'A did-become-main', 'A did-become-key',
    'A did-resign-main', 'A did-resign-key']);
  assert.deepEqual([native.hasMainWindow(), native.hasKeyWindow()], [false, false]);
  native.closeKeyWindow(); // nothing left: no effect
  native.setWindowNotificationCallbackFunction(null);
  closeAll();
});

test('a backing change of a browser window is announced again once, 5 seconds later', () => {
  closeAll();
  const { window } = browserWindow('A');
  const other = platform.createWindow('NSWindow', {});
  const closing = browserWindow('B').window;
  const posts = [];
  const id = platform.observe('WindowDidChangeBackingPropertiesNotification',
    (_, info, object) => posts.push([label(object), info.ZqDelayedNotification ?? false]));
  name(window, 'A');
  name(other, 'N');
  name(closing, 'B');
  platform.setBackingScaleFactor(2);
  assert.deepEqual(posts.map(([n]) => n).sort(), ['A', 'B', 'N']);
  posts.length = 0;
  platform.closeWindow(closing);
  platform.advanceClock(4.9);
  assert.deepEqual(posts, []);
  platform.advanceClock(0.1);
  assert.deepEqual(posts, [['A', true]]);
  platform.advanceClock(10);
  assert.deepEqual(posts, [['A', true]], 'the copy is not delayed again');
  assert.equal(logged('Post delayed notification {name = WindowDidChangeBackingPropertiesNotification').length, 1);
  platform.removeObserver(id);
  platform.setBackingScaleFactor(1);
  closeAll();
});

test('hidden content comes back on the next turn; keys typed meanwhile miss the web view', () => {
  closeAll();
  const { window, web } = browserWindow('A');
  for (const delay of [0, -5]) {
    native.hideWindowContent(window, delay);
    assert.deepEqual([platform.windowState(window).contentAlpha, platform.windowState(window).firstResponder], [0, null]);
    assert.equal(platform.keyDown({ code: 'KeyA' }).webView, false);
    platform.drainMainQueue();
    assert.deepEqual([platform.windowState(window).contentAlpha, platform.windowState(window).firstResponder !== null], [1, true]);
  }
  assert.equal(platform.webViewKeys(window).length, 0);
  platform.setFirstResponder(window, web);
  assert.equal(platform.keyDown({ code: 'KeyA' }).webView, true);
  assert.equal(platform.webViewKeys(window)[0].characters, 'a');

  native.hideWindowContent(window, 250);
  platform.closeWindow(window);
  platform.advanceClock(1); // the restore skips a closed window

  for (const handle of [{}, Buffer.alloc(4), Buffer.from(window)]) native.hideWindowContent(handle, 0);
  assert.equal(logged('Need a view with a window to to hide window content: (null)').length, 3);
});

test('resizing keeps the top-left corner, animates only visible windows, and clamps bad sizes', () => {
  closeAll();
  const shown = platform.createWindow('AtomNSWindow', { frame: { x: 100, y: 200, width: 800, height: 622 } });
  const hidden = platform.createWindow('AtomNSWindow', { frame: { x: 0, y: 0, width: 400, height: 322 }, visible: false });
  const top = (frame) => frame.y + frame.height;
  const cases = [
    [shown, 1000, 500, { x: 100, y: 300, width: 1000, height: 522 }, true],
    [shown, 0, -7, { x: 100, y: 800, width: 0, height: 22 }, true],
    [hidden, 2147483647, 2147483647, { x: 0, y: 300 - 2147483647, width: 2147483647, height: 2147483669 }, false],
    [hidden, -2147483648, 10, { x: 0, y: 290, width: 0, height: 32 }, false],
  ];
  for (const [window, width, height, frame, animated] of cases) {
    const before = top(platform.windowState(window).frame);
    native.resizeWindowContent(window, width, height);
    const state = platform.windowState(window);
    assert.deepEqual([state.frame, state.lastChangeAnimated], [frame, animated]);
    assert.equal(top(state.frame), before);
    assert.deepEqual([state.contentRect.width, state.contentRect.height], [Math.max(width, 0), Math.max(height, 0)]);
  }
  native.resizeWindowContent(Buffer.alloc(8), 10, 10);
  assert.equal(logged('Need a window to change content size').length, 1);
  assert.throws(() => native.resizeWindowContent(shown, 1.5, 2), { condition: 'args[1]->IsInt32()', file: 'WindowUtils' });
  closeAll();
});

test('sheets: the save dialog and generic sheets count; bad handles have none', () => {
  closeAll();
  const { window } = browserWindow('A');
  const chosen = [];
  native.showFileDialog(window, '{"filename":"a.txt"}', (...args) => chosen.push(args));
  assert.equal(native.hasSheets(window), true);
  assert.deepEqual(platform.windowState(window).sheets.map((s) => s.className), ['NSSavePanel']);
  platform.endSavePanel(window, null);
  platform.drainMainQueue();
  assert.equal(native.hasSheets(window), false);
  const sheet = platform.beginSheet(window, 'NSAlert');
  assert.equal(native.hasSheets(window), true);
  assert.equal(platform.endSheet(window, sheet), true);
  assert.equal(platform.endSheet(window, sheet), false);
  assert.equal(native.hasSheets(window), false);
  for (const handle of [{}, Buffer.alloc(4), Buffer.alloc(8)]) assert.equal(native.hasSheets(handle), false);
  assert.throws(() => native.hasSheets('x'), { condition: 'args[0]->IsObject()' });
  closeAll();
});

test('dragging the title-bar icon writes the page address; no address or no title refuses', () => {
  closeAll();
  const { window } = browserWindow('A');
  const option = ['option'];
  const cases = [
    [['https://mail.example/a', 'https://web.example/a', 'Inbox'], [], 'https://mail.example/a'],
    [['https://mail.example/a', 'https://web.example/a', 'Inbox'], option, 'https://web.example/a'],
    [['https://mail.example/a', 'https://web.example/a', ''], [], 'https://mail.example/a'],
    [['https://mail.example/a', 'https://web.example/a'], [], null],
    [['', 'https://web.example/a', 'Inbox'], [], null],
    [['https://mail.example/a', '', 'Inbox'], option, null],
  ];
  for (const [state, modifiers, url] of cases) {
    native.setCurrentURL(...state);
    const drag = platform.dragTitleBarIcon(window, modifiers);
    assert.equal(drag.allowed, url !== null, JSON.stringify(state));
    if (url) assert.ok(Object.values(drag.strings).includes(url));
    assert.equal(native.modifierKeys().includes('"option-modifier?":true'), modifiers.length > 0);
  }
  const plain = platform.createWindow('NSWindow', { delegateClass: '' });
  assert.equal(platform.dragTitleBarIcon(plain, []).allowed, false);
  closeAll();
});

test('the rest: tabbing is off, updates need no re-enabling, the trait callback is only kept', () => {
  assert.equal(platform.allowsAutomaticWindowTabbing(), false);
  assert.equal(native.reenableWindowUpdates(1, 2), undefined);
  assert.equal(logged('reenableWindowUpdates').length, 0);
  let called = false;
  assert.equal(native.setQueryWindowTraitCallbackFunction(() => { called = true; }), undefined);
  assert.throws(() => native.setQueryWindowTraitCallbackFunction(), { condition: 'args.Length() == 1' });
  assert.throws(() => native.hasMainWindow(1), { condition: 'args.Length() == 0' });
  assert.equal(called, false);
});
