'use strict';
// The dock menu asked of the application delegate, its actions, the bundle's desktop entry,
// and searches arriving through the search notification.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { addonPath, buildDir, loadModule, loadPlatform, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'dock-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');

const native = loadModule();
const platform = loadPlatform();

const CONTENT = JSON.stringify({
  translations: { 'get-new-mail': 'Get Mail', 'do-not-disturb?': 'Quiet',
    'compose-new-message': 'New', 'open-format': 'Open %@',
    'open-with-counter-format': 'Open %@ (%lu)', 'sign-in-format': 'Sign in to %@' },
  accounts: [
    { id: 7, label: 'Work', 'unread-counter-value': 3 },
    { id: 'h', label: 'Home', 'requires-oauth?': true },
  ],
});

test('the dock menu is built anew at each request, compact, following do-not-disturb', () => {
  const calls = [];
  native.setStatusItemMenuNeedsUpdateCallbackFunction((type, full) => {
    calls.push([type, full]);
    return CONTENT;
  });
  const first = platform.dockMenu();
  assert.deepEqual(first.map((entry) => entry.title),
    ['Get Mail', 'Quiet', 'New', '', 'Open Work (3)', 'Sign in to Home']);
  native.setUserDefault('DoNotDisturb', true);
  const quiet = platform.dockMenu();
  assert.deepEqual(calls, [['dock', false], ['dock', false]]);
  assert.deepEqual(quiet.map((entry) => entry.title).slice(4), ['Open Work', 'Sign in to Home']);
  assert.deepEqual([quiet[0].enabled, quiet[1].checked], [false, true]);
  native.setUserDefault('DoNotDisturb', null);

  const seen = [];
  const id = platform.observe(null, (name, info) => name.startsWith('Zq') && seen.push([name, info]));
  platform.dockMenu();
  assert.equal(platform.chooseDockMenuItem(2), true);
  assert.equal(platform.chooseDockMenuItem(2), false, 'the menu closed with the choice');
  platform.dockMenu();
  platform.chooseDockMenuItem(4);
  platform.removeObserver(id);
  assert.deepEqual(seen, [
    ['ZqComposeNewMessageNotification', null],
    ['ZqActivateTabForAccountNotification', { 'account-db-id': 7 }],
  ]);
});

test('searches reach the callback; a foreign post without a string calls nothing', async () => {
  const searches = [];
  native.setSearchServiceCallbackFunction((text) => searches.push(text));
  platform.post('ZqServiceProviderSearchNotification', null, { object: 'invoice 2024' });
  platform.post('ZqServiceProviderSearchNotification', null, { object: 42 });
  platform.post('ZqServiceProviderSearchNotification');
  assert.deepEqual(searches, ['invoice 2024']);
});

test('without an application delegate the module runs on without a dock menu', async () => {
  const { code, stdout, stderr } = await runChild(`
    const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
    platform.removeApplicationDelegate();
    const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
    native.setSearchServiceCallbackFunction(() => console.log('called'));
    platform.post('ZqServiceProviderSearchNotification', null, { object: ['a'] });
    console.log(JSON.stringify(platform.dockMenu()));
  `, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'child') } });
  assert.equal(code, 0, stderr);
  assert.equal(stdout.trim(), 'null');
  assert.match(stderr, /\[error\].*Cannot patch as I didn't find application class/);
  assert.match(stderr, /\[warning\].*VelquarinNative.*ZqServiceProviderSearchNotification/);
});

test('the desktop entry of the bundle is valid', () => {
  const entry = path.join(buildDir, 'Velquarin.bundle', 'Resources', 'io.velquarin.desktop.desktop');
  execFileSync('desktop-file-validate', [entry]);
  const text = fs.readFileSync(entry, 'utf8');
  assert.match(text, /^Actions=get-new-mail;toggle-do-not-disturb;compose-new-message;$/m);
});
