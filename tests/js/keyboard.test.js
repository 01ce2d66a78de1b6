'use strict';
// Key events end to end: the special combinations, tab switching, the re-sent copy, the menu
// search, modifier reports, activation, hiding, pasting files and a Dvorak layout.
const test = require('node:test');
const assert = require('node:assert/strict');
const { loadModule, loadPlatform, runChild } = require('./support');

const native = loadModule();
const platform = loadPlatform();
const full = { x: 0, y: 0, width: 800, height: 600 };
const command = 1 << 20;
const shift = 1 << 17;

const menuTemplate = (prefix = '') => [
  { title: 'App', submenu: [{ title: `${prefix}Preferences`, key: ',', action: 'prefs' }] },
  { title: 'Edit', submenu: [{ title: `${prefix}Find Again`, key: 'g', action: 'find', hidden: true }] },
  { title: 'View', submenu: [
    { title: `${prefix}Back`, key: '\uF702', action: 'back' },
    { title: `${prefix}Duplicate`, key: 'd', action: 'dup' },
    { title: `${prefix}Duplicate Shifted`, key: 'D', action: 'dupShift' },
    { title: `${prefix}Disabled`, key: 'k', action: 'off', enabled: false },
  ] },
];

// Notices posted while `body` runs: tab switches and the menus' update notice.
function notices(body) {
  const seen = [];
  const ids = [
    platform.observe('ZqDispatchNotificationName', (_, info) => seen.push(info.action)),
    platform.observe('ZqAppMenuWillOpen', (_, info) => seen.push(`menu ${info.event['key-code']}`)),
  ];
  const result = body();
  ids.forEach((id) => platform.removeObserver(id));
  return { seen, result };
}

test('with no current event there are no modifier keys', () => {
  assert.equal(native.modifierKeys(), null);
  assert.throws(() => native.modifierKeys(1), { condition: 'args.Length() == 0' });
});

const window = platform.createWindow('AtomNSWindow', { title: 'Mail' });
const container = platform.addView(platform.contentView(window), 'BRYInspectableWebContentsView', full);
const web = platform.addView(container, 'WebContentsViewCocoa', full);
platform.setFirstResponder(window, web);
platform.setMainMenu(menuTemplate(), () => {});
platform.setKeyboardLayout('us');

// A key press: when the web view gets it, the page leaves it and the host re-sends a copy.
function pressUnhandled(event) {
  const sent = platform.keyDown(event);
  if (!sent.webView) return { web: false, item: sent.menuItem, handled: sent.menuItem !== null };
  const resent = platform.resendUnhandledKey();
  return { web: true, item: resent.menuItem, handled: resent.handled };
}

test('combinations the main menu gets first, before the web view', () => {
  const cases = [
    [{ code: 'Comma', modifiers: ['command'] }, 'Preferences'],
    [{ code: 'ArrowLeft', modifiers: ['command'] }, 'Back'],
    [{ code: 'KeyD', modifiers: ['command', 'shift'] }, 'Duplicate Shifted'],
    [{ keyCode: 2, modifiers: ['command', 'shift'], characters: 'x' }, null], // by position, no item
  ];
  for (const [event, item] of cases) {
    const { seen, result } = notices(() => platform.keyDown(event));
    assert.equal(result.menuItem, item, JSON.stringify(event));
    assert.equal(result.webView, item === null, 'only an unhandled combination reaches the page');
    assert.equal(seen.length, 1, 'the menus were searched first');
  }
  assert.deepEqual(platform.webViewKeys(window).map((key) => key.keyCode), [2]);
});

test('tab switching happens before the menus are searched, once per press', () => {
  const cases = [
    [{ code: 'BracketLeft', modifiers: ['command', 'shift'] }, ['window/set-previous-tab-active']],
    [{ code: 'BracketRight', modifiers: ['command', 'shift'] }, ['window/set-next-tab-active']],
    [{ code: 'BracketLeft', modifiers: ['command', 'option'] }, ['window/set-previous-tab-active']],
    [{ code: 'BracketLeft', modifiers: ['command', 'option', 'shift'] }, ['window/set-previous-tab-active']],
    [{ code: 'ArrowLeft', modifiers: ['command', 'control'] }, ['window/set-previous-tab-active']],
    [{ code: 'ArrowRight', modifiers: ['command', 'option'] }, ['window/set-next-tab-active']],
    [{ code: 'ArrowLeft', modifiers: ['command', 'control', 'option'] }, ['menu 123']],
  ];
  for (const [event, expected] of cases) {
    const { seen } = notices(() => pressUnhandled(event));
    assert.deepEqual(seen, expected, JSON.stringify(event));
  }
});

