'use strict';
// The menu-bar status item as the host and the desktop see it: shown by an account report,
// its title, its menu filled from the host's JSON at each opening, choices observed as
// notifications, and hosts that misbehave while the menu is being built.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { addonPath, loadModule, loadPlatform, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'statusitem-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');

const native = loadModule();
const platform = loadPlatform();

const PNG_SIGNATURE = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

function observeAll() {
  const seen = [];
  const id = platform.observe(null, (name, userInfo) => {
    if (name.startsWith('Zq') && name !== 'ZqNumberOfAccountsChanged') seen.push({ name, userInfo });
  });
  return { seen, stop: () => platform.removeObserver(id) };
}

// The content the host would answer with, as JSON text written by hand so that 64-bit
// integers keep every digit.
const CONTENT = `{
  "translations": {"get-new-mail": "Get Mail", "do-not-disturb?": "Do Not Disturb",
                    "compose-new-message": "New Message", "sign-in": "Sign in"},
  "accounts": [
    {"id": 9007199254740993, "label": "Work", "unread-counter-value": 2, "hex-color": "D0342C",
     "unread-messages": [
       {"from-line": "Ann", "subject": "Lunch?", "snippet": "At noon", "unique-id": "msg-41"},
       {"from-line": "Bob", "subject": "Report", "snippet": "", "unique-id": 12}]},
    {"id": "home", "label": "Home", "requires-oauth?": true}]}`;

test('the typical event: title, opening, host content, a message chosen', () => {
  const calls = [];
  native.setStatusItemMenuNeedsUpdateCallbackFunction(function (type, includeMessage) {
    calls.push([this, type, includeMessage]);
    return CONTENT;
  });
  assert.deepEqual(platform.statusItems(), [], 'no item before the first account report');
  platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 2 });
  native.setStatusItemTitle('2 new', false);
  const [item] = platform.statusItems();
  assert.equal(item.title, '2 new');
  assert.ok(item.length > 29 + 20, `length ${item.length}`);
  assert.ok(item.image.subarray(0, 8).equals(PNG_SIGNATURE));
  assert.equal(item.imageIsTemplate, false, 'tinted while a title shows');

  const { seen, stop } = observeAll();
  assert.equal(platform.openStatusItemMenu(0), true);
  assert.deepEqual(calls, [[null, 'status-item', true]]); // a null receiver
  assert.equal(platform.statusItems()[0].highlighted, true);
  const items = platform.statusMenuItems();
  assert.deepEqual(
    items.map((entry) => entry.title),
    ['Get Mail', 'Do Not Disturb', 'New Message', '', 'Work', 'Ann - Lunch?', 'Bob - Report',
      '', 'Home', 'Sign in'],
  );
  assert.equal(items[4].representedObject, 9007199254740993n);
  assert.equal(items[5].toolTip, 'At noon');
  assert.equal(items[5].fontSize < items[4].fontSize, true);
  assert.ok(items[4].image.subarray(0, 8).equals(PNG_SIGNATURE));
  assert.ok(items.every((entry) => entry.separator || entry.enabled));

  const picture = platform.renderStatusBar();
  assert.ok(picture.subarray(0, 8).equals(PNG_SIGNATURE));
  assert.ok(picture.length > 2000, 'the menu is drawn with its text');

  assert.equal(platform.chooseStatusMenuItem(5), true);
  assert.equal(platform.statusMenuItems(), null, 'the menu closed');
  assert.equal(platform.statusItems()[0].highlighted, false);
  platform.openStatusItemMenu(0);
  platform.chooseStatusMenuItem(8);
  stop();
  assert.deepEqual(seen, [
    { name: 'ZqOpenMessageWithUniqueNotificationId', userInfo: { 'unique-id': 'msg-41' } },
    { name: 'ZqActivateTabForAccountNotification', userInfo: { 'account-db-id': 'home' } },
  ]);
  assert.equal(calls.length, 2, 'rebuilt at every opening');
});

test('do-not-disturb and the display switch follow the defaults keys', () => {
  native.setStatusItemTitle('2 new', false);
  native.setUserDefault('DoNotDisturb', true);
  let [item] = platform.statusItems();
  assert.equal(item.length, 26);
  assert.equal(item.title, '');
  platform.openStatusItemMenu(0);
  const items = platform.statusMenuItems();
  assert.equal(items[0].enabled, false, 'no fetching while quiet');
  assert.equal(items[1].checked, true);
  assert.deepEqual(items.slice(3).map((entry) => entry.title), ['', 'Work', '', 'Home', 'Sign in']);
  assert.equal(platform.chooseStatusMenuItem(0), false, 'a disabled entry cannot be chosen');
  platform.closeStatusItemMenu();
  native.setUserDefault('DoNotDisturb', false);

  native.setUserDefault('DisplayStatusItem', false);
  assert.deepEqual(platform.statusItems(), []);
  platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 3 });
  assert.deepEqual(platform.statusItems(), []);
  native.setUserDefault('DisplayStatusItem', null); // absent: shown again
  [item] = platform.statusItems();
  assert.equal(item.title, '2 new');
  native.setStatusItemTitle('3 new', true);
  [item] = platform.statusItems();
  assert.equal(item.imageIsTemplate, true, 'the error icon is not tinted');
});

