'use strict';
// User defaults through the module (setUserDefault ...), their file, other processes writing
// it, and start at login through the autostart folder.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync, spawn, spawnSync } = require('node:child_process');
const { buildDir, loadModule, loadPlatform, runChild } = require('./support');

// Our own config folder, so files of other suites never meet these; children inherit it.
const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'defaults-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');

const native = loadModule();
const platform = loadPlatform();
const addon = (name) => JSON.stringify(path.join(buildDir, `${name}.node`));

const fileText = () => fs.readFileSync(platform.defaultsPath(), 'utf8');

test('host values are stored and read back as the two tables say', () => {
  const cases = [
    [true, true, true],
    [false, false, false],
    [1, 1, true], // an integer 1 reads back as a boolean
    [0, 0, false],
    [7, 7, 7],
    [-2147483648, -2147483648, -2147483648],
    ['text', 'text', 'text'],
    ['', '', ''],
  ];
  for (const [value, stored, read] of cases) {
    native.setUserDefault('mapped', value);
    assert.equal(platform.defaultsRead('mapped'), stored, `stored form of ${value}`);
    assert.equal(native.getUserDefault('mapped'), read, `read form of ${value}`);
  }
  native.setUserDefault('mapped', 7);
  // Not an int32, not a string or boolean: nothing is stored, nothing removed.
  for (const other of [2.5, 2147483648, -0, NaN, undefined, {}, [1], () => 1, 10n, Symbol('s')]) {
    native.setUserDefault('mapped', other);
    assert.equal(native.getUserDefault('mapped'), 7, `after ${String(other)}`);
  }
  native.setUserDefault('mapped', null);
  assert.equal(native.getUserDefault('mapped'), null);
  assert.equal(platform.defaultsRead('mapped'), undefined);
  assert.equal(native.getUserDefault('never set'), null);
});

test('values other code stored read back by kind', () => {
  const cases = [
    [2.5, {}, 2],
    [-2.5, {}, -2],
    [1, { type: 'real' }, true],
    [0.5, {}, 0],
    [2 ** 40, {}, 2147483647], // held to the int32 range, never wrapped
    [-(2 ** 40), {}, -2147483648],
    [[1, 2], {}, undefined],
    [{ KeyCode: 12, ModifierFlags: 1048576 }, {}, undefined],
    [new Date(1700000000000), {}, undefined],
    [Buffer.from([1, 2, 3]), {}, undefined],
  ];
  for (const [value, options, read] of cases) {
    platform.defaultsWrite('other', value, options);
    assert.equal(native.getUserDefault('other'), read, `reading ${String(value)}`);
  }
  assert.deepEqual(platform.defaultsRead('other'), Buffer.from([1, 2, 3]));
  native.removeUserDefault('other');
  assert.equal(native.getUserDefault('other'), null);
});

test('keys and strings carry any Unicode and any length; NUL ends them', () => {
  const key = 'ключ 🔑 <&> "quoted" \t tab';
  const value = 'Zoë ✉ 😀 \r\n <plist> ]]> &amp; '.repeat(40000); // about 1.5 MB
  native.setUserDefault(key, value);
  assert.equal(native.getUserDefault(key), value);
  native.synchronizeUserDefaults();
  assert.equal(platform.defaultsDictionary()[key], value);
  native.setUserDefault('cut\0here', 'value\0hidden');
  assert.equal(native.getUserDefault('cut'), 'value');
  native.removeUserDefault(key);
  native.removeUserDefault('cut');
});

test('every change is announced on the default centre with its key', () => {
  const seen = [];
  const id = platform.observe('UserDefaultsDidChangeNotification', (name, info) => seen.push(info));
  native.setUserDefault('DisplayStatusItem', true);
  native.setUserDefault('DisplayStatusItem', 2.5); // refused: no change, no notification
  native.removeUserDefault('DisplayStatusItem');
  platform.removeObserver(id);
  const domain = path.basename(platform.defaultsPath(), '.plist');
  assert.deepEqual(seen, [
    { domain, key: 'DisplayStatusItem' },
    { domain, key: 'DisplayStatusItem' },
  ]);
});

