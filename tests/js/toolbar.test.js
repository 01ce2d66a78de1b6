'use strict';
// Window toolbars as the host defines them and the user meets them: items and their forms,
// clicks, validation, appearance, the add-tab button, the palette, autosave and bad input.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { buildDir, loadModule, loadPlatform, logged, readPNG, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'toolbar-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');

const native = loadModule();
const platform = loadPlatform();

const SPACE = 'NSToolbarSpaceItem';
const FLEX = 'NSToolbarFlexibleSpaceItem';
const CUSTOMIZE = 'NSToolbarCustomizeToolbarItem';

const definition = (identifier, extra = {}, options = { 'allows-user-customization?': true }) =>
  JSON.stringify({
    identifier,
    options,
    items: [
      { identifier: 'compose', label: 'Compose', 'image-name': 'TB_Compose', 'button?': true,
        'default?': true, 'selectable?': true },
      { identifier: 'archive', label: 'Archive', 'palette-label': 'Archive Mail', tooltip: 'Put away',
        'image-name': 'TB_Archive', 'default?': true },
      { identifier: 'plain', label: 'Plain', 'default?': true, 'selected?': true },
      { identifier: 'compose', label: 'Second compose' },
      { type: 'flexible-space', identifier: 'ignored', 'default?': true },
      { type: 'customize-toolbar', 'default?': 'yes' },
      { type: 'flexible-space' },
      ...(extra.items || []),
    ],
  });

const calls = [];
native.setToolbarCallbackFunctions(
  (id, identifier) => { calls.push(['validate', id, identifier]); return identifier !== 'archive'; },
  (id, identifier) => calls.push(['action', id, identifier]),
  (id) => calls.push(['add-tab', id]));

function newWindow(id, json = definition('main')) {
  const window = platform.createWindow('AtomNSWindow', { title: `window ${id}` });
  native.addToolbarToWindow(window, id, json);
  return window;
}

test('one window end to end: items, forms, clicks and validation', () => {
  platform.setAppearance('light');
  platform.drainMainQueue();
  const window = newWindow(7);
  const toolbar = platform.toolbar(window);
  assert.equal(toolbar.showsBaselineSeparator, false);
  assert.equal(toolbar.allowsUserCustomization, true);
  assert.equal(toolbar.autosavesConfiguration, false);
  assert.deepEqual(toolbar.allowed, ['compose', 'archive', 'plain', 'compose', FLEX, CUSTOMIZE]);
  assert.deepEqual(toolbar.default, ['compose', 'archive', 'plain', FLEX]);
  assert.deepEqual(toolbar.selectable, ['compose']);
  assert.equal(toolbar.selected, 'plain');
  const [compose, archive, plain, flex] = toolbar.items;
  assert.deepEqual(toolbar.items.map((item) => item.identifier), ['compose', 'archive', 'plain', FLEX]);
  assert.deepEqual([compose.label, compose.paletteLabel, compose.toolTip], ['Compose', 'Compose', 'Compose']);
  assert.deepEqual([archive.paletteLabel, archive.toolTip], ['Archive Mail', 'Put away']);
  assert.equal(compose.button.bezelStyle, 11);
  assert.deepEqual([compose.minSize, compose.maxSize], [{ width: 48, height: 32 }, { width: 48, height: 32 }]);
  assert.deepEqual(compose.menuForm, { title: 'Compose', action: 'toolbarAction:', keyEquivalent: '' });
  assert.ok(compose.imageIsTemplate && compose.button.imageIsTemplate && archive.imageIsTemplate);
  assert.equal(archive.button, null);
  assert.equal(plain.image, null);
  assert.equal(flex.className, FLEX);

  calls.length = 0;
  native.validateToolbarItems(7);
  assert.deepEqual(calls, [['validate', 7, 'compose'], ['validate', 7, 'archive'], ['validate', 7, 'plain']]);
  const enabled = platform.toolbar(window).items.map((item) => item.enabled);
  assert.deepEqual(enabled, [true, false, true, true]);
  assert.equal(platform.toolbar(window).items[0].button.enabled, true);
  const picture = readPNG(platform.renderWindow(window, 2));
  assert.equal(picture.height, 120, 'title bar and toolbar');
  const grey = (pixel) => pixel[0];
  assert.ok(Math.abs(grey(picture.pixel(60, 76)) - 77) <= 6, `tinted template image ${picture.pixel(60, 76)}`);
  assert.ok(Math.abs(grey(picture.pixel(184, 76)) - 178) <= 8, `disabled item faded ${picture.pixel(184, 76)}`);

  calls.length = 0;
  for (const target of ['compose', 'archive', 'plain', 3]) platform.clickToolbarItem(window, target);
  assert.deepEqual(calls, [['action', 7, 'compose'], ['action', 7, 'plain']], 'disabled and standard items stay quiet');
  platform.setToolbarDisplayMode(window, 'label');
  calls.length = 0;
  platform.clickToolbarItem(window, 'compose');
  assert.deepEqual(calls, [['validate', 7, 'compose'], ['action', 7, 'compose']], 'the menu form is validated first');
  assert.equal(platform.toolbar(window).selected, 'compose', 'a selectable item is selected by its click');
  native.selectToolbarItem(7, 'plain');
  assert.equal(platform.toolbar(window).selected, 'plain');
  native.toggleToolbarVisibility(7);
  assert.equal(native.isToolbarVisible(7), false);
  calls.length = 0;
  platform.updateWindows();
  assert.deepEqual(calls, [], 'a hidden toolbar has no visible items');
  native.toggleToolbarVisibility(7);
  assert.equal(native.isToolbarVisible(7), true);
  platform.closeWindow(window);
  assert.equal(native.isToolbarVisible(7), false, 'the controller went with its window');
});

