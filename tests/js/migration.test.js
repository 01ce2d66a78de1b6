'use strict';
// The migration export against fixture stores in a throw-away home: each case runs a child
// host whose HOME and XDG_CONFIG_HOME point at a folder laid out as the previous version left it.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const os = require('node:os');
const { spawnSync } = require('node:child_process');
const { runChild } = require('./support');

const fixtures = path.resolve(__dirname, '..', 'fixtures', 'migration');
const PREFS = path.join('.config', 'Velquarin 3', 'Preferences', 'io.velquarin.classic.plist');
const keyring = process.env.VELQUARIN_TEST_KEYRING === '1'
  ? false
  : 'needs the private keyring started by scripts/run-tests.sh';

// A home with the given files: { 'Accounts.xml': fixture name or text, ... }.
function makeHome(files = {}) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'zq-migration-'));
  const folder = path.join(home, '.config', 'Velquarin 3');
  fs.mkdirSync(folder, { recursive: true });
  for (const [name, source] of Object.entries(files)) {
    const target = name === 'prefs' ? path.join(home, PREFS) : path.join(folder, name);
    fs.mkdirSync(path.dirname(target), { recursive: true });
    if (source.startsWith('<')) fs.writeFileSync(target, source);
    else fs.copyFileSync(path.join(fixtures, source), target);
  }
  return home;
}

// Runs the calls in a child host; returns [hasPreviousVersion(), getMigrationInfo(s)...].
async function migrate(home, selections, { bus } = {}) {
  const source = `
    const path = require('node:path');
    const native = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinNative.node'));
    const answers = [native.hasPreviousVersion()];
    for (const s of ${JSON.stringify(selections)}) answers.push(native.getMigrationInfo(s === '*' ? undefined : s));
    process.stdout.write('\\n@@' + JSON.stringify(answers));`;
  const env = { HOME: home, XDG_CONFIG_HOME: path.join(home, '.config') };
  if (!bus) env.DBUS_SESSION_BUS_ADDRESS = `unix:path=${path.join(home, 'no-bus')}`;
  const { code, stdout, stderr } = await runChild(source, { env });
  assert.equal(code, 0, stderr);
  const answers = JSON.parse(stdout.slice(stdout.lastIndexOf('@@') + 2));
  return { has: answers[0], docs: answers.slice(1).map((t) => (t === null ? null : JSON.parse(t))),
    stdout: stdout + stderr };
}

test('accounts, workspaces and preferences of the previous version', async () => {
  const home = makeHome({ 'Accounts.xml': 'Accounts.xml', 'WorkspaceStates.xml': 'WorkspaceStates.xml',
    prefs: 'previous-preferences.xml.plist' });
  const { has, docs: [doc] } = await migrate(home, [null]);
  assert.equal(has, true);
  assert.equal(doc['has-previous-version?'], true);
  assert.deepEqual(doc.accounts.map((a) => a.username), ['bob@example.com', 'ann@example.com', 'zoe@example.com']);
  const [bob, ann, zoe] = doc.accounts;
  assert.deepEqual(ann.bookmarks.map((b) => b.order), [10, 20, 30]);
  assert.deepEqual(ann.bookmarks[0], { order: 10, title: 'Ten', url: 'https://example.com/10' });
  assert.equal(bob.isGoogleDriveBlockedAsBOOL, true);
  assert.equal(bob.isGmailChatBlockedAsBOOL, false);
  assert.equal(zoe.isGoogleDriveBlockedAsBOOL, false);
  assert.equal(zoe.isGmailChatBlockedAsBOOL, true);
  assert.equal(ann.numberOfDownloadItems, 2);
  assert.equal(ann.autoBCC, 'archive@example.com, ,\n log@example.com ');
  assert.equal(ann.password, null);
  assert.equal(Object.keys(ann).length, 23);
  assert.deepEqual(doc.workspaces, [
    { 'active?': true, tabs: [
      { email: 'ann@example.com', app: 'Gmail' },
      { email: 'bob@example.com', app: 'GoogleInbox' },
      { email: 'ann@example.com', app: 'Contacts' }] },
    { 'active?': false, tabs: [{ email: 'ann@example.com', app: 'Calendar' }] },
  ]);
  assert.deepEqual(doc.prefs, { HideTabBar: true });
});

test('section selection is a substring test', async () => {
  const home = makeHome({ 'Accounts.xml': 'Accounts.xml', 'WorkspaceStates.xml': 'WorkspaceStates.xml' });
  const { docs } = await migrate(home, ['workspaces', 'accountsworkspaces', '', 'prefs, accounts', '*', 'Accounts']);
  assert.deepEqual(Object.keys(docs[0]).sort(), ['has-previous-version?', 'workspaces']);
  assert.deepEqual(Object.keys(docs[1]).sort(), ['accounts', 'has-previous-version?', 'workspaces']);
  assert.deepEqual(docs[2], { 'has-previous-version?': true });
  assert.deepEqual(Object.keys(docs[3]).sort(), ['accounts', 'has-previous-version?', 'prefs']);
  assert.deepEqual(Object.keys(docs[4]).sort(), ['accounts', 'has-previous-version?', 'prefs', 'workspaces']);
  assert.deepEqual(docs[5], { 'has-previous-version?': true });
});