test('changes reach the file on the store\'s own schedule, or at once when synchronized', () => {
  native.synchronizeUserDefaults();
  native.setUserDefault('timed', 'soon');
  assert.ok(platform.defaultsHasPendingChanges());
  assert.doesNotMatch(fs.existsSync(platform.defaultsPath()) ? fileText() : '', /<key>timed<\/key>/);
  platform.advanceClock(1.01);
  assert.ok(!platform.defaultsHasPendingChanges());
  assert.match(fileText(), /<key>timed<\/key>\s*<string>soon<\/string>/);

  native.setUserDefault('now', 3);
  native.synchronizeUserDefaults();
  assert.match(fileText(), /<key>now<\/key>\s*<integer>3<\/integer>/);
});

test('a value survives kill -9 right after synchronizeUserDefaults returns', async () => {
  const child = spawn(process.execPath, ['-e', `
    const native = require(${addon('VelquarinNative')});
    native.setUserDefault('survivor', 'written before the kill');
    native.synchronizeUserDefaults();
    process.stdout.write('synchronized\\n');
    setInterval(() => {}, 1000);
  `], { stdio: ['ignore', 'pipe', 'pipe'] });
  await new Promise((resolve, reject) => {
    child.stdout.on('data', (chunk) => String(chunk).includes('synchronized') && resolve());
    child.on('exit', () => reject(new Error('the child ended before it synchronized')));
  });
  child.kill('SIGKILL');
  const [, signal] = await new Promise((resolve) => child.on('exit', (...args) => resolve(args)));
  assert.equal(signal, 'SIGKILL');
  assert.equal(native.getUserDefault('survivor'), 'written before the kill');
});

test('a second process\'s write is read by the first, whose pending changes stay', async () => {
  native.setUserDefault('mine', 'pending here');
  assert.equal(native.getUserDefault('theirs'), null);
  const child = await runChild(`
    const native = require(${addon('VelquarinNative')});
    native.setUserDefault('theirs', 'from the other process');
    native.synchronizeUserDefaults();
  `);
  assert.equal(child.code, 0, child.stderr);
  assert.equal(native.getUserDefault('theirs'), 'from the other process');
  assert.equal(native.getUserDefault('mine'), 'pending here');
  native.synchronizeUserDefaults();
  const reader = await runChild(`
    const native = require(${addon('VelquarinNative')});
    process.stdout.write(JSON.stringify([native.getUserDefault('mine'), native.getUserDefault('theirs')]));
  `);
  assert.deepEqual(JSON.parse(reader.stdout), ['pending here', 'from the other process']);
});

test('a change still waiting for the timer is written when the process exits normally', async () => {
  const child = await runChild(`
    const native = require(${addon('VelquarinNative')});
    native.setUserDefault('written at exit', 42);
  `);
  assert.equal(child.code, 0, child.stderr);
  assert.equal(native.getUserDefault('written at exit'), 42);
});

test('unknown types are logged with the key', async () => {
  const child = await runChild(`
    const native = require(${addon('VelquarinNative')});
    native.setUserDefault('kept', 5);
    native.setUserDefault('kept', undefined);
    native.setUserDefault('kept', 2.5);
    process.stdout.write(JSON.stringify(native.getUserDefault('kept')));
  `);
  assert.equal(child.stdout, '5');
  assert.equal(child.stderr.match(/Unknown type - cannot set value for key kept/g)?.length, 2);
});