test('appearance switches pick the dark variant for every created item', () => {
  platform.setAppearance('light');
  const window = newWindow(8);
  const light = platform.toolbar(window).items[0].image;
  const archiveLight = platform.toolbar(window).items[1].image;
  platform.setAppearance('dark');
  platform.drainMainQueue();
  let [compose, archive] = platform.toolbar(window).items;
  assert.ok(!compose.image.equals(light), 'the variant has another shape');
  const alphas = (png) => { const { width, height, pixel } = readPNG(png);
    return Array.from({ length: width * height }, (_, i) => pixel(i % width, Math.floor(i / width))[3]); };
  const resource = (name) => alphas(fs.readFileSync(path.join(buildDir, 'Velquarin.bundle', 'Resources', name)));
  assert.deepEqual(alphas(compose.image), resource('TB_Compose--wdark.png'));
  assert.deepEqual(alphas(light), resource('TB_Compose.png'));
  assert.ok(compose.button.image.equals(compose.image));
  assert.ok(archive.image.equals(archiveLight), 'no variant: the plain image');
  native.changeImageOfToolbarItem(8, 'compose', 'TB_Archive');
  assert.ok(platform.toolbar(window).items[0].button.image.equals(archiveLight));
  for (const hostile of ['../x', '/etc/passwd', '']) {
    native.changeImageOfToolbarItem(8, 'compose', hostile);
    assert.equal(platform.toolbar(window).items[0].button.image, null, hostile);
  }
  assert.equal(logged('No image named ../x').length, 1);
  platform.setAppearance('light');
  platform.drainMainQueue();
  [compose] = platform.toolbar(window).items;
  assert.ok(compose.button.image.equals(light), 'the appearance replaces a changed image');
  platform.closeWindow(window);
});

