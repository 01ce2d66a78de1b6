'use strict';
// The host's main menu as the module changes it: updates by command id and by path, the
// notices of top-level menus, and hosts that replace their menu under the module.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { addonPath, loadModule, loadPlatform, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'mainmenu-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');

const native = loadModule();
const platform = loadPlatform();

const CMD = 1 << 20;
const SHIFT = 1 << 17;
const OPT = 1 << 19;
const CTRL = 1 << 18;

// File, Edit (with a marker "Find" and items after it), View, Window; ids on leaves.
function template(prefix = '') {
  return [
    { title: `${prefix}File`, submenu: [
      { title: 'New Tab', key: 't', action: 'newTab', representedObject: { commandId: 1 } },
      { title: 'Close', key: 'w', action: 'close', representedObject: { commandId: 2 } },
    ] },
    { title: `${prefix}Edit`, submenu: [
      { title: 'Copy', key: 'c', representedObject: { commandId: 3 } },
      { title: 'Find' },
      { title: 'Find Next', key: 'g', representedObject: { commandId: 4 } },
      { title: 'Recent', submenu: [{ title: 'None', representedObject: { commandId: 5 } }] },
    ] },
    { title: `${prefix}View`, submenu: [
      { title: 'Big', representedObject: { commandId: 2 ** 32 + 6 } },
      { title: 'Small', representedObject: { commandId: 6.5 } },
    ] },
  ];
}

const byPath = (pathValue, attributes) =>
  native.updateMainMenuMenuItem(JSON.stringify(pathValue), JSON.stringify(attributes));
const byId = (id, attributes) =>
  native.updateMainMenuMenuItemWithCommandId(id, JSON.stringify(attributes));
const item = (...indexes) => {
  let items = platform.mainMenuItems();
  let found;
  for (const index of indexes) {
    found = items[index];
    items = found.submenu;
  }
  return found;
};

function notices() {
  const seen = [];
  const id = platform.observe(null, (name, userInfo) => {
    if (name.startsWith('ZqAppMenu')) seen.push([name, userInfo]);
  });
  return { seen, stop: () => platform.removeObserver(id) };
}

test('updates by path and by command id, with the key-equivalent rules', () => {
  platform.setMainMenu(template());
  assert.equal(byPath([1, 'Find', 0], { title: 'Find Again', visible: false }), 1);
  assert.deepEqual([item(1, 2).title, item(1, 2).hidden], ['Find Again', true]);
  assert.equal(byPath([1, 3, 0], { visible: true, extra: 1 }), 1, 'unknown keys still answer 1');
  assert.equal(byPath([2, 'Small'], { title: 'x' }), 1, 'a marker after a number keeps the item');
  assert.equal(item(2).title, 'x');

  const accelerators = [
    ['Cmd+Shift+D', 'D', CMD | SHIFT],
    ['Cmd', 'Cmd', CMD],
    ['Ctrl+Opt+k', 'k', CTRL | OPT],
    ['', '', 0],
    ['Cmd++', '', 0],
    ['Alt+CmdOrCtrl+K', 'K', 0],
    [null, '', 0],
  ];
  for (const [accelerator, key, mask] of accelerators) {
    assert.equal(byId(1, { accelerator }), 1, String(accelerator));
    assert.deepEqual([item(0, 0).keyEquivalent, item(0, 0).modifierMask], [key, mask],
      String(accelerator));
  }
  assert.equal(byId(5, { title: 'Nothing' }), 1, 'nested submenus are indexed');
  assert.equal(item(1, 3, 0).title, 'Nothing');
  // Only an int32 "commandId" counts: 2^32+6 is not 6, 6.5 is nobody.
  assert.equal(byId(6, { title: 'wrong' }), 0);
  assert.equal(byId(99, { title: 'wrong' }), 0);
  assert.deepEqual(platform.mainMenuItems()[2].submenu.map((entry) => entry.title),
    ['Big', 'Small']);
});

test('a replaced menu is found again; stale items are never updated', () => {
  platform.setMainMenu(template());
  assert.equal(byId(2, { title: 'Close Tab' }), 1);
  platform.setMainMenu(template('New '));
  assert.equal(byId(2, { title: 'Close Window' }), 1, 'the new menu, not the detached item');
  assert.equal(item(0, 1).title, 'Close Window');
  platform.setMainMenu(null);
  assert.equal(byId(1, { title: 'x' }), 0);
  assert.equal(byPath([0], { title: 'x' }), 0);
});