test('no previous version, and a store without accounts', async () => {
  const none = await migrate(makeHome({ prefs: 'previous-preferences.binary.plist' }), [null]);
  assert.equal(none.has, false);
  assert.deepEqual(none.docs[0], { 'has-previous-version?': false, accounts: [], workspaces: [],
    prefs: { HideTabBar: true } });
  const empty = await migrate(makeHome({ 'Accounts.xml': 'EmptyAccounts.xml' }), [null]);
  assert.equal(empty.has, false);
  assert.deepEqual(empty.docs[0], { 'has-previous-version?': true, accounts: [], workspaces: [], prefs: {} });
});

test('a preference JSON cannot hold nulls the document; without prefs it is written', async () => {
  const prefs = '<?xml version="1.0"?><plist version="1.0"><dict><key>HideTabBar</key><false/>'
    + '<key>DownloadDestinationPath</key><date>2020-01-01T00:00:00Z</date></dict></plist>';
  const home = makeHome({ 'Accounts.xml': 'Accounts.xml', prefs });
  const { docs: [all, accountsOnly], stdout } = await migrate(home, [null, 'accounts']);
  assert.equal(all, null);
  assert.match(stdout, /\[warning\] VelquarinNative:\d+ .*Couldn't convert to JSON/);
  assert.equal(accountsOnly.accounts.length, 3);
});

test('hostile or broken stores give warnings and empty sections, never a crash', async () => {
  const laughs = '<?xml version="1.0"?><!DOCTYPE database [<!ENTITY a "aaaaaaaaaa">'
    + '<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">]>'
    + '<database><object type="ACCOUNT" id="z1"><attribute name="username" type="string">&c;</attribute></object></database>';
  const workspaces = fs.readFileSync(path.join(fixtures, 'WorkspaceStates.xml'), 'utf8')
    .replace('idrefs="z106"', 'idrefs="z999"');
  const home = makeHome({ 'Accounts.xml': laughs, 'WorkspaceStates.xml': workspaces });
  const { has, docs: [doc], stdout } = await migrate(home, [null]);
  assert.equal(has, false);
  assert.deepEqual(doc.accounts, []);
  assert.deepEqual(doc.workspaces, []);
  assert.ok(!stdout.includes('aaaaaaaaaa'));
  assert.match(stdout, /\[warning\].*Couldn't attach persistence\..*Accounts\.xml: .*(declarations are not allowed|entity reference loop)/);
  assert.match(stdout, /\[warning\].*Couldn't attach persistence\..*dangling reference z999/);
  assert.match(stdout, /\[warning\].*Could not execute ZqAccounts#all query\./);
  assert.match(stdout, /\[warning\].*Could not execute ZqWorkspaceStates#all query\./);
});

test('a workspace without active and a tab that does not parse are skipped', async () => {
  const workspaces = fs.readFileSync(path.join(fixtures, 'WorkspaceStates.xml'), 'utf8')
    .replace('<attribute name="active" type="bool">0</attribute>', '')
    .replace('Zq_GoogleInbox_bob@example.com', 'Inbox of bob');
  const home = makeHome({ 'Accounts.xml': 'Accounts.xml', 'WorkspaceStates.xml': workspaces });
  const { docs: [doc], stdout } = await migrate(home, ['workspaces']);
  assert.deepEqual(doc.workspaces, [{ 'active?': true, tabs: [
    { email: 'ann@example.com', app: 'Gmail' }, { email: 'ann@example.com', app: 'Contacts' }] }]);
  assert.match(stdout, /\[warning\].*Skipping workspace state z102/);
  assert.match(stdout, /\[warning\].*Skipping tab z104/);
});

test('passwords come from the Secret Service', { skip: keyring }, async () => {
  const secret = `pw-${process.pid}-${Date.now()}`;
  const stored = spawnSync('secret-tool', ['store', '--label', 'migration test', 'service', 'Velquarin 3',
    'account', 'ann@example.com'], { input: secret });
  assert.equal(stored.status, 0, String(stored.stderr));
  try {
    const home = makeHome({ 'Accounts.xml': 'Accounts.xml' });
    const { docs: [doc] } = await migrate(home, ['accounts'], { bus: true });
    const byName = Object.fromEntries(doc.accounts.map((a) => [a.username, a.password]));
    assert.deepEqual(byName, { 'bob@example.com': null, 'ann@example.com': secret, 'zoe@example.com': null });
  } finally {
    spawnSync('secret-tool', ['clear', 'service', 'Velquarin 3', 'account', 'ann@example.com']);
  }
});

test('a generated large store exports every account, bookmark and tab', async () => {
  const { writeStores } = require('../../bench/migration-fixture');
  const home = makeHome();
  writeStores(path.join(home, '.config', 'Velquarin 3'), { accounts: 120, bookmarks: 7, workspaces: 15, tabs: 6 });
  const { docs: [doc] } = await migrate(home, ['accountsworkspaces']);
  assert.equal(doc.accounts.length, 120);
  assert.ok(doc.accounts.every((a) => a.bookmarks.length === 7));
  assert.deepEqual(doc.accounts[0].bookmarks.map((b) => b.order), [10, 20, 30, 40, 50, 60, 70]);
  assert.equal(doc.workspaces.length, 15);
  assert.ok(doc.workspaces.every((w) => w.tabs.length === 6));
  assert.equal(doc.workspaces.filter((w) => w['active?']).length, 1);
});