test('the add-tab button against spaces, the palette and clicks', () => {
  const window = newWindow(9);
  const identifiers = () => platform.toolbar(window).items.map((item) => item.identifier);
  assert.deepEqual(platform.addTabButton(window), { hidden: true, hovering: false, width: 25, height: 24 });
  native.showAddTabButton(9);
  assert.deepEqual(identifiers(), ['compose', 'archive', 'plain', FLEX], 'a flexible space suffices');
  native.hideAddTabButton(9);
  assert.deepEqual(identifiers(), ['compose', 'archive', 'plain', FLEX], 'only a plain space is removed');
  platform.openToolbarPalette(window);
  platform.endToolbarPalette(window, ['compose', 'unknown']);
  native.showAddTabButton(9);
  assert.deepEqual(identifiers(), ['compose', SPACE]);
  native.hideAddTabButton(9);
  assert.deepEqual(identifiers(), ['compose']);
  platform.openToolbarPalette(window);
  platform.endToolbarPalette(window, []);
  native.showAddTabButton(9);
  native.hideAddTabButton(9);
  assert.deepEqual(identifiers(), [], 'an empty toolbar stays empty');

  // Both roads to the palette hide the button and bring it back.
  native.showAddTabButton(9);
  for (const open of [() => native.customizeToolbar(9), () => platform.openToolbarPalette(window)]) {
    open();
    native.customizeToolbar(9);
    assert.equal(platform.addTabButton(window).hidden, true);
    assert.equal(platform.pendingTimers() >= 1, true);
    platform.endToolbarPalette(window);
    platform.advanceClock(0.1);
    assert.equal(platform.addTabButton(window).hidden, false);
  }
  // A button hidden during the palette stays hidden, also after a later palette.
  native.customizeToolbar(9);
  native.hideAddTabButton(9);
  platform.endToolbarPalette(window);
  platform.advanceClock(0.1);
  native.customizeToolbar(9);
  platform.endToolbarPalette(window);
  platform.advanceClock(0.2);
  assert.equal(platform.addTabButton(window).hidden, true);

  native.showAddTabButton(9);
  const other = platform.createWindow('AtomNSWindow', { title: 'other' });
  calls.length = 0;
  assert.equal(platform.clickAddTabButton(window), false, 'the first click only activates');
  assert.equal(platform.clickAddTabButton(window), true);
  assert.deepEqual(calls, [['add-tab', 9]]);
  platform.hoverAddTabButton(window, true);
  assert.equal(platform.addTabButton(window).hovering, true);
  platform.closeWindow(other);
  native.customizeToolbar(9);
  const timers = platform.pendingTimers();
  platform.closeWindow(window);
  assert.equal(platform.pendingTimers(), timers - 1, 'the palette timer stops with the window');
});

test('a second toolbar for a window replaces the first; ids are reused after close', () => {
  const window = newWindow(10);
  native.showAddTabButton(10);
  native.addToolbarToWindow(window, 10, definition('second'));
  assert.equal(platform.toolbar(window).identifier, 'second');
  native.showAddTabButton(10);
  native.hideAddTabButton(10);
  assert.equal(platform.addTabButton(window).hidden, true, 'one button, the new one');
  platform.closeWindow(window);
  const next = newWindow(10);
  native.toggleToolbarVisibility(10);
  assert.equal(platform.toolbar(next).visible, false);
  platform.closeWindow(next);
});

test('autosave restores the arrangement in a second window and ignores bad values', () => {
  const options = { 'autosaves-configuration?': true, 'allows-user-customization?': true };
  const first = newWindow(11, definition('saved', {}, options));
  platform.openToolbarPalette(first);
  platform.endToolbarPalette(first, ['plain', 'archive', SPACE]);
  platform.setToolbarDisplayMode(first, 'icon');
  native.toggleToolbarVisibility(11);
  platform.closeWindow(first);
  const second = newWindow(12, definition('saved', {}, options));
  const toolbar = platform.toolbar(second);
  assert.deepEqual(toolbar.items.map((item) => item.identifier), ['plain', 'archive', SPACE]);
  assert.deepEqual([toolbar.displayMode, toolbar.visible], ['icon', false]);
  platform.closeWindow(second);
  platform.defaultsWrite('NSToolbar Configuration broken',
    { 'TB Item Identifiers': [1, 'nope', 'plain'], 'TB Display Mode': 9, 'TB Is Shown': 'no' });
  const third = newWindow(13, definition('broken', {}, options));
  const restored = platform.toolbar(third);
  assert.deepEqual(restored.items.map((item) => item.identifier), ['plain']);
  assert.deepEqual([restored.displayMode, restored.visible], ['default', true]);
  platform.closeWindow(third);
});

