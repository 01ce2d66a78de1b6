'use strict';
// The address book on a vCard folder as the host sees it: group lookups, the picker window
// driven as the user would, and the typing settings read from the two defaults domains.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { loadModule, loadPlatform, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'contacts-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');
process.env.XDG_DATA_HOME = path.join(sandbox, 'data');
const contacts = path.join(sandbox, 'data', 'contacts');

const native = loadModule();
const platform = loadPlatform();

function writeCard(file, lines) {
  fs.mkdirSync(path.dirname(path.join(contacts, file)), { recursive: true });
  fs.writeFileSync(path.join(contacts, file), lines.join('\r\n') + '\r\n');
}

const card = (...lines) => ['BEGIN:VCARD', ...lines, 'END:VCARD'];
const EVE = 'Eve", x@evil.example, "';
writeCard('home/ann.vcf', card('VERSION:3.0', 'UID:ann', 'N:Lee;Ann;;;', 'EMAIL:ann@example.com'));
writeCard('home/team.vcf', card('VERSION:3.0', 'UID:team', 'X-ADDRESSBOOKSERVER-KIND:group',
  'FN:Team', 'X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:ann', 'X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:nomail',
  'X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:bob', 'X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:board'));
writeCard('home/loop.vcf', card('UID:loop', 'KIND:group', 'FN:Loop', 'MEMBER:ann', 'MEMBER:loop'));
writeCard('home/.hidden.vcf', card('UID:hidden', 'FN:Hidden', 'EMAIL:hidden@example.com'));
writeCard('work/bob.vcf', [...card('VERSION:4.0', 'UID:urn:uuid:bob', 'FN:Bob Ray',
  'EMAIL;PREF=2:bob@example.com', 'EMAIL;PREF=1:bob.ray@example.com'),
...card('UID:nomail', 'FN:No Mail'), ...card('UID:eve', 'FN:Eve', 'EMAIL:eve@example.com')]);
writeCard('work/board.vcf', card('VERSION:4.0', 'KIND:group', 'UID:urn:uuid:board', 'FN:Board',
  'MEMBER:urn:uuid:carl', 'MEMBER:mailto:guest@example.com', 'MEMBER:urn:uuid:gone'));
writeCard('work/carl.vcf', card('UID:carl', 'KIND:org', 'ORG:Carl Corp;IT', 'N:Carl;;;;',
  'EMAIL:it@carl.example'));
writeCard('work/unnamed.vcf', card('UID:unnamed', 'KIND:group', 'MEMBER:eve'));
writeCard('work/deep/too-deep.vcf', card('UID:deep', 'FN:Deep', 'EMAIL:deep@example.com'));
// The hostile name reaches the picker through a vCard escape.
writeCard('work/eve.vcf', card('UID:eve2', `FN:${EVE.replaceAll(',', '\\,')}`, 'EMAIL:eve@evil.example'));

const groupJSON = (name) => JSON.parse(native.recipientsForGroupName(name));

let logOffset = 0;
// The log lines written since the last call.
function newLogLines() {
  platform.flushLogs();
  const text = fs.readFileSync(platform.logFile(), 'utf8');
  const lines = text.slice(logOffset).split('\n').filter(Boolean);
  logOffset = text.length;
  return lines;
}

// Splits an address field at commas outside quoted strings, as a mail client reads it.
function splitAddressField(text) {
  const pieces = [''];
  let quoted = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (c === '\\' && quoted) {
      pieces[pieces.length - 1] += c + text[++i];
      continue;
    }
    if (c === '"') quoted = !quoted;
    if (c === ',' && !quoted) pieces.push('');
    else pieces[pieces.length - 1] += c;
  }
  return pieces;
}

test('groups expand from the vCard folder, and a changed card is read again', () => {
  const bobRay = { name: 'Bob Ray', email: 'bob.ray@example.com' };
  assert.deepEqual(groupJSON('Team'), [
    { name: 'Ann Lee', email: 'ann@example.com' }, bobRay,
    { name: 'Carl Corp', email: 'it@carl.example' }, { email: 'guest@example.com' }]);
  assert.equal(native.recipientsForGroupName('team'), null);
  assert.equal(native.recipientsForGroupName('Nobody'), null);
  assert.deepEqual(groupJSON(''), [{ name: 'Eve', email: 'eve@example.com' }]);
  newLogLines();
  assert.deepEqual(groupJSON('Loop'), [{ name: 'Ann Lee', email: 'ann@example.com' }]);
  assert.equal(newLogLines().filter((line) => line.includes('Skipping group Loop')).length, 1);

  const book = platform.addressBook();
  assert.equal(book.folder, contacts);
  assert.ok(!book.people.some((p) => ['hidden', 'deep'].includes(p.identifier)));
  writeCard('home/ann.vcf', card('UID:ann', 'N:Lee;Ann;;;', 'EMAIL:ann.lee@example.com'));
  assert.equal(groupJSON('Team')[0].email, 'ann.lee@example.com');

  const elsewhere = path.join(process.env.HOME, 'cards-js');
  fs.mkdirSync(elsewhere, { recursive: true });
  fs.writeFileSync(path.join(elsewhere, 'g.vcf'), card('KIND:group', 'FN:Team').join('\n'));
  platform.defaultsWrite('AddressBookFolder', '~/cards-js');
  assert.deepEqual(groupJSON('Team'), [], 'an empty group is []');
  platform.defaultsRemove('AddressBookFolder');
});

