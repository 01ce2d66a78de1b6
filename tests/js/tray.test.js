'use strict';
// The status item on the desktop's panel, against real peers on the private test bus: a
// StatusNotifierWatcher started and restarted by the test, busctl as the panel reading the
// item and its menu, and (on the suite's display) a tray host that draws the icon.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { addonPath, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'tray-js-'));
const hasBus = Boolean(process.env.DBUS_SESSION_BUS_ADDRESS);
const has = (tool) => {
  try {
    execFileSync('sh', ['-c', `command -v ${tool}`], { stdio: 'ignore' });
    return true;
  } catch {
    return false;
  }
};
const canWatch = hasBus && has('status-notifier-watcher') && has('busctl');

// The host process: both add-ons, a panel's calls through busctl (asynchronous, so that the
// host's loop answers them), and the watcher as a child it starts and stops.
const HOST = `
  const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
  const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
  const { execFile, spawn } = require('node:child_process');
  const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
  const busctl = (...args) => new Promise((resolve) => execFile('busctl',
    ['--user', '--json=short', '--', ...args], (error, stdout, stderr) =>
      resolve(error ? { error: stderr.trim() } : JSON.parse(stdout || 'null'))));
  const until = async (what, test, seconds = 10) => {
    for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
      const value = await test();
      if (value) return value;
      await sleep(25);
    }
    throw new Error('timed out waiting for ' + what);
  };
  const watcherProperty = async (name) => (await busctl('get-property',
    'org.kde.StatusNotifierWatcher', '/StatusNotifierWatcher', 'org.kde.StatusNotifierWatcher',
    name)).data;
  const registeredItems = () => watcherProperty('RegisteredStatusNotifierItems');
  let watcher = null;
  // Started when it serves its object, not only its name (it takes the name first).
  const startWatcher = async () => {
    watcher = spawn('status-notifier-watcher', [], { stdio: 'ignore' });
    await until('the watcher', async () => Array.isArray(await registeredItems()));
  };
  const stopWatcher = async () => {
    const exited = new Promise((resolve) => watcher.once('exit', resolve));
    watcher.kill();
    await exited;
  };
  process.on('exit', () => watcher && watcher.kill());
`;

const CONTENT = JSON.stringify({
  translations: { 'get-new-mail': 'Get Mail', 'do-not-disturb?': 'Do Not Disturb',
    'compose-new-message': 'New Message', 'sign-in': 'Sign in' },
  accounts: [
    { id: 7, label: 'Work_Mail', 'unread-counter-value': 2, 'hex-color': 'D0342C',
      'unread-messages': [{ 'from-line': 'Ann', subject: '<b>Lunch</b>', 'unique-id': 'msg-41' }] },
  ],
});