test('a corrupt file is kept aside, reported, and the domain starts empty', async () => {
  native.setUserDefault('before', true);
  native.synchronizeUserDefaults();
  const file = platform.defaultsPath();
  fs.writeFileSync(`${file}.tmp`, '<plist><dict><key>torn');
  fs.renameSync(`${file}.tmp`, file);
  const child = await runChild(`
    const native = require(${addon('VelquarinNative')});
    process.stdout.write(JSON.stringify(native.getUserDefault('before')));
    native.setUserDefault('after', 'fresh');
    native.synchronizeUserDefaults();
  `);
  assert.equal(child.stdout, 'null');
  assert.match(child.stderr, /\[error\].*kept aside as .*\.plist\.corrupt and the domain .* starts empty/);
  assert.equal(fs.readFileSync(`${file}.corrupt`, 'utf8'), '<plist><dict><key>torn');
  assert.equal(native.getUserDefault('before'), null);
  assert.equal(native.getUserDefault('after'), 'fresh');
});

test('the global domain is a file of its own beside the application\'s', () => {
  platform.defaultsWrite('NSAutomaticDashSubstitutionEnabled', false, { domain: 'global' });
  assert.ok(platform.defaultsSynchronize({ domain: 'global' }));
  const globalPath = platform.defaultsPath({ domain: 'global' });
  assert.equal(path.basename(globalPath), '.GlobalPreferences.plist');
  assert.equal(path.dirname(globalPath), path.dirname(platform.defaultsPath()));
  assert.equal(path.dirname(globalPath), path.join(process.env.XDG_CONFIG_HOME, 'Velquarin', 'Preferences'));
  assert.equal(platform.defaultsRead('NSAutomaticDashSubstitutionEnabled', { domain: 'global' }), false);
  assert.equal(native.getUserDefault('NSAutomaticDashSubstitutionEnabled'), null);
});

test('a file another program wrote keeps every value it holds when one key changes', () => {
  const script = path.join(__dirname, '..', 'fixtures', 'plist-values.py');
  const file = platform.defaultsPath();
  for (const format of ['xml', 'binary']) {
    const original = `${file}.${format}`;
    fs.mkdirSync(path.dirname(file), { recursive: true });
    execFileSync('python3', [script, 'write', original, format]);
    fs.copyFileSync(original, file);
    native.setUserDefault('zqChanged', 7);
    native.synchronizeUserDefaults();
    const result = spawnSync('python3', [script, 'check', file, original], { encoding: 'utf8' });
    assert.equal(result.stdout.trim(), 'same', `${format}: ${result.stderr}`);
    assert.equal(fs.readFileSync(file).subarray(0, 8).toString() === 'bplist00', format === 'binary');
    fs.rmSync(original);
  }
  fs.rmSync(file);
});

// Start at login.

const autostart = () => path.join(process.env.XDG_CONFIG_HOME, 'autostart');
const bundleLocation = () => fs.realpathSync(platform.mainBundlePath());
const ownItems = () => platform.loginItems().filter((item) => item.location === bundleLocation());

function writeEntry(file, name, ageSeconds) {
  fs.mkdirSync(autostart(), { recursive: true });
  const full = path.join(autostart(), file);
  fs.writeFileSync(full, `[Desktop Entry]\nType=Application\nName=${name}\nExec=/opt/${file}/run\n`);
  const time = new Date(Date.now() - ageSeconds * 1000);
  fs.utimesSync(full, time, time);
  return full;
}

function clearAutostart() {
  fs.rmSync(autostart(), { recursive: true, force: true });
}