test('a re-sent copy matches as the real press only with the same characters', () => {
  assert.deepEqual(pressUnhandled({ code: 'KeyD', modifiers: ['command'] }),
    { web: true, item: 'Duplicate', handled: true });
  platform.keyDown({ code: 'KeyD', modifiers: ['command'] });
  assert.equal(platform.resendUnhandledKey({ characters: 'd' }).menuItem, 'Duplicate');
  platform.keyDown({ code: 'KeyD', modifiers: ['command'] });
  assert.equal(platform.resendUnhandledKey({ characters: 'x' }).handled, false);
  assert.equal(pressUnhandled({ code: 'KeyG', modifiers: ['command'] }).item, 'Find Again', 'hidden items fire');
  assert.equal(pressUnhandled({ code: 'KeyK', modifiers: ['command'] }).handled, false, 'disabled ones do not');
  assert.equal(pressUnhandled({ code: 'KeyD', modifiers: ['command', 'option'] }).handled, false);
  platform.webViewKeys(window);
});

test('modifier changes are reported with eight flags, not at the window origin', () => {
  const calls = [];
  native.setKeyboardModifierKeysCallbackFunction((...flags) => calls.push([flags, JSON.parse(native.modifierKeys())]));
  platform.flagsChanged({ keyCode: 56, modifiers: ['shift', 'capsLock', 'numericPad'] });
  platform.flagsChanged({ keyCode: 56, modifiers: ['shift'], location: { x: 0, y: 0 } });
  platform.flagsChanged({ keyCode: 55, modifiers: ['function', 'control', 'option', 'command', 'help'] });
  assert.deepEqual(calls.map(([flags]) => flags), [
    [false, false, false, false, true, true, false, true],
    [true, true, true, true, false, false, true, false],
  ]);
  assert.deepEqual(calls[0][1], { 'mouse?': false, 'keyboard?': true, 'function-modifier?': false,
    'control-modifier?': false, 'option-modifier?': false, 'command-modifier?': false, 'shift-modifier?': true });

  // Activation reports the current event: here the click that activates, shift held.
  calls.length = 0;
  platform.deactivateApplication();
  assert.equal(native.hasKeyWindow(), false);
  platform.activateApplication({ modifiers: ['shift'] });
  assert.deepEqual(calls.map(([flags]) => flags[4]), [true]);
  assert.equal(calls[0][1]['mouse?'], true);
  assert.equal(native.hasKeyWindow(), true);
  native.setKeyboardModifierKeysCallbackFunction(null);
});

test('hiding takes key and main away and unhiding gives them back', () => {
  assert.equal(native.isAppHidden(), false);
  platform.hideApplication();
  assert.deepEqual([native.isAppHidden(), native.hasKeyWindow(), native.hasMainWindow()], [true, false, false]);
  assert.equal(platform.keyDown({ code: 'KeyA', window }).webView, true, 'an event for the window still reaches it');
  platform.unhideApplication();
  assert.deepEqual([native.isAppHidden(), native.hasKeyWindow(), native.hasMainWindow()], [false, true, true]);
  platform.webViewKeys(window);
});

test('pasting asks for file URLs on the general pasteboard', () => {
  const posted = [];
  const id = platform.observe('ZqPasteFilesIntoCurrentWebContents', (name) => posted.push(name));
  platform.writePasteboard('general', [{ 'public.utf8-plain-text': 'hello' }]);
  assert.equal(platform.pasteIfPossible(), false);
  platform.writePasteboard('general', [{ 'public.file-url': 'file:///tmp/a.txt' }]);
  assert.equal(platform.pasteIfPossible(), true);
  assert.equal(posted.length, 1);
  platform.removeObserver(id);
});

