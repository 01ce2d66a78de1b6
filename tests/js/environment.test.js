'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { loadModule, loadPlatform, loadProbe, addonPath, runChild } = require('./support');

const native = loadModule();
const platform = loadPlatform();
const probe = loadProbe();

const scratch = () => fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-env-'));

test('bundle facts come from the main bundle', () => {
  assert.equal(native.getBundlePath(), platform.mainBundlePath());
  assert.equal(native.bundleId(), 'io.velquarin.desktop');
  assert.equal(native.getBuildNumber(), '3100');
});

test('a bundle without identifier or version answers null', () => {
  const bundle = scratch();
  fs.writeFileSync(path.join(bundle, 'Info.plist'),
    '<?xml version="1.0"?><plist version="1.0"><dict><key>CFBundleName</key><string>Bare</string></dict></plist>');
  const before = platform.mainBundlePath();
  platform.setMainBundlePath(bundle);
  try {
    assert.equal(native.bundleId(), null);
    assert.equal(native.getBuildNumber(), null);
    assert.equal(native.getBundlePath(), fs.realpathSync(bundle));
  } finally {
    platform.setMainBundlePath(before);
    fs.rmSync(bundle, { recursive: true });
  }
});

test('preferred languages are tags from the locale settings, in order', async () => {
  const source = `console.log(require(${JSON.stringify(addonPath('VelquarinNative'))}).getPreferredLanguages())`;
  const run = async (env) => {
    const { code, stdout, stderr } = await runChild(source,
      { env: { LANGUAGE: '', LC_ALL: '', LC_MESSAGES: '', LANG: '', ...env } });
    assert.equal(code, 0, stderr);
    return JSON.parse(stdout.trim());
  };
  assert.deepEqual(await run({ LANGUAGE: 'de_CH:fr', LANG: 'de_CH.UTF-8' }), ['de-CH', 'fr']);
  assert.deepEqual(await run({ LC_MESSAGES: 'en_GB.UTF-8', LANG: 'it_IT.UTF-8' }), ['en-GB', 'it-IT']);
  assert.deepEqual(await run({}), ['en']);
});

test('the dark-mode switch is seen by isDarkMode and announced on the distributed centre', () => {
  const seen = [];
  const id = platform.observe('AppleInterfaceThemeChangedNotification',
    (name) => seen.push([name, native.isDarkMode()]), { distributed: true });
  try {
    platform.setAppearance('light');
    seen.length = 0;
    platform.setAppearance('dark');
    assert.equal(native.isDarkMode(), true);
    assert.equal(platform.appearance(), 'dark');
    platform.setAppearance('dark');
    platform.setAppearance('light');
    assert.equal(native.isDarkMode(), false);
    assert.deepEqual(seen, [
      ['AppleInterfaceThemeChangedNotification', true],
      ['AppleInterfaceThemeChangedNotification', false],
    ]);
    assert.throws(() => platform.setAppearance('sepia'), TypeError);
  } finally {
    platform.removeObserver(id);
  }
});

test('the system version is the platform\'s, and the binding can pin it', () => {
  const system = native.macOSVersion();
  assert.equal(typeof system, 'string');
  assert.ok(system.length > 0);
  platform.setSystemVersion('10.15.7');
  assert.equal(native.macOSVersion(), '10.15.7');
  platform.setSystemVersion(null);
  assert.equal(native.macOSVersion(), system);
});

test('convertToPosixPath expands a leading tilde only', () => {
  assert.equal(native.convertToPosixPath('~/Documents'), path.join(os.homedir(), 'Documents'));
  assert.equal(native.convertToPosixPath('/tmp/x'), '/tmp/x');
  assert.equal(native.convertToPosixPath('Macintosh HD:Users:a:b.txt'), 'Macintosh HD:Users:a:b.txt');
  assert.equal(native.convertToPosixPath('x\u0000/secret'), 'x');
});