const TRANSLATIONS = JSON.stringify({
  'window-title': 'Pick', 'accept-button-label': 'Insert', 'cancel-button-label': 5,
  'edit-in-contacts-button-label': 'Edit in Contacts',
});

test('the picker: bad requests open nothing; selection, keys, close and reopen', () => {
  const host = platform.createWindow('AtomNSWindow', 'Inbox');
  const posted = [];
  platform.observe('ZqContactEmailAddressesPicked', (name, info) => posted.push(info.addresses));
  newLogLines();
  native.pickEmailAddresses(Buffer.alloc(8), TRANSLATIONS);
  for (const text of ['', '[]', '"x"', '3', '{']) native.pickEmailAddresses(host, text);
  assert.equal(platform.addressPicker(), null);
  const errors = newLogLines().filter((line) => line.includes('[error]'));
  assert.equal(errors.length, 6);
  assert.ok(errors.slice(1).every((line) => line.includes("Couldn't parse translations JSON")));

  platform.setMainScreenFrame({ x: 0, y: 0, width: 1200, height: 800 });
  native.pickEmailAddresses(host, TRANSLATIONS);
  assert.ok(newLogLines().some((line) => line.includes('No translation for cancel-button-label in')));
  let picker = platform.addressPicker();
  assert.deepEqual([picker.visible, picker.key, picker.title, picker.styleMask], [true, true, 'Pick', 11]);
  assert.deepEqual(picker.frame, { x: 350, y: 150, width: 500, height: 500 });
  assert.deepEqual(picker.pickerFrame, { x: 20, y: 70, width: 460, height: 410 });
  const [edit, accept, cancel] = picker.buttons;
  assert.deepEqual([edit.title, accept.title, cancel.title],
    ['Edit in Contacts', 'Insert', 'cancel-button-label']);
  assert.deepEqual([edit.frame.x, edit.frame.y, accept.frame.y], [20, 20, 20]);
  assert.equal(accept.frame.x + accept.frame.width, 480);
  assert.equal(cancel.frame.x + cancel.frame.width, accept.frame.x);
  assert.ok(edit.frame.width > accept.frame.width, 'sized to their titles');
  assert.deepEqual([accept.keyEquivalent, cancel.keyEquivalent], ['\r', '\x17']);

  platform.resizeAddressPicker(700, 600);
  picker = platform.addressPicker();
  assert.deepEqual(picker.pickerFrame, { x: 20, y: 70, width: 660, height: 510 });
  assert.equal(picker.buttons[1].frame.x + picker.buttons[1].frame.width, 680);
  assert.equal(picker.buttons[0].frame.x, 20);

  // Values go with the first selected record that holds them; a value of no record is dropped.
  assert.equal(platform.selectInAddressPicker({ values: ['bob@example.com', 'nobody@x'] }), false);
  assert.ok(platform.selectInAddressPicker({
    values: ['bob@example.com', 'ann.lee@example.com', 'it@carl.example'], records: ['bob', 'ann'] }));
  assert.equal(platform.pressAddressPickerKey('\x1b'), false, 'Escape does nothing');
  assert.ok(platform.addressPicker().visible);
  assert.ok(platform.pressAddressPickerKey('\r'));
  assert.equal(platform.addressPicker().visible, false);
  assert.equal(platform.pressAddressPickerKey('\r'), false, 'a hidden window takes no keys');
  assert.deepEqual(posted.map((text) => JSON.parse(text)),
    [['"Bob Ray" <bob@example.com>', '"Ann Lee" <ann.lee@example.com>']]);

  native.pickEmailAddresses(host, JSON.stringify({ 'window-title': 'Other' }));
  assert.equal(platform.addressPicker().title, 'Pick', 'the first translations stay');
  platform.selectInAddressPicker({ values: ['ann.lee@example.com'], records: ['ann'], groups: ['board', 'team'] });
  platform.pressAddressPickerButton(1);
  assert.deepEqual(JSON.parse(posted[1]), ['"Carl Corp" <it@carl.example>', '<guest@example.com>',
    '"Ann Lee" <ann.lee@example.com>', '"Bob Ray" <bob.ray@example.com>', '"Carl Corp" <it@carl.example>',
    '<guest@example.com>']);

  native.pickEmailAddresses(host, TRANSLATIONS);
  assert.ok(platform.pressAddressPickerKey('\x17'));
  assert.ok(platform.closeAddressPicker() === false && !platform.addressPicker().visible);
  native.pickEmailAddresses(host, TRANSLATIONS);
  assert.ok(platform.closeAddressPicker(), 'the title bar closes it');
  assert.equal(posted.length, 2, 'cancel and close post nothing');
  native.pickEmailAddresses(host, TRANSLATIONS);
  assert.ok(platform.addressPicker().visible, 'shown again after a close');
  platform.selectInAddressPicker({ records: ['ann'] });
  platform.pressAddressPickerKey('\r');
  assert.equal(posted[2], '[]', 'records without values pick nothing');

  native.pickEmailAddresses(host, TRANSLATIONS);
  assert.ok(platform.doubleClickAddressPickerName('eve2'));
  const [hostile] = JSON.parse(posted[3]);
  assert.equal(hostile, '"Eve\\", x@evil.example, \\"" <eve@evil.example>');
  assert.equal(splitAddressField(hostile).length, 1, 'the name adds no recipient');
  native.pickEmailAddresses(host, TRANSLATIONS);
  assert.ok(platform.doubleClickAddressPickerGroup('category:none') === false);
  assert.ok(platform.doubleClickAddressPickerGroup('loop'));
  assert.deepEqual(JSON.parse(posted[4]), ['"Ann Lee" <ann.lee@example.com>']);
});

