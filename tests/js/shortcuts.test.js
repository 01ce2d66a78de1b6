'use strict';
// Global shortcuts end to end: stored archives against Python's plistlib, the recorder through
// key events, key names per layout, the binder through in-process presses, and X11 key grabs
// on the run's private Xvfb (the module in child processes, keys pressed by xdotool).
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { buildDir, loadModule, loadPlatform, runChild, logged, startPrivateXvfb } = require('./support');

const native = loadModule();
const platform = loadPlatform();
const [shift, control, option, command] = [1 << 17, 1 << 18, 1 << 19, 1 << 20];
const K = 40;
const L = 37;

function watch(name, body) {
  const seen = [];
  const id = platform.observe(name, (_, info) => seen.push(info));
  try { body(); } finally { platform.removeObserver(id); }
  return seen;
}

// Records into `key`: the monitor's notices and how many beeps, recording ended afterwards.
function record(key, events) {
  const beeps = platform.beepCount();
  const seen = watch('ZqKeyboardShortcutMonitorUpdated', () => {
    native.startMonitoringKeyboardShortcuts(key);
    for (const e of events) (e.flags ? platform.flagsChanged(e) : platform.keyDown(e));
  });
  const beeped = platform.beepCount() - beeps;
  native.stopMonitoringKeyboardShortcuts();
  return { seen: seen.slice(1), beeped, stored: native.globalShortcutDescriptionForDefaultsKey(key) };
}