test('on US Dvorak both command-shift D keys reach the main menu before the web view', () => {
  assert.equal(platform.setKeyboardLayout('us', 'dvorak'), true);
  assert.deepEqual(platform.keyboardLayout(), { layout: 'us', variant: 'dvorak' });
  const byCharacter = notices(() => platform.keyDown({ code: 'KeyH', modifiers: ['command', 'shift'] }));
  assert.equal(byCharacter.result.menuItem, 'Duplicate Shifted');
  const byPosition = notices(() => platform.keyDown({ keyCode: 2, modifiers: ['command', 'shift'] }));
  assert.deepEqual(byPosition.seen, ['menu 2'], 'the menu is searched first');
  assert.deepEqual(platform.webViewKeys(window).map((key) => key.charactersIgnoringModifiers), ['E']);
  for (const bad of [['no-such-layout'], ['../../etc', ''], ['us', 'x y']]) {
    assert.equal(platform.setKeyboardLayout(...bad), false);
  }
  assert.equal(platform.setKeyboardLayout('us'), true);
});

test('characters by layout: shift, the third level, control, arrows', () => {
  const typed = (event) => {
    platform.keyDown({ ...event, window });
    const [key] = platform.webViewKeys(window);
    return [key.characters, key.charactersIgnoringModifiers, key.modifierFlags >= 2 ** 23];
  };
  platform.setFirstResponder(window, web);
  assert.deepEqual(typed({ code: 'Digit2', modifiers: ['shift'] }), ['@', '@', false]);
  assert.deepEqual(typed({ code: 'KeyA', modifiers: ['control'] }), ['\x01', 'a', false]);
  assert.deepEqual(typed({ code: 'ArrowUp' }), ['\uF700', '\uF700', true]);
  assert.equal(platform.setKeyboardLayout('de'), true);
  assert.deepEqual(typed({ code: 'KeyQ', modifiers: ['option'] }), ['@', 'q', false]);
  assert.deepEqual(typed({ code: 'KeyY' }), ['z', 'z', false]);
  platform.setKeyboardLayout('us');
  assert.throws(() => platform.keyDown({ code: 'NoSuchKey' }), TypeError);
  assert.throws(() => platform.keyDown({ modifiers: ['hyper'] }), TypeError);
});

test('hostile hosts: throwing and re-entering callbacks, a notice observer replacing the menu', async () => {
  const { code, stdout, stderr } = await runChild(`
    const { loadModule, loadPlatform } = require(${JSON.stringify(require.resolve('./support'))});
    const native = loadModule();
    const platform = loadPlatform();
    const errors = [];
    process.on('uncaughtException', (error) => errors.push(error.message));
    const window = platform.createWindow('AtomNSWindow', {});
    const template = ${JSON.stringify(menuTemplate())};
    const fired = [];
    platform.setMainMenu(template, (action, title) => fired.push(title));
    let replaced = 0;
    platform.observe('ZqAppMenuWillOpen', () => {
      replaced += 1;
      if (replaced > 1) return;
      platform.setMainMenu(${JSON.stringify(menuTemplate('New '))}, (action, title) => fired.push(title));
    });
    native.setKeyboardModifierKeysCallbackFunction(() => {
      native.setKeyboardModifierKeysCallbackFunction(() => { throw new Error('second'); });
      platform.keyDown({ code: 'KeyD', modifiers: ['command'] });
      platform.closeWindow(window);
      throw new Error('first');
    });
    platform.flagsChanged({ keyCode: 56, modifiers: ['shift'] });
    platform.flagsChanged({ keyCode: 56, modifiers: [] });
    const report = platform.keyDown({ code: 'KeyD', modifiers: ['command'] });
    setImmediate(() => console.log(JSON.stringify({ errors, fired, replaced, report })));
  `);
  assert.equal(code, 0, stderr);
  const result = JSON.parse(stdout.trim().split('\n').at(-1));
  assert.deepEqual(result.errors, ['first', 'second']);
  // With no window the key goes to the menus. The search walks the menu it started with, whose
  // items lost their target with it; the next press finds the new menu.
  assert.deepEqual(result.fired, ['New Duplicate']);
  assert.equal(result.replaced, 2);
  assert.equal(result.report.menuItem, 'New Duplicate');
});