test('the item registers with a watcher that comes later, shows the host menu, and leaves',
  { skip: !canWatch && 'needs a session bus, status-notifier-watcher and busctl' }, async () => {
    const { code, stdout, stderr } = await runChild(`${HOST}
    (async () => {
      const r = {};
      const calls = [];
      native.setStatusItemMenuNeedsUpdateCallbackFunction((type, full) => {
        calls.push([type, full]);
        return ${JSON.stringify(CONTENT)};
      });
      const opened = [];
      platform.observe('ZqOpenMessageWithUniqueNotificationId', (name, info) => opened.push(info));
      platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
      native.setStatusItemTitle('3 new <i>mail</i>', false);
      const first = await until('the bus name', () => platform.trayState().busName);
      await sleep(200);
      r.alone = platform.trayState();

      await startWatcher();
      await until('the registration', () => platform.trayState().registered);
      r.listed = (await registeredItems()).some((entry) => entry.includes(first));
      const get = async (name) => (await busctl('get-property', first, '/StatusNotifierItem',
        'org.kde.StatusNotifierItem', name)).data;
      for (const name of ['Category', 'Id', 'Title', 'Status', 'ItemIsMenu', 'Menu',
        'XAyatanaLabel', 'ToolTip']) r[name] = await get(name);
      r.pixmaps = (await get('IconPixmap')).map(([w, h, bytes]) => [w, h, bytes.length,
        bytes.some((byte, i) => i % 4 === 0 && byte > 0)]);
      const monitor = spawn('gdbus', ['monitor', '--session', '--dest', first]);
      let signals = '';
      monitor.stdout.on('data', (chunk) => (signals += chunk));
      await sleep(300);
      native.setStatusItemTitle('3 new', true);
      await until('the signals', () => /NewStatus/.test(signals) && /XAyatanaNewLabel/.test(signals));
      monitor.kill();
      r.signals = ['NewStatus', 'XAyatanaNewLabel', 'NewToolTip', 'NewIcon']
        .filter((name) => signals.includes(name));
      r.attention = await get('Status');
      // The error icon is a template: it takes the panel's colour, which follows the desktop.
      const shade = async () => {
        const [, , bytes] = (await get('IconPixmap'))[0];
        const opaque = [];
        for (let i = 0; i < bytes.length; i += 4) if (bytes[i] > 200) opaque.push(bytes[i + 1]);
        return opaque.length ? Math.max(...opaque) : -1;
      };
      r.shades = [await shade()];
      platform.setAppearance('dark');
      await sleep(100);
      r.shades.push(await shade());
      platform.setAppearance('light');

      const menu = (method, signature, ...args) =>
        busctl('call', first, '/MenuBar', 'com.canonical.dbusmenu', method, signature, ...args);
      r.aboutToShow = (await menu('AboutToShow', 'i', 0)).data;
      r.calls = calls.slice();
      const layout = (await menu('GetLayout', 'iias', 0, -1, 0)).data;
      const entries = layout[1][2].map((child) => child.data);
      r.labels = entries.map(([, props]) => (props.label ? props.label.data : props.type.data));
      const message = entries.find(([, props]) => props.label && props.label.data.startsWith('Ann'));
      const account = entries.find(([, props]) => props.label && props.label.data.startsWith('Work'));
      r.badge = Boolean(account[1]['icon-data']) && account[1]['icon-data'].data.length > 8;
      r.checkable = entries.some(([, props]) => props['toggle-type']);
      await menu('Event', 'isvu', message[0], 'clicked', 'i', 0, 0);
      await until('the click', () => opened.length);
      // Several openings in one turn of the loop build the menu once.
      r.group = (await menu('AboutToShowGroup', 'ai', 3, 0, 0, 0)).data;
      r.groupCalls = calls.length;
      r.opened = opened.slice();
      // A second opening takes a new revision: the old ids do nothing any more.
      await menu('AboutToShow', 'i', 0);
      await menu('Event', 'isvu', message[0], 'clicked', 'i', 0, 0);
      await menu('Event', 'isvu', 999999, 'clicked', 'i', 0, 0);
      await sleep(100);
      r.afterStale = opened.length;
      r.unknownLayout = (await menu('GetLayout', 'iias', 999999, -1, 0)).error;

      // A host that throws: the panel gets the menu an in-process opening shows then.
      const thrown = [];
      process.on('uncaughtException', (error) => thrown.push(error.message));
      native.setStatusItemMenuNeedsUpdateCallbackFunction(() => { throw new Error('host broke'); });
      await menu('AboutToShow', 'i', 0);
      r.thrown = thrown;
      r.afterThrow = (await menu('GetLayout', 'iias', 0, 1, 1, 'label')).data[1][2]
        .map((child) => child.data[1].label.data);
      // A menu wider than a panel takes is cut, not sent whole.
      const many = Array.from({ length: 5000 }, (_, i) => ({ subject: 's' + i, 'unique-id': i }));
      native.setStatusItemMenuNeedsUpdateCallbackFunction(() => JSON.stringify({
        accounts: [{ id: 1, label: 'Big', 'unread-messages': many }] }));
      await menu('AboutToShow', 'i', 0);
      r.wide = (await menu('GetLayout', 'iias', 0, 1, 1, 'type')).data[1][2].length;

      await stopWatcher();
      await startWatcher();
      await until('registration with the new watcher', async () =>
        platform.trayState().registered && (await registeredItems()).some((e) => e.includes(first)));

      platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 0 });
      await until('the name dropped', () => !platform.trayState().busName);
      r.hiddenListed = await until('the watcher to forget it', async () => {
        const items = await registeredItems();
        return items.some((e) => e.includes(first)) ? false : 'gone';
      });
      platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 2 });
      const second = await until('a new name', () => platform.trayState().registered &&
        platform.trayState().busName);
      r.second = second !== first && (await registeredItems()).some((e) => e.includes(second));
      await stopWatcher();
      return r;
    })().then((r) => console.log(JSON.stringify(r)),
      (error) => console.log(JSON.stringify({ failed: String(error.stack) })))
      .finally(() => process.exit(0));
  `, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'config') }, timeoutMs: 60000 });
    assert.equal(code, 0, stderr);
    const r = JSON.parse(stdout.trim().split('\n').pop());
    assert.equal(r.failed, undefined, `${r.failed}\n${stderr}`);
    assert.equal(r.alone.registered, false);
    assert.equal(r.alone.watcher, false);
    assert.match(stderr, /No StatusNotifierWatcher on the session bus/);
    assert.equal(stderr.match(/No StatusNotifierWatcher/g).length, 1, 'one line only');
    assert.equal(r.listed, true);
    assert.equal(r.Category, 'Communications');
    assert.equal(r.Id, 'io.velquarin.desktop');
    assert.equal(r.Title, 'Velquarin');
    assert.equal(r.Status, 'Active');
    assert.equal(r.attention, 'NeedsAttention');
    assert.ok(r.shades[0] >= 0 && r.shades[0] < 60 && r.shades[1] > 200, `${r.shades}`);
    // The error icon replaces the tinted one, and the title changed.
    assert.deepEqual(r.signals, ['NewStatus', 'XAyatanaNewLabel', 'NewToolTip', 'NewIcon']);
    assert.equal(r.ItemIsMenu, true);
    assert.equal(r.Menu, '/MenuBar');
    assert.equal(r.XAyatanaLabel, '3 new <i>mail</i>');
    assert.deepEqual(r.ToolTip.slice(2), ['Velquarin', '3 new &lt;i&gt;mail&lt;/i&gt;']);
    assert.deepEqual(r.pixmaps, [16, 22, 24, 32, 48].map((n) => [n, n, n * n * 4, true]));
    assert.deepEqual(r.aboutToShow, [true]);
    assert.deepEqual(r.calls, [['status-item', true]]);
    assert.deepEqual(r.group, [[0, 0, 0], []]);
    assert.equal(r.groupCalls, 2);
    assert.deepEqual(r.labels, ['Get Mail', 'Do Not Disturb', 'New Message', 'separator',
      'Work__Mail', 'Ann - <b>Lunch</b>']);
    assert.equal(r.badge, true);
    assert.equal(r.checkable, false, 'do-not-disturb is off: nothing checked');
    assert.deepEqual(r.opened, [{ 'unique-id': 'msg-41' }]);
    assert.equal(r.afterStale, 1);
    assert.match(r.unknownLayout, /No such menu entry/);
    assert.deepEqual(r.thrown, ['host broke']);
    assert.deepEqual(r.afterThrow, ['', '', '']);
    assert.equal(r.wide, 4096);
    assert.equal(stderr.match(/more entries than a panel can take/g).length, 1);
    assert.equal(r.hiddenListed, 'gone');
    assert.equal(r.second, true);
  });