test('hosts that misbehave while the menu is built', () => {
  native.setStatusItemTitle(null, null);
  // Not JSON, and JSON that is not an object: the commands alone, with empty titles.
  for (const reply of ['{oops', '[1, 2]', 42, undefined]) {
    native.setStatusItemMenuNeedsUpdateCallbackFunction(() => reply);
    assert.equal(platform.openStatusItemMenu(0), true);
    assert.deepEqual(platform.statusMenuItems().map((entry) => entry.title), ['', '', '']);
    platform.closeStatusItemMenu();
  }
  // Re-entering: replacing the callback and retitling while the menu is being built.
  native.setStatusItemMenuNeedsUpdateCallbackFunction(() => {
    native.setStatusItemTitle('busy', false);
    native.setStatusItemMenuNeedsUpdateCallbackFunction(() => '{}');
    return CONTENT;
  });
  assert.equal(platform.openStatusItemMenu(0), true);
  assert.equal(platform.statusMenuItems().length, 10);
  assert.equal(platform.statusItems()[0].title, 'busy');
  platform.closeStatusItemMenu();
  // Hiding the item during the build: nothing opens, nothing breaks.
  native.setStatusItemMenuNeedsUpdateCallbackFunction(() => {
    native.setUserDefault('DisplayStatusItem', false);
    return CONTENT;
  });
  assert.equal(platform.openStatusItemMenu(0), false);
  assert.deepEqual(platform.statusItems(), []);
  assert.equal(platform.statusMenuItems(), null);
  native.setUserDefault('DisplayStatusItem', null);
  assert.equal(platform.statusItems().length, 1);
});

test('a throwing callback builds an empty menu and reaches uncaughtException', async () => {
  const { code, stdout, stderr } = await runChild(`
    const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
    const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
    const seen = [];
    process.on('uncaughtException', (error) => seen.push('uncaught:' + error.message));
    native.setStatusItemMenuNeedsUpdateCallbackFunction(() => { throw new Error('no content'); });
    platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
    seen.push(platform.openStatusItemMenu(0));
    seen.push(platform.statusMenuItems().length);
    setTimeout(() => console.log(JSON.stringify(seen)), 100);
  `, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'child') } });
  assert.equal(code, 0, stderr);
  assert.deepEqual(JSON.parse(stdout.trim()), ['uncaught:no content', true, 3]);
});

test('an unparseable reply is logged as the error line', async () => {
  const { code, stderr } = await runChild(`
    const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
    const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
    native.setStatusItemMenuNeedsUpdateCallbackFunction(() => 'not json');
    platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
    platform.openStatusItemMenu(0);
  `, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'child2') } });
  assert.equal(code, 0, stderr);
  assert.match(stderr, /\[error\].*Couldn't update status item menu with not json because of /);
});

test('every kind of JSON value reaches the menu as the host wrote it', () => {
  // Account ids of every type; the last is beyond 64 bits, which the fast reader hands on.
  const ids = ['12', '-7', '1.5', '0', '18446744073709551615', '"Zo\\u00eb \\"x\\""', 'null', 'true',
    '{"a": [1, {"b": false}], "a": 3}', '123456789012345678901234567890'];
  const accounts = ids.map((id, n) => `{"id": ${id}, "label": "A${n}", "requires-oauth?": true}`);
  const deep = `${'['.repeat(600)}${']'.repeat(600)}`;
  const cases = [
    [`{"accounts": [${accounts.join(', ')}]}`, ids.length],
    [`{"accounts": [${accounts[0]}]}\u0000 ignored after the NUL`, 1],
    [`{"accounts": [${accounts[0]}], "deep": ${deep}}`, 0], // nested too deeply: refused
    [`{"accounts": [${accounts[0]}]} trailing`, 0],
    [`{"accounts": [{"id": "\\udc00", "label": "A0"}]}`, 0], // a lone surrogate: refused
  ];
  platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
  for (const [reply, count] of cases) {
    native.setStatusItemMenuNeedsUpdateCallbackFunction(() => reply);
    assert.equal(platform.openStatusItemMenu(0), true);
    const accountItems = platform.statusMenuItems().filter((item) => /^A\d$/.test(item.title));
    platform.closeStatusItemMenu();
    assert.equal(accountItems.length, count, reply.slice(0, 60));
    if (count !== ids.length) continue;
    assert.deepEqual(accountItems.map((item) => item.representedObject),
      [12, -7, 1.5, 0, 18446744073709551615n, 'Zoë "x"', null, true, { a: 3 },
        1.2345678901234568e+29]);
  }
});
