'use strict';
// The status item on a desktop panel: a watcher and a tray host (gtk-sni-tray-standalone) on
// a private virtual display and session bus show the icon; the panel's view of the menu is
// read over the bus, and a photograph of the tray is written beside the other pictures.
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { buildDir } = require('./lib/privateSession');

const root = path.resolve(__dirname, '..', '..');
const picture = path.join(os.tmpdir(), 'velquarin-tray.png');

const HOST = `
  const fs = require('node:fs');
  const native = require(${JSON.stringify(path.join(buildDir, 'VelquarinNative.node'))});
  const platform = require(${JSON.stringify(path.join(buildDir, 'VelquarinPlatform.node'))});
  const { photograph, changedPixels, toPNG } = require(${JSON.stringify(path.join(root, 'scripts', 'tray-photo'))});
  const { execFile, spawn } = require('node:child_process');
  const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
  const busctl = (...args) => new Promise((resolve) => execFile('busctl',
    ['--user', '--json=short', '--', ...args], (error, stdout) => resolve(error ? null : JSON.parse(stdout))));
  const DISPLAY = process.env.VELQUARIN_TEST_DISPLAY;
  (async () => {
    // The watcher first, serving before the tray asks it for anything.
    const watcher = spawn('status-notifier-watcher', [], { stdio: 'ignore' });
    await sleep(1000);
    const tray = spawn('gtk-sni-tray-standalone', ['--top', '--size', '30'],
      { stdio: 'ignore', env: { ...process.env, DISPLAY, NO_AT_BRIDGE: '1' } });
    await sleep(1500);
    const empty = await photograph(DISPLAY);
    native.setStatusItemMenuNeedsUpdateCallbackFunction(() => JSON.stringify({
      translations: { 'get-new-mail': 'Get New Mail', 'do-not-disturb?': 'Do Not Disturb',
        'compose-new-message': 'Compose New Message' },
      accounts: [{ id: 1, label: 'Work', 'unread-counter-value': 3, 'hex-color': 'D0342C',
        'unread-messages': [{ 'from-line': 'Ann Ried', subject: 'Lunch on Friday?', 'unique-id': 'msg-1' }] }] }));
    platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
    native.setStatusItemTitle('3', false);
    for (let i = 0; i < 100 && !platform.trayState().registered; i++) await sleep(50);
    const state = platform.trayState();
    console.log('tray state: ' + JSON.stringify(state));
    const menu = (method, signature, ...args) => busctl('call', state.busName, '/MenuBar',
      'com.canonical.dbusmenu', method, signature, ...args);
    await menu('AboutToShow', 'i', 0);
    const layout = await menu('GetLayout', 'iias', 0, -1, 0);
    if (layout) {
      for (const child of layout.data[1][2]) {
        const props = child.data[1];
        console.log('  panel menu: ' + (props.label ? props.label.data : '----'));
      }
    }
    await sleep(1500);
    const shot = await photograph(DISPLAY);
    const box = changedPixels(empty, shot, 30);
    console.log('the tray drew ' + box.count + ' pixels of the icon between x ' + box.left + ' and ' + box.right);
    fs.writeFileSync(${JSON.stringify(picture)}, toPNG(shot, { left: 0, top: 0, width: 240, height: 30 }));
    tray.kill();
    watcher.kill();
    process.exit(0);
  })();
`;

module.exports = {
  title: 'Status item on a desktop panel',
  async run({ say }) {
    const result = spawnSync('bash', [path.join(root, 'scripts', 'private-session.sh'), 'display',
      process.execPath, '-e', HOST], { env: { ...process.env, VELQUARIN_BUILD_DIR: buildDir },
      encoding: 'utf8', timeout: 60000 });
    if (result.status !== 0) {
      say(`no private display or tray host here (${(result.stderr || '').trim().split('\n').pop()})`);
      return;
    }
    for (const line of result.stdout.trim().split('\n')) say(line);
    say(`the tray is photographed in ${picture}`);
  },
};