test('setStartAtLogin(true) twice leaves one item, first in the list; false removes it', () => {
  clearAutostart();
  const other = writeEntry('other.desktop', 'Other', 60);
  assert.equal(native.getStartAtLogin(), false);
  assert.equal(native.setStartAtLogin(true), true);
  assert.equal(native.setStartAtLogin(true), true);
  assert.equal(ownItems().length, 1);
  assert.equal(platform.loginItems()[0].location, bundleLocation());
  assert.equal(native.getStartAtLogin(), true);

  const entry = fs.readFileSync(ownItems()[0].file, 'utf8');
  assert.match(entry, /^\[Desktop Entry\]$/m);
  // The host's whole command line, so that `node app.js` starts the app, from where it started.
  const args = fs.readFileSync('/proc/self/cmdline', 'utf8').split('\0').slice(1, -1);
  const exec = [fs.realpathSync(process.execPath), ...args].map((arg) => `"${arg}"`).join(' ');
  assert.ok(entry.includes(`\nExec=${exec}\n`), entry);
  assert.ok(entry.includes(`\nPath=${process.cwd()}\n`), entry);
  assert.match(entry, /^Name=Velquarin$/m);
  execFileSync('desktop-file-validate', [ownItems()[0].file]);

  assert.equal(native.setStartAtLogin(false), false);
  assert.equal(native.setStartAtLogin(false), false);
  assert.equal(ownItems().length, 0);
  assert.ok(fs.existsSync(other));
});

test('an item the user switched off reads as off, and switching on replaces it', () => {
  for (const off of ['Hidden=true', 'X-GNOME-Autostart-enabled=false']) {
    clearAutostart();
    native.setStartAtLogin(true);
    fs.appendFileSync(ownItems()[0].file, `${off}\n`);
    assert.equal(native.getStartAtLogin(), false, off);
    assert.equal(native.setStartAtLogin(true), true, off);
    assert.equal(ownItems().length, 1, off);
    assert.ok(!fs.readFileSync(ownItems()[0].file, 'utf8').includes(off), off);
    assert.equal(native.setStartAtLogin(false), false, off);
  }
});

test('migrateStartAtLogin replaces a "Velquarin 3" item, and without one changes nothing', () => {
  clearAutostart();
  writeEntry('other.desktop', 'Other', 60);
  native.migrateStartAtLogin();
  assert.deepEqual(platform.loginItems().map((item) => item.name), ['Other']);
  assert.equal(native.getStartAtLogin(), false);

  const previous = writeEntry('velquarin3.desktop', 'Velquarin 3', 30);
  native.migrateStartAtLogin();
  assert.ok(!fs.existsSync(previous));
  assert.equal(native.getStartAtLogin(), true);
  assert.equal(platform.loginItems()[0].location, bundleLocation());
  assert.deepEqual(platform.loginItems().map((item) => item.name), ['Velquarin', 'Other']);
  native.setStartAtLogin(false);
});

test('a login-items folder that cannot be opened reads as no item and takes no change', () => {
  clearAutostart();
  fs.mkdirSync(path.dirname(autostart()), { recursive: true });
  fs.writeFileSync(autostart(), 'not a folder');
  assert.equal(native.getStartAtLogin(), false);
  assert.equal(native.setStartAtLogin(true), false);
  native.migrateStartAtLogin();
  assert.equal(fs.readFileSync(autostart(), 'utf8'), 'not a folder');
  fs.rmSync(autostart());
});

test('a bundle path with spaces, quotes and line breaks cannot break the entry', () => {
  clearAutostart();
  const original = platform.mainBundlePath();
  const odd = path.join(sandbox, 'Velquarin "Beta"\nExec=/bin/evil\n[Desktop Entry] $HOME\\x.bundle');
  fs.cpSync(original, odd, { recursive: true });
  platform.setMainBundlePath(odd);
  try {
    assert.equal(native.setStartAtLogin(true), true);
    const [item] = ownItems();
    assert.equal(item.location, fs.realpathSync(odd));
    const lines = fs.readFileSync(item.file, 'utf8').trim().split('\n');
    assert.equal(lines[0], '[Desktop Entry]');
    assert.deepEqual(lines.slice(1).map((line) => line.split('=')[0]),
      ['Type', 'Version', 'Name', 'Exec', 'Path', 'X-Velquarin-Bundle']);
    assert.equal(native.getStartAtLogin(), true);
    assert.equal(native.setStartAtLogin(false), false);
  } finally {
    platform.setMainBundlePath(original);
  }
});

test.after(() => fs.rmSync(sandbox, { recursive: true, force: true }));