test('hostile definitions: contracts, log lines and skipped entries', () => {
  const window = platform.createWindow('AtomNSWindow', { title: 'hostile' });
  const cases = [
    ['{"items": [], "options": {}}', 'need an identifier'],
    ['{"identifier": "t", "items": {}, "options": {}}', 'need toolbar items.'],
    ['{"identifier": "t", "items": [], "options": []}', 'need a dictionary of options.'],
  ];
  for (const [json, condition] of cases) {
    assert.throws(() => native.addToolbarToWindow(window, 20, json),
      (error) => error instanceof TypeError && error.condition === condition && error.file === 'ZqToolbarController');
    assert.equal(platform.toolbar(window), null);
  }
  native.addToolbarToWindow(Buffer.alloc(8), 20, definition('x'));
  native.addToolbarToWindow(window, 20, '{oops' + 'x'.repeat(5000));
  native.addToolbarToWindow(window, 20, '[1]');
  assert.equal(logged('Need a view with a window to add a toolbar').length, 1);
  const parse = logged('error parsing options {oops');
  assert.equal(parse.length, 1);
  assert.ok(parse[0].length < 4096 + 400, 'host text is quoted up to 4 KiB');
  assert.equal(logged('toolbar options must be a NSDictionary ([1])').length, 1);
  assert.equal(platform.toolbar(window), null);
  native.addToolbarToWindow(window, 20, JSON.stringify({ identifier: 't', options: {}, items: [
    7, { identifier: 5, label: 'x', 'default?': true }, { identifier: 'ok', label: 9, 'default?': 1 },
    { identifier: 'ok2', label: 'Two', 'image-name': '../Resources/TB_Compose', 'button?': true, 'default?': true }] }));
  const [item, ...rest] = platform.toolbar(window).items;
  assert.deepEqual([item.identifier, item.label, item.image, item.button, rest.length], ['ok2', 'Two', null, null, 0]);
  assert.equal(logged('not an object: 7').length, 1);
  for (const call of [() => native.validateToolbarItems(999), () => native.showAddTabButton(999)]) call();
  assert.equal(native.isToolbarVisible(999), false);
  platform.closeWindow(window);
});