test('the start-up line reports dark mode and the system version', async () => {
  const { code, stderr } = await runChild(`
    const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
    platform.setAppearance('dark');
    platform.setSystemVersion('10.15.7');
    require(${JSON.stringify(addonPath('VelquarinNative'))});
  `);
  assert.equal(code, 0, stderr);
  const lines = stderr.split('\n');
  const line = lines.findIndex((l) => /\[debug\] VelquarinNative:\d+ .* Dark Mode: 1 10\.15\.7 \(1\)$/.test(l));
  assert.ok(line >= 0, stderr);
  assert.ok(line < lines.findIndex((l) => l.includes('*** Velquarin Native Module Started ***')));
});

test('a folder that cannot be made is presented and reaches the terminate handler', () => {
  const root = scratch();
  const blocker = path.join(root, 'blocker');
  fs.writeFileSync(blocker, '');
  const saved = process.env.XDG_CONFIG_HOME;
  const statuses = [];
  platform.clearPresentedAlerts();
  platform.setTerminateHandler((status) => statuses.push(status));
  try {
    process.env.XDG_CONFIG_HOME = blocker;
    probe.applicationSupportDirectory();
    assert.equal(statuses.length, 1);
    assert.notEqual(statuses[0], 0);
    const alerts = platform.presentedAlerts();
    assert.equal(alerts.length, 1);
    assert.equal(alerts[0].message, `Could not create directory '${blocker}/Velquarin'.`);
  } finally {
    platform.setTerminateHandler(null);
    platform.clearPresentedAlerts();
    if (saved === undefined) delete process.env.XDG_CONFIG_HOME;
    else process.env.XDG_CONFIG_HOME = saved;
    fs.rmSync(root, { recursive: true });
  }
});

test('by default such a failure ends the process with a failure status', async () => {
  const root = scratch();
  const blocker = path.join(root, 'blocker');
  fs.writeFileSync(blocker, '');
  try {
    const { code, signal, stdout, stderr } = await runChild(`
      require(${JSON.stringify(addonPath('ZqTestProbe'))}).applicationSupportDirectory();
      console.log('still running');
    `, { env: { XDG_CONFIG_HOME: blocker } });
    // An exit with EXIT_FAILURE, not an abort or another signal.
    assert.deepEqual({ code, signal }, { code: 1, signal: null }, stderr);
    assert.doesNotMatch(stdout, /still running/);
    assert.match(stderr, /Could not create directory '.*blocker\/Velquarin'\. \(/);
  } finally {
    fs.rmSync(root, { recursive: true });
  }
});

test('relaunch starts the host again, with its arguments, after the old process has exited', async () => {
  const root = scratch();
  const first = path.join(root, 'first');
  const second = path.join(root, 'second');
  // Run twice: the first run relaunches, the relaunched one reports and stops.
  const source = `
    const fs = require('node:fs');
    const [first, second] = [process.env.RELAUNCH_FIRST, process.env.RELAUNCH_SECOND];
    if (fs.existsSync(first)) {
      const old = Number(fs.readFileSync(first, 'utf8'));
      let state = 'gone';
      try { state = fs.readFileSync('/proc/' + old + '/stat', 'utf8').split(') ')[1][0]; } catch {}
      // Written whole under another name first: the test polls for the file's existence.
      fs.writeFileSync(second + '.part', JSON.stringify({ pid: process.pid, old: state, execArgv: process.execArgv }));
      fs.renameSync(second + '.part', second);
    } else {
      fs.writeFileSync(first, String(process.pid));
      require(${JSON.stringify(addonPath('ZqTestProbe'))}).relaunch();
      console.log('not reached');
    }`;
  try {
    const { code, stdout, stderr } = await runChild(source, {
      env: { RELAUNCH_FIRST: first, RELAUNCH_SECOND: second },
      args: ['--no-warnings'],
    });
    assert.equal(code, 0, stderr);
    assert.doesNotMatch(stdout, /not reached/);
    const deadline = Date.now() + 10000;
    while (!fs.existsSync(second) && Date.now() < deadline) await new Promise((r) => setTimeout(r, 50));
    const report = JSON.parse(fs.readFileSync(second, 'utf8'));
    assert.notEqual(report.pid, Number(fs.readFileSync(first, 'utf8')));
    assert.ok(report.old === 'gone' || report.old === 'Z', `old process state ${report.old}`);
    assert.ok(report.execArgv.includes('--no-warnings'), JSON.stringify(report.execArgv));
  } finally {
    fs.rmSync(root, { recursive: true, force: true });
  }
});