function python(script, input) {
  const run = spawnSync('python3', ['-c', `import plistlib, sys, json, base64\n${script}`],
    { input, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  return JSON.parse(run.stdout);
}

// Archives written by plistlib, as base64, from a list of [KeyCode, ModifierFlags, variant].
function archives(list) {
  return python(`
from plistlib import UID
out = []
for kc, mf, variant in json.loads(sys.stdin.read()):
    obj = {"$class": UID(2), "KeyCode": kc, "ModifierFlags": mf}
    kind = {"$classname": "MASShortcut", "$classes": ["MASShortcut", "NSObject"]}
    objects, top = ["$null", obj, kind], {"root": UID(1)}
    if variant == "reordered":
        obj["$class"], obj["Extra"] = UID(1), [1, "x"]
        objects, top = ["$null", kind, obj], {"root": UID(2)}
    if variant == "other-class": kind["$classname"] = "NSColor"
    if variant == "dangling": top = {"root": UID(9)}
    if variant == "cyclic": obj["$class"] = UID(1)
    if variant == "huge": obj["Padding"] = b"x" * 70000
    if variant == "string-member": obj["KeyCode"] = "40"
    archive = {"$archiver": "NSKeyedArchiver", "$version": 100000, "$top": top, "$objects": objects}
    out.append(base64.b64encode(plistlib.dumps(archive, fmt=plistlib.FMT_BINARY)).decode())
print(json.dumps(out))`, JSON.stringify(list)).map((text) => Buffer.from(text, 'base64'));
}

platform.setKeyboardLayout('us');
platform.setMainMenu([
  { title: 'Edit', submenu: [{ title: 'Kill Line', key: 'K', action: 'kill' }, { title: 'Plain' }] },
], () => {});
platform.setSystemHotKeys([
  { keyCode: K, modifiers: ['command', 'option'] },
  { keyCode: L, modifiers: ['command', 'option'], enabled: false },
]);

test('what the module stores is the keyed archive plistlib reads', () => {
  record('stored', [{ keyCode: K, modifiers: ['command', 'shift', 'control'] }]);
  const decoded = python(`
data = plistlib.loads(sys.stdin.buffer.read())
walk = lambda v: {"uid": v.data} if isinstance(v, plistlib.UID) else {k: walk(x) for k, x in v.items()} if isinstance(v, dict) else [walk(x) for x in v] if isinstance(v, list) else v
print(json.dumps(walk(data)))`, platform.defaultsRead('stored'));
  assert.deepEqual(decoded, {
    $archiver: 'NSKeyedArchiver', $version: 100000, $top: { root: { uid: 1 } },
    $objects: ['$null', { $class: { uid: 2 }, KeyCode: K, ModifierFlags: command | shift | control },
      { $classname: 'MASShortcut', $classes: ['MASShortcut', 'NSObject'] }],
  });
});

test('archives written elsewhere read back, junk reads as no shortcut', () => {
  const cases = [
    [[K, command | shift, ''], '\u21E7\u2318K'],
    [[300, 1 << 18, ''], '\u2303'],                        // 2-byte key code, no name
    [[0, 2 ** 40 + command, ''], '\u2318A'],               // 8-byte flags, other bits dropped
    [[-1, option, ''], '\u2325'],                          // no key
    [[L, command, 'reordered'], '\u2318L'],
    [[L, command, 'other-class'], null],
    [[L, command, 'dangling'], null],
    [[L, command, 'cyclic'], null],
    [[L, command, 'huge'], null],
    [[L, command, 'string-member'], null],
  ];
  const bytes = archives(cases.map(([input]) => input));
  cases.forEach(([input, expected], i) => {
    platform.defaultsWrite('elsewhere', bytes[i]);
    assert.equal(native.globalShortcutDescriptionForDefaultsKey('elsewhere'), expected, String(input));
  });
  for (const junk of ['text', 5, Buffer.from('bplist00\xff\x00junk')]) {
    platform.defaultsWrite('elsewhere', junk);
    assert.equal(native.globalShortcutDescriptionForDefaultsKey('elsewhere'), null);
  }
});

test('recording: invalid beeps, valid stores, taken is explained', () => {
  const cases = [
    [{ keyCode: 0, modifiers: ['shift'] }, 'beep'],
    [{ keyCode: 0, modifiers: ['option'] }, 'beep'],
    [{ keyCode: 49, modifiers: ['option'] }, '\u2325Space'],
    [{ keyCode: 53, modifiers: ['option'] }, '\u2325\u238B'],
    [{ keyCode: 96 }, 'F5'],
    [{ keyCode: 0, modifiers: ['control', 'option', 'shift', 'command'] }, '\u2303\u2325\u21E7\u2318A'],
    [{ keyCode: K, modifiers: ['command', 'shift'] }, 'used-by:Kill Line'],
    [{ keyCode: K, modifiers: ['command', 'option'] }, 'used-system-wide'],
    [{ keyCode: L, modifiers: ['command', 'option'] }, '\u2325\u2318L'],   // disabled entry
  ];
  for (const [event, expected] of cases) {
    platform.defaultsRemove('rec');
    const { seen, beeped, stored } = record('rec', [event]);
    if (expected === 'beep') {
      assert.deepEqual([beeped, seen.length, stored], [1, 0, null], JSON.stringify(event));
    } else if (expected.startsWith('used')) {
      assert.deepEqual(seen[0], { shortcut: seen[0].shortcut, error: expected, 'existing?': false,
        'valid?': false, 'monitoring?': true });
      assert.equal(stored, null);
    } else {
      assert.deepEqual([seen[0].shortcut, seen[0]['monitoring?'], stored], [expected, false, expected]);
    }
  }
});

test('recording: modifiers, cancelling, tab, a second start and a stop after a store', () => {
  record('keep', [{ keyCode: K, modifiers: ['command'] }]);
  const lone = record('keep', [{ keyCode: 56, modifiers: ['shift'], flags: true }, { keyCode: 53 }]);
  assert.deepEqual(lone.seen.map((n) => [n.shortcut, n['monitoring?'], n['existing?']]),
    [['\u21E7', true, true], ['\u2318K', false, true]]);
  assert.equal(lone.stored, '\u2318K');
  for (const key of [51, 117]) assert.equal(record('keep', [{ keyCode: key }]).stored, '\u2318K');

  platform.defaultsRemove('none');
  const escape = record('none', [{ keyCode: 53 }]);
  assert.deepEqual(escape.seen, [{ shortcut: '', error: '', 'valid?': true, 'existing?': true, 'monitoring?': false }]);

  native.startMonitoringKeyboardShortcuts('keep');
  assert.equal(platform.keyDown({ keyCode: 48, modifiers: ['command'] }).swallowed, false);
  assert.equal(platform.keyDown({ keyCode: 13, modifiers: ['command'] }).swallowed, true);
  native.startMonitoringKeyboardShortcuts('other');
  assert.equal(logged('Already monitoring: Cannot turn on monitor for shortcuts.').length, 1);
  platform.keyDown({ keyCode: L, modifiers: ['command', 'control'] });
  // Stopping after the store keeps the new shortcut.
  const after = watch('ZqKeyboardShortcutMonitorUpdated', () => native.stopMonitoringKeyboardShortcuts());
  assert.deepEqual(after.map((n) => [n.shortcut, n['existing?'], n['monitoring?']]), [['\u2303\u2318L', true, false]]);
  assert.equal(native.globalShortcutDescriptionForDefaultsKey('keep'), '\u2303\u2318L');
  assert.equal(native.globalShortcutDescriptionForDefaultsKey('other'), null);

  native.setUserDefault('typed', 'text');
  record('typed', [{ keyCode: 53 }]);
  assert.equal(native.getUserDefault('typed'), 'text');
});

test('key names by layout', () => {
  const cases = [
    ['us', 36, '\u21A9'], ['us', 71, '\u2327'], ['us', 78, '\u2013'], ['us', 92, '9'],
    ['us', 115, '\u2196'], ['us', 126, '\u2191'], ['us', 105, 'F13'], ['us', 42, '\\'],
    ['de', 6, 'Y'], ['de', 27, 'SS'], ['de', 50, '^'], ['fr', 0, 'Q'], ['fr', 33, '^'],
    ['ru', 0, 'A'], ['tr', 34, 'I'],
  ];
  for (const [layout, keyCode, name] of cases) {
    platform.setKeyboardLayout(layout);
    platform.defaultsRemove('name');
    assert.equal(record('name', [{ keyCode, modifiers: ['command', 'control'] }]).stored,
      `\u2303\u2318${name}`, `${layout} ${keyCode}`);
  }
  platform.setKeyboardLayout('us');
  // No name (a key the table lacks, F20): a modifier change, nothing stored.
  platform.defaultsRemove('name');
  for (const keyCode of [52, 90]) {
    const { seen, stored } = record('name', [{ keyCode, modifiers: ['command'] }]);
    assert.deepEqual([seen[0].shortcut, seen[0]['monitoring?'], stored], ['\u2318', true, null]);
  }
});

test('bound keys follow their values and fire through in-process presses', () => {
  const fired = () => { platform.drainMainQueue(); };
  const press = (keyCode, modifiers) => watch('ZqGlobalShortcutAction', () => {
    platform.pressGlobalKey({ keyCode, modifiers });
    fired();
  }).map((n) => n['defaults-key']);
  const [cmdOptJ, cmdCtrlJ, noName] = archives([[38, command | option, ''], [38, command | control, ''], [52, command, '']]);

  platform.defaultsWrite('one', cmdOptJ);
  native.bindGlobalShortcutWithDefaultsKey('one');
  native.bindGlobalShortcutWithDefaultsKey('one');
  assert.deepEqual(platform.registeredHotKeys().map((h) => [h.keyCode, h.modifiers, h.signature]),
    [[38, 0x900, 0x4D415353]]);
  assert.deepEqual(press(38, ['command', 'option']), ['one']);

  platform.defaultsWrite('one', cmdCtrlJ);
  assert.deepEqual(press(38, ['command', 'option']), []);
  assert.deepEqual(press(38, ['command', 'control']), ['one']);

  // Two keys, one combination: the second takes over when the first lets go.
  platform.defaultsWrite('two', cmdCtrlJ);
  native.bindGlobalShortcutWithDefaultsKey('two');
  assert.equal(platform.registeredHotKeys().length, 1);
  platform.defaultsWrite('one', 'junk');
  assert.deepEqual(press(38, ['command', 'control']), ['two']);

  native.startMonitoringKeyboardShortcuts('two');
  assert.equal(platform.registeredHotKeys().length, 0);
  platform.keyDown({ keyCode: 53 });
  assert.deepEqual(press(38, ['command', 'control']), ['two']);
  platform.defaultsRemove('two');
  assert.deepEqual(press(38, ['command', 'control']), []);

  platform.defaultsWrite('three', noName);
  native.bindGlobalShortcutWithDefaultsKey('three');
  platform.setHotKeysTakenElsewhere([{ keyCode: 38, modifiers: ['command', 'option'] }]);
  platform.defaultsWrite('one', cmdOptJ);
  assert.deepEqual(platform.registeredHotKeys(), []);
  platform.setHotKeysTakenElsewhere([]);

  assert.doesNotThrow(() => native.bindGlobalShortcutWithDefaultsKey('a.b'));
  native.bindGlobalShortcutWithDefaultsKey('c d');
  assert.equal(logged("Illegal character ' '").length + logged("Illegal character '.'").length, 2);
});

const display = process.env.VELQUARIN_TEST_DISPLAY;
const haveXdotool = spawnSync('sh', ['-c', 'command -v xdotool']).status === 0;
const skip = !display ? 'no private display (VELQUARIN_TEST_DISPLAY)' : !haveXdotool ? 'no xdotool' : false;

// A child on the display that records `keyCode` with `modifiers` into `key` and binds it.
const childPrelude = (keyCode, modifiers) => `
  const { loadModule, loadPlatform } = require(${JSON.stringify(require.resolve('./support'))});
  const native = loadModule(), platform = loadPlatform();
  const { execFileSync } = require('node:child_process');
  const seen = [];
  platform.observe('ZqGlobalShortcutAction', (_, info) => seen.push(info['defaults-key']));
  platform.observe('ZqKeyboardShortcutMonitorUpdated', (_, info) => seen.push(info.error));
  platform.setKeyboardLayout('us');
  native.startMonitoringKeyboardShortcuts('x11');
  platform.keyDown({ keyCode: ${keyCode}, modifiers: ${JSON.stringify(modifiers)} });
  native.bindGlobalShortcutWithDefaultsKey('x11');
  const xdo = (...args) => execFileSync('xdotool', args);
  const settle = (then) => setTimeout(() => { platform.drainMainQueue(); then(); }, 300);
`;

const freshHome = () => {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'shortcuts-'));
  return { DISPLAY: display, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config') };
};

test('X11: Super combinations fire once per press, with Caps Lock too; a held one is refused', { skip }, async () => {
  const env = freshHome();
  const run = await runChild(childPrelude(38, ['command', 'option']) + `
    const backend = platform.hotKeyBackend();
    seen.length = 0;
    xdo('key', 'super+alt+j');
    settle(() => {
      const single = seen.splice(0);
      xdo('keydown', 'super+alt+j'); xdo('keydown', 'j'); xdo('keydown', 'j'); xdo('keyup', 'j', 'alt', 'super');
      settle(() => {
        const held = seen.splice(0);
        xdo('key', 'Caps_Lock'); xdo('key', 'super+alt+j'); xdo('key', 'Caps_Lock');
        settle(() => { console.log(JSON.stringify({ backend, single, held, caps: seen })); });
      });
    });`, { env });
  assert.equal(run.code, 0, run.stderr);
  assert.deepEqual(JSON.parse(run.stdout.trim().split('\n').pop()),
    { backend: 'x11', single: ['x11'], held: ['x11'], caps: ['x11'] });

  // Another client holds Super+Alt+H: registering is refused and recording says so.
  const holder = spawn(process.execPath, ['-e', childPrelude(4, ['command', 'option']) +
    `console.log(platform.registeredHotKeys().length); setTimeout(() => {}, 8000);`],
  { env: { ...process.env, VELQUARIN_BUILD_DIR: buildDir, ...env }, stdio: ['ignore', 'pipe', 'inherit'] });
  await new Promise((resolve) => holder.stdout.once('data', resolve));
  try {
    const [held] = archives([[4, command | option, '']]);
    const refused = await runChild(childPrelude(4, ['command', 'option']) + `
      platform.defaultsWrite('x11', Buffer.from('${held.toString('base64')}', 'base64'));
      console.log(JSON.stringify({ errors: seen, hotKeys: platform.registeredHotKeys().length }));`,
    { env: freshHome() });
    assert.deepEqual(JSON.parse(refused.stdout.trim().split('\n').pop()),
      { errors: ['', 'used-system-wide'], hotKeys: 0 });
  } finally {
    holder.kill('SIGKILL');
  }
});

test('X11: a display that goes away is logged once and presses still arrive in-process', { skip }, async () => {
  const home = freshHome();
  const { xvfb, display } = await startPrivateXvfb();
  try {
    const run = await runChild(childPrelude(38, ['command', 'option']) + `
      const { logged } = require(${JSON.stringify(require.resolve('./support'))});
      const before = platform.hotKeyBackend();
      process.kill(${xvfb.pid}, 'SIGKILL');
      setTimeout(() => {
        seen.length = 0;
        native.startMonitoringKeyboardShortcuts('x11');
        platform.keyDown({ keyCode: 38, modifiers: ['command', 'control'] });
        platform.pressGlobalKey({ keyCode: 38, modifiers: ['command', 'control'] });
        settle(() => console.log(JSON.stringify({ before, seen,
          lost: logged('lost the connection to the X display').length })));
      }, 500);`, { env: { ...home, DISPLAY: display } });
    assert.equal(run.code, 0, run.stderr);
    assert.deepEqual(JSON.parse(run.stdout.trim().split('\n').pop()),
      { before: 'x11', seen: ['', '', 'x11'], lost: 1 });
  } finally {
    xvfb.kill('SIGKILL');
  }
});