test('validation callbacks that throw, answer oddly or re-enter', async () => {
  const { code, stdout, stderr } = await runChild(`
    const { loadModule, loadPlatform } = require(${JSON.stringify(require.resolve('./support'))});
    const native = loadModule();
    const platform = loadPlatform();
    const errors = [];
    process.on('uncaughtException', (error) => errors.push(error.message));
    const window = platform.createWindow('AtomNSWindow', { title: 'w' });
    const items = ['a', 'b', 'c', 'd'].map((identifier) => ({ identifier, label: identifier, 'default?': true }));
    native.addToolbarToWindow(window, 1, JSON.stringify({ identifier: 't', options: {}, items }));
    const asked = [];
    native.setToolbarCallbackFunctions((id, identifier) => {
      asked.push(identifier);
      if (identifier === 'a') throw new Error('host failed');
      if (identifier === 'b') return 1;
      if (identifier === 'c') { platform.closeWindow(window); return true; }
      return true;
    }, () => {}, () => {});
    native.validateToolbarItems(1);
    // Replacing the toolbar, hiding the button and validating again from inside a validation.
    const second = platform.createWindow('AtomNSWindow', { title: 'second' });
    const define = (identifier, list) => JSON.stringify({ identifier, options: {}, items: list });
    native.addToolbarToWindow(second, 2, define('t', items));
    native.showAddTabButton(2);
    const again = [];
    let third;
    native.setToolbarCallbackFunctions((id, identifier) => {
      again.push(identifier);
      if (identifier === 'b' && again.length === 2) {
        native.hideAddTabButton(2);
        native.addToolbarToWindow(second, 2, define('u', items.slice(0, 1)));
        native.validateToolbarItems(2);
      }
      return true;
    }, () => platform.closeWindow(third), () => platform.closeWindow(second));
    native.validateToolbarItems(2);
    const replaced = platform.toolbar(second).items.map((item) => item.identifier);
    native.showAddTabButton(2);
    platform.showWindow(second);
    platform.clickAddTabButton(second);
    third = platform.createWindow('AtomNSWindow', { title: 'third' });
    native.addToolbarToWindow(third, 3, define('t', items));
    platform.clickToolbarItem(third, 'a');
    platform.clickToolbarItem(third, 'b');
    console.log(JSON.stringify({ asked, errors, visible: native.isToolbarVisible(1), again, replaced,
      open: [native.isToolbarVisible(2), native.isToolbarVisible(3)] }));
  `);
  assert.equal(code, 0, stderr);
  const result = JSON.parse(stdout.trim().split('\n').at(-1));
  assert.deepEqual(result, { asked: ['a', 'b', 'c', 'd'], errors: ['host failed'], visible: false,
    again: ['a', 'b', 'a', 'c', 'd'], replaced: ['a'], open: [false, false] });
  assert.match(stderr, /Unknown result from callback function! 1/);
  assert.match(stderr, /Unknown result from callback function! 0/);
});

test('the add-tab button is drawn in the six colour states at scale 2', () => {
  const window = newWindow(14);
  const other = platform.createWindow('AtomNSWindow', { title: 'other' });
  native.showAddTabButton(14);
  const hex = (text) => [0, 2, 4].map((at) => parseInt(text.slice(at, at + 2), 16)).concat(255);
  const near = (actual, expected, what) => assert.ok(actual.every((v, i) => Math.abs(v - expected[i]) <= 2),
    `${what}: ${actual} vs ${expected}`);
  const states = [
    ['light', true, true, ['b4b2b4', 'acaaac', '979797', '696869']],
    ['dark', true, true, ['292929', '262626', '515253', 'a3a3a3']],
    ['light', true, false, ['c2c0c2', 'bab8ba', '8b898b', '696869']],
    ['dark', true, false, ['212121', '1f1f1f', '515253', '828282']],
    ['light', false, true, ['e5e4e5', 'e5e4e5', 'cecece', 'cecece']],
    ['dark', false, false, ['1b1c1d', '1b1c1d', '494a4c', '303132']],
  ];
  for (const [appearance, main, hover, [start, end, edge, plus]] of states) {
    platform.setAppearance(appearance);
    platform.drainMainQueue();
    platform.showWindow(main ? window : other);
    platform.hoverAddTabButton(window, hover);
    const { width, height, pixel } = readPNG(platform.renderAddTabButton(window, 2));
    const what = `${appearance} main=${main} hover=${hover}`;
    assert.deepEqual([width, height], [50, 48]);
    near(pixel(40, 1), hex(start), `${what} top`);
    near(pixel(40, 46), hex(end), `${what} bottom`);
    near(pixel(0, 30), hex(edge), `${what} left edge`);
    near(pixel(30, 0), hex(edge), `${what} top edge`);
    near(pixel(25, 23), hex(plus), `${what} plus`);
    near(pixel(25, 16), hex(plus), `${what} plus top`);
  }
  platform.setAppearance('light');
  platform.drainMainQueue();
  platform.closeWindow(other);
  platform.closeWindow(window);
});