const display = process.env.VELQUARIN_TEST_DISPLAY;
const canDraw = canWatch && display && has('gtk-sni-tray-standalone') && has('xwd');

test('a tray host on the test display draws the icon, and takes it away when hidden',
  { skip: !canDraw && 'needs the test display, gtk-sni-tray-standalone and xwd' }, async () => {
    const { code, stdout, stderr } = await runChild(`${HOST}
    const { photograph, changedPixels } = require(${JSON.stringify(require.resolve('../../scripts/tray-photo'))});
    const DISPLAY = ${JSON.stringify(display)};
    (async () => {
      // A watcher first: the tray races its own (--watcher) and fails when it loses.
      await startWatcher();
      const tray = spawn('gtk-sni-tray-standalone', ['--top', '--size', '30'],
        { stdio: 'ignore', env: { ...process.env, DISPLAY, NO_AT_BRIDGE: '1' } });
      process.on('exit', () => tray.kill());
      await until('the tray', () => watcherProperty('IsStatusNotifierHostRegistered'), 30);
      await sleep(1000);
      const empty = await photograph(DISPLAY);
      platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
      native.setStatusItemTitle('3', false);
      await until('the registration', () => platform.trayState().registered);
      const shown = await until('the icon drawn', async () => {
        const box = changedPixels(empty, await photograph(DISPLAY), 30);
        return box.count > 40 && box;
      });
      platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 0 });
      const gone = await until('the icon gone', async () => {
        const box = changedPixels(empty, await photograph(DISPLAY), 30);
        return box.count === 0 && box;
      });
      await stopWatcher();
      return { shown, gone };
    })().then((r) => console.log(JSON.stringify(r)),
      (error) => console.log(JSON.stringify({ failed: String(error.stack) })))
      .finally(() => process.exit(0));
  `, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'config-draw') }, timeoutMs: 60000 });
    assert.equal(code, 0, stderr);
    const r = JSON.parse(stdout.trim().split('\n').pop());
    assert.equal(r.failed, undefined, `${r.failed}\n${stderr}`);
    // An icon-sized patch inside the bar.
    assert.ok(r.shown.right - r.shown.left < 40 && r.shown.bottom < 30, JSON.stringify(r.shown));
    assert.equal(r.gone.count, 0);
  });

test('without a session bus the item stays in-process, with one line in the log', async () => {
  const { code, stdout, stderr } = await runChild(`${HOST}
    platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
    native.setStatusItemTitle('1', false);
    setTimeout(() => {
      native.setStatusItemTitle('2', true);
      setTimeout(() => console.log(JSON.stringify({ items: platform.statusItems().length,
        state: platform.trayState() })), 100);
    }, 100);
  `, { env: { DBUS_SESSION_BUS_ADDRESS: 'unix:path=/nonexistent/bus',
    XDG_RUNTIME_DIR: path.join(sandbox, 'no-runtime'), XDG_CONFIG_HOME: path.join(sandbox, 'config-nobus') } });
  assert.equal(code, 0, stderr);
  const { items, state } = JSON.parse(stdout.trim().split('\n').pop());
  assert.equal(items, 1);
  assert.equal(state.connected, false);
  assert.equal(state.busName, null);
  assert.equal(state.status, 'NeedsAttention', 'the look is kept for when a bus comes');
  assert.equal(stderr.match(/the status item is not shown on the panel/g).length, 1);
});