test('text replacements: application switches over global ones, values JSON cannot hold', async () => {
  const read = () => JSON.parse(native.getTextReplacements());
  const items = [{ on: 'omw', replace: 'On my way!' }, { on: 'ty', replace: 'Thank you' }];
  assert.deepEqual(read(), {}, 'no global file, no application switches');
  platform.defaultsWrite('NSUserDictionaryReplacementItems', items, { domain: 'global' });
  platform.defaultsWrite('NSAutomaticDashSubstitutionEnabled', true, { domain: 'global' });
  platform.defaultsWrite('NSAutomaticPeriodSubstitutionEnabled', 0, { domain: 'global' });
  platform.defaultsWrite('WebAutomaticDashSubstitutionEnabled', false);
  platform.defaultsWrite('WebAutomaticTextReplacementEnabled', true);
  platform.defaultsWrite('NSAutomaticPeriodSubstitutionEnabled', true); // the application's is ignored
  assert.deepEqual(read(), { 'text-replacements': items, 'dash-substitution?': false,
    'period-substitution?': false });
  platform.defaultsWrite('WebAutomaticTextReplacementEnabled', 0);
  platform.defaultsWrite('WebAutomaticDashSubstitutionEnabled', 'yes'); // not a switch: absent
  assert.deepEqual(read(), { 'text-replacements': [], 'dash-substitution?': true,
    'period-substitution?': false });
  platform.defaultsWrite('WebAutomaticTextReplacementEnabled', null);
  for (const bad of [new Date(0), Buffer.from('x'), NaN, Infinity]) {
    platform.defaultsWrite('NSUserDictionaryReplacementItems', [{ on: 'd', replace: bad }],
      { domain: 'global', type: 'real' });
    assert.equal(native.getTextReplacements(), null, String(bad));
  }
  assert.ok(newLogLines().some((line) => line.includes("[warning]") && line.includes("Couldn't convert to JSON")));

  const source = `
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    platform.defaultsWrite('WebAutomaticDashSubstitutionEnabled', true);
    process.stdout.write(native.getTextReplacements() + '\\n');
    const globalFile = platform.defaultsPath({ domain: 'global' });
    require('node:fs').mkdirSync(require('node:path').dirname(globalFile), { recursive: true });
    require('node:fs').writeFileSync(globalFile,
      '<plist version="1.0"><dict><key>NSAutomaticPeriodSubstitutionEnabled</key><true/></dict></plist>');
    platform.defaultsRemove('WebAutomaticDashSubstitutionEnabled');
    process.stdout.write(native.getTextReplacements());`;
  const { code, stdout, stderr } = await runChild(source, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'child') } });
  assert.equal(code, 0, stderr);
  assert.deepEqual(stdout.split('\n').map((line) => JSON.parse(line)),
    [{ 'dash-substitution?': true }, { 'period-substitution?': true }]);
  assert.deepEqual(stderr.split('\n').filter((line) => line.startsWith('localeDashSubstitution')),
    ['localeDashSubstitution: 1: (null)', 'localeDashSubstitution: (null): (null)']);
});