test('top-level menus post their notices; nested ones and observers that replace the menu',
  () => {
    platform.setMainMenu(template());
    native.setupMenuWillShowNotification();
    const { seen, stop } = notices();
    assert.equal(byPath([1], { title: 'Bearbeiten' }), 1);
    assert.equal(platform.openMainMenu(1), true);
    platform.closeMainMenu();
    assert.equal(platform.openMainMenu([1, 3]), true, 'the nested menu opens, silently');
    platform.closeMainMenu();
    assert.deepEqual(seen, [
      ['ZqAppMenuWillOpen', { event: {}, menu: 'Bearbeiten' }],
      ['ZqAppMenuDidClose', {}],
      ['ZqAppMenuWillOpen', { event: {}, menu: 'Bearbeiten' }],
      ['ZqAppMenuDidClose', {}],
    ]);
    // The host rebuilds its menu from inside the notice: nothing breaks, and the new menu
    // answers once set up again.
    const replace = platform.observe('ZqAppMenuWillOpen', () => platform.setMainMenu(template('2 ')));
    assert.equal(platform.openMainMenu(0), true);
    platform.removeObserver(replace);
    assert.equal(byId(1, { title: 'after' }), 1);
    seen.length = 0;
    platform.openMainMenu(0);
    platform.closeMainMenu();
    assert.deepEqual(seen, [], 'the new menu has no delegate until set up again');
    native.setupMenuWillShowNotification();
    platform.openMainMenu(0);
    stop();
    assert.deepEqual(seen, [['ZqAppMenuWillOpen', { event: {}, menu: '2 File' }]]);
    platform.closeMainMenu();
  });

test('a chosen item tells the host, hidden ones cannot be chosen', () => {
  const fired = [];
  platform.setMainMenu(template(), (action, title, object) => fired.push([action, title, object]));
  assert.equal(platform.chooseMainMenuItem([0, 0]), true);
  byId(2, { visible: false });
  assert.equal(platform.chooseMainMenuItem([0, 1]), false);
  assert.deepEqual(fired, [['newTab', 'New Tab', { commandId: 1 }]]);
});

test('bad paths and attributes answer 0 with their error lines', async () => {
  const cases = [
    ['{', '{}', /error navigationPath .+ \(\{\)/],
    ['{"a":1}', '{}', /navigationPath must be an NSArray \(\{"a":1\}\)/],
    ['[0]', 'nope', /error parsing attributeMap .+ \(nope\)/],
    ['[0]', '[1]', /attributemMap must be an NSDictionary \(\[1\]\)/],
    ['[0, 0, 1]', '{}', /Path element 1 isn't valid as it points to a menuItems item without submenu \(<MenuItem: "New Tab">\)\./],
    ['[-1]', '{}', /Index out of range -1 for items \(<MenuItem: "File">/],
    ['[0.5]', '{}', /Index out of range 0\.5 for items/],
    ['[1, "Recent", 0]', '{}', /Index out of range 0 for items \(\)/],
    ['[1, "Nope"]', '{}', /Didn't find marker item with name Nope/],
    ['[true]', '{}', /\[ERROR\] Unknown navigation item true in \[true\]/],
    ['[null]', '{}', /\[ERROR\] Unknown navigation item null in \[null\]/],
    ['["File"]', '{}', /No menuItems item found/],
    ['[]', '{}', /No menuItems item found/],
    ['[0]', '{"title": null, "visible": "no", "accelerator": 3}', /Cannot set menuItems item attribute accelerator to 3[\s\S]*Cannot set menuItems item attribute title to null[\s\S]*attribute visible to "no"/],
    ['[0]', JSON.stringify({ title: 'x'.repeat(10000), visible: 'y'.repeat(10000) }), /attribute visible to "y{4095}\.\.\.\n/],
  ];
  const { code, stdout, stderr } = await runChild(`
    const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
    const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
    platform.setMainMenu(${JSON.stringify(template())});
    const results = [];
    for (const [p, a] of ${JSON.stringify(cases.map(([p, a]) => [p, a]))}) {
      results.push(native.updateMainMenuMenuItem(p, a));
      console.error('--- case');
    }
    console.log(JSON.stringify(results));
  `, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'child') } });
  assert.equal(code, 0, stderr);
  assert.deepEqual(JSON.parse(stdout.trim()), [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1]);
  const sections = stderr.split('--- case');
  cases.forEach(([p, , pattern], index) => {
    assert.match(sections[index], pattern, `${p}`);
    assert.match(sections[index], /\[error\]/, `${p}`);
  });
});
