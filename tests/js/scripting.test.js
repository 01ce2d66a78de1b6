'use strict';
// Scripted outgoing messages and the current page: the model as a script drives it (through
// the binding), the compose road to the host, and the application's object on the session
// bus with gdbus as the other program, in hosts with bundle identifiers of their own.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { addonPath, buildDir, loadModule, loadPlatform, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'scripting-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');

const native = loadModule();
const platform = loadPlatform();
const MESSAGES = 'outgoingMessages';
const DEFAULT_OPTIONS = {
  'optimize-attachments?': null, 'directly-send?': false,
  'image-attach-method': null, 'image-file-type': null, 'image-size': null,
};

function recordComposes() {
  const seen = [];
  native.setComposeOutgoingMessageCallbackFunction((message, options) => {
    seen.push({ message: JSON.parse(message), options: JSON.parse(options), raw: message });
  });
  return seen;
}

function make(properties = {}) {
  return platform.scriptMake('OutgoingMessage', null, MESSAGES, properties);
}

test('a message composed at once, its options and its body', () => {
  const seen = recordComposes();
  const ref = make();
  assert.deepEqual(Object.keys(ref).sort(), ['id', 'key']);
  platform.scriptCommand(ref, 'compose');
  assert.equal(seen[0].raw, '{"attachment-paths":[],"bcc":[],"cc":[],"to":[]}');
  assert.deepEqual(seen[0].options, DEFAULT_OPTIONS);

  platform.scriptSet(ref, 'optimizeAttachments', true);
  platform.scriptCommand(ref, 'compose');
  assert.equal(seen[1].options['optimize-attachments?'], true, 'explicitly set, though stored true');

  const bodies = [
    ['', undefined], ['\n', '\n'], ['A', 'A\n'], ['A\nB', 'A\nB\n'], ['A\rB', 'A\r\nB\n'],
    ['A\r\nB\r\n', 'A\r\nB\r\n'], ['A\u2029B', 'A\u2029\nB\n'], ['A\u2028B', 'A\u2028B\n'],
    ['A\u0085B', 'A\u0085B\n'], ['😀\r', '😀\r\n'], [null, undefined],
  ];
  for (const [content, body] of bodies) {
    platform.scriptSet(ref, 'content', content);
    platform.scriptCommand(ref, 'compose');
    assert.equal(seen.at(-1).message.body, body, JSON.stringify(content));
  }
});

test('recipients, attachments and a signature reach the host as the script gave them', () => {
  const seen = recordComposes();
  const ref = make({ subject: 'Plans', sender: 'me@example.com' });
  platform.scriptMake('Recipient', ref, 'toRecipients', { address: 'a@example.com' });
  platform.scriptMake('Recipient', ref, 'toRecipients', { name: 'Zoë Ünal', address: 'z@example.com' });
  platform.scriptSet(ref, 'ccRecipients', [{ name: null, address: 'c@example.com' }]);
  platform.scriptSet(ref, 'mailAttachments', [{ path: '/tmp/a.pdf' }]);
  platform.scriptSet(ref, 'messageSignature', { name: 'Work', content: '--' });
  const second = platform.scriptGet(ref, 'toRecipients')[1];
  assert.deepEqual(second, { key: 'toRecipients', index: 1, container: ref });
  assert.equal(platform.scriptGet(second, 'name'), 'Zoë Ünal');
  assert.deepEqual(platform.scriptGet(ref, 'messageSignature'), { name: 'Work', content: '--' });
  platform.scriptCommand(ref, 'compose');
  assert.deepEqual(seen[0].message, {
    sender: 'me@example.com', subject: 'Plans',
    to: [{ name: '', email: 'a@example.com' }, { name: 'Zoë Ünal', email: 'z@example.com' }],
    cc: [{ name: null, email: 'c@example.com' }], bcc: [], 'attachment-paths': ['/tmp/a.pdf'],
  });
});

test('visible composes 1.0 s after each setting, with the fields as they are then', () => {
  const seen = recordComposes();
  const ref = make({ subject: 'first' });
  platform.scriptSet(ref, 'visible', false);
  platform.scriptSet(ref, 'visible', true);
  platform.advanceClock(0.5);
  platform.scriptSet(ref, 'visible', true);
  platform.advanceClock(0.49);
  assert.equal(seen.length, 0, 'nothing at 0.99 s');
  platform.advanceClock(0.01);
  assert.equal(seen.length, 1);
  platform.scriptSet(ref, 'subject', 'changed');
  platform.scriptDelete(ref);  // unknown at once, yet its pending compose still comes
  assert.throws(() => platform.scriptGet(ref, 'subject'), { code: 'UnknownObject' });
  platform.advanceClock(0.5);
  assert.deepEqual(seen.map((each) => each.message.subject), ['first', 'changed']);
});

test('the container: unique IDs, deletion, refused makes take no id', () => {
  const first = make();
  const second = make();
  assert.equal(second.id, first.id + 1);
  assert.throws(() => make({ bogus: 1 }), { code: 'InvalidArgs' });
  assert.throws(() => make({ subject: 42 }), { code: 'InvalidArgs' });
  assert.throws(() => make({ mailAttachments: ['/tmp/a'] }), { code: 'InvalidArgs' });
  assert.equal(make().id, second.id + 1, 'the refused makes took no id');
  const ids = () => platform.scriptGet(null, MESSAGES).map((ref) => ref.id);
  platform.scriptSet(null, MESSAGES, platform.scriptGet(null, MESSAGES));  // itself: kept
  assert.ok(ids().includes(first.id));
  platform.scriptDelete(first);
  assert.ok(!ids().includes(first.id));
  assert.throws(() => platform.scriptGet({ key: MESSAGES, index: 1e6 }, 'id'), { code: 'UnknownObject' });
  assert.equal(platform.scriptGet({ key: MESSAGES, index: 0 }, 'id'), ids()[0]);
});

test('no callback, a request without options, replaced and throwing callbacks', async () => {
  const { code, stdout, stderr } = await runChild(`
    const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
    const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
    const seen = [];
    process.on('uncaughtException', (error) => seen.push('uncaught:' + error.message));
    platform.post('ZqComposeOutgoingMessageNotification', { message: {} });
    console.error('--- with callbacks');
    native.setComposeOutgoingMessageCallbackFunction(() => seen.push('replaced'));
    native.setComposeOutgoingMessageCallbackFunction((m, o) => seen.push(m + o));
    platform.post('ZqComposeOutgoingMessageNotification', { message: { a: 1 } });
    platform.post('ZqComposeOutgoingMessageNotification', { message: { a: 1 }, options: [] });
    native.setComposeOutgoingMessageCallbackFunction(() => { throw new Error('host failure'); });
    platform.post('ZqComposeOutgoingMessageNotification', { message: {}, options: {} });
    native.setCurrentStateCallbackFunction(() => { throw new Error('no page'); });
    seen.push(platform.scriptGet(null, 'currentMessageText'));
    setTimeout(() => console.log(JSON.stringify(seen)), 50);
  `, { env: { XDG_CONFIG_HOME: path.join(sandbox, 'observer') } });
  assert.equal(code, 0, stderr);
  assert.deepEqual(JSON.parse(stdout.trim()), ['{"a":1}[]', 'uncaught:host failure', 'uncaught:no page', null]);
  const [before, after] = stderr.split('--- with callbacks');
  assert.doesNotMatch(before, /Could get|Couldn't convert/, 'no callback: nothing converted');
  assert.match(after, /\[error\].*Couldn't convert null to JSON because of/);
  assert.equal(after.split('\n').filter((line) => /\[warning\].*Could get message or options/.test(line)).length, 1);
});

test('the current page: values, null results, state callbacks', () => {
  assert.equal(native.setCurrentURL('https://mail.example/a', 'https://web.example/a', 'Inbox'), null);
  assert.equal(platform.scriptGet(null, 'currentTitle'), 'Inbox');
  native.setCurrentURL('https://mail.example/b', 'https://web.example/b');
  assert.equal(platform.scriptGet(null, 'currentURL'), 'https://mail.example/b');
  assert.equal(platform.scriptGet(null, 'currentTitle'), null, 'two arguments: no title');

  const text = () => platform.scriptGet(null, 'currentMessageText');
  assert.equal(text(), null, 'no callback yet');
  const asked = [];
  const answers = [[null, null], [undefined, null], [42, '42'], ['Dear Ann', 'Dear Ann']];
  for (const [answer, expected] of answers) {
    assert.equal(native.setCurrentStateCallbackFunction((name) => (asked.push(name), answer)), null);
    assert.equal(text(), expected, String(answer));
  }
  assert.deepEqual(new Set(asked), new Set(['current-message-text']));
  native.setCurrentStateCallbackFunction(() => {
    native.setCurrentStateCallbackFunction(() => 'later');
    return 'kept';
  });
  assert.equal(text(), 'kept', 'a callback that replaced itself still answers');
  assert.equal(text(), 'later');
});

test('loadFScript logs where it looked and loads nothing', async () => {
  const home = path.join(sandbox, 'fscript-home');
  const run = () => runChild(`require(${JSON.stringify(addonPath('VelquarinNative'))}).loadFScript();`,
    { env: { HOME: home, XDG_CONFIG_HOME: path.join(home, '.config') } });
  const framework = path.join(home, 'Library/Frameworks/FScript.framework');
  let { code, stderr } = await run();
  assert.equal(code, 0, stderr);
  assert.match(stderr, new RegExp(`\\[info\\].*Couldn't find FScript at path ${framework}`));
  fs.mkdirSync(framework, { recursive: true });
  ({ code, stderr } = await run());
  assert.doesNotMatch(stderr, /Couldn't find FScript/);
  assert.match(stderr, /is not loaded here/);
});

// ---- on the session bus ----------------------------------------------------------------

const hasBus = Boolean(process.env.DBUS_SESSION_BUS_ADDRESS);

// A bundle of its own: the default identifier is held by other test processes.
function bundleWithIdentifier(identifier) {
  const folder = fs.mkdtempSync(path.join(sandbox, 'bundle-'));
  fs.cpSync(path.join(buildDir, 'Velquarin.bundle'), folder, { recursive: true });
  const plist = path.join(folder, 'Info.plist');
  fs.writeFileSync(plist, fs.readFileSync(plist, 'utf8').replace('io.velquarin.desktop', identifier));
  return folder;
}

// The host side of a bus scenario: both add-ons, and gdbus run without blocking the loop
// that must answer it.
const HOST_PRELUDE = `
  const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
  const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
  const { execFile } = require('node:child_process');
  const gdbus = (...args) => new Promise((resolve) => execFile('gdbus', args,
    (error, stdout, stderr) => resolve(error ? 'ERROR ' + stderr.trim() : stdout.trim())));
  const owned = async () => {
    for (let i = 0; i < 100 && !platform.scriptingBusNames().wellKnown; i++) {
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    return platform.scriptingBusNames();
  };
`;

function busHost(identifier, body) {
  return runChild(`${HOST_PRELUDE}
    const NAME = ${JSON.stringify(identifier)};
    (async () => { ${body} })().then((result) => console.log(JSON.stringify(result)),
      (error) => { console.log(JSON.stringify({ failed: String(error.stack) })); });
  `, { env: { VELQUARIN_BUNDLE_PATH: bundleWithIdentifier(identifier),
    XDG_CONFIG_HOME: path.join(sandbox, identifier) }, timeoutMs: 30000 });
}

test('a script on the session bus makes, composes, reads and deletes', { skip: !hasBus }, async () => {
  const { code, stdout, stderr } = await busHost('io.velquarin.test.one', `
    const { path } = await owned();
    const APP = 'io.velquarin.Scripting1.Application';
    const call = (object, method, ...args) => gdbus('call', '--session', '--dest', NAME,
      '--object-path', object, '--method', method, ...args);
    const property = (object, iface, name) =>
      call(object, 'org.freedesktop.DBus.Properties.Get', iface, name);
    const result = { path };
    const composes = [];
    native.setComposeOutgoingMessageCallbackFunction((m, o) => composes.push([JSON.parse(m), JSON.parse(o)]));
    result.introspection = await gdbus('introspect', '--session', '--dest', NAME, '--object-path', path);
    result.made = await call(path, APP + '.MakeOutgoingMessage',
      "{'Subject': <'Hello'>, 'ToRecipients': <[('Zoë', 'z@example.com'), ('', 'b@example.com')]>, 'Visible': <true>}");
    const message = /'([^']+)'/.exec(result.made)[1];
    result.managed = await call(path, 'org.freedesktop.DBus.ObjectManager.GetManagedObjects');
    result.visible = await property(message, 'io.velquarin.Scripting1.OutgoingMessage', 'Visible');
    platform.advanceClock(1.0);  // (the 0.99 s edge is pinned in-process, without wall time)
    result.composes = composes;

    const asked = [];
    native.setCurrentStateCallbackFunction((name) => (asked.push(name), 'Dear Zoë'));
    result.getAll = await call(path, 'org.freedesktop.DBus.Properties.GetAll', APP);
    result.askedByGetAll = asked.length;
    result.text = await property(path, APP, 'CurrentMessageText');
    result.asked = asked;

    const toggles = [];
    platform.observe('ZqToggleDoNotDisturbNotification', (name) => toggles.push(name));
    await call(path, 'org.freedesktop.DBus.Properties.Set', APP, 'DoNotDisturb', '<false>');
    result.togglesSame = toggles.length;
    await call(path, 'org.freedesktop.DBus.Properties.Set', APP, 'DoNotDisturb', '<true>');
    result.togglesOther = toggles.length;

    result.refused = await call(path, APP + '.MakeOutgoingMessage', "{'Subject': <42>}");
    result.unknownKey = await call(path, APP + '.MakeOutgoingMessage', "{'Bogus': <'x'>}");
    result.next = await call(path, APP + '.MakeOutgoingMessage', '{}');
    result.leadingZero = await property(message.replace(/\\/(\\d+)$/, '/0$1'),
      'io.velquarin.Scripting1.OutgoingMessage', 'Id');
    result.deleted = await call(message, 'io.velquarin.Scripting1.OutgoingMessage.Delete');
    result.afterDelete = await property(message, 'io.velquarin.Scripting1.OutgoingMessage', 'Id');
    result.lookup = await call(path, APP + '.OutgoingMessageWithUniqueID', '0');

    const monitor = require('node:child_process').spawn('gdbus',
      ['monitor', '--session', '--dest', NAME, '--object-path', path]);
    let monitored = '';
    await new Promise((resolve) => monitor.stdout.on('data', (chunk) => {
      monitored += chunk;
      if (monitored.includes(' is owned by ')) resolve();
    }));
    await new Promise((resolve) => setTimeout(resolve, 300));  // its match rules are in place
    native.setCurrentURL('https://mail.example/x', null, 'Drafts');
    native.setUserDefault('DoNotDisturb', true);
    await new Promise((resolve) => setTimeout(resolve, 500));
    monitor.kill();
    result.monitored = monitored;
    return result;
  `);
  assert.equal(code, 0, stderr);
  const r = JSON.parse(stdout.trim());
  assert.equal(r.failed, undefined, r.failed);
  assert.equal(r.path, '/io/velquarin/test/one');
  for (const text of ['interface io.velquarin.Scripting1.Application', 'MakeOutgoingMessage(',
    'interface org.freedesktop.DBus.ObjectManager', 'node OutgoingMessages']) {
    assert.ok(r.introspection.includes(text), `${text} in\n${r.introspection}`);
  }
  assert.equal(r.made, "(objectpath '/io/velquarin/test/one/OutgoingMessages/0',)");
  assert.match(r.managed, /OutgoingMessages\/0.*'Subject': <'Hello'>/s);
  assert.equal(r.visible, '(<false>,)');
  assert.deepEqual(r.composes, [[{ subject: 'Hello', to: [{ name: 'Zoë', email: 'z@example.com' },
    { name: '', email: 'b@example.com' }], cc: [], bcc: [], 'attachment-paths': [] }, DEFAULT_OPTIONS]]);
  assert.doesNotMatch(r.getAll, /CurrentMessageText/);
  assert.equal(r.askedByGetAll, 0);
  assert.equal(r.text, "(<'Dear Zoë'>,)");
  assert.deepEqual(r.asked, ['current-message-text']);
  assert.equal(r.togglesSame, 0);
  assert.equal(r.togglesOther, 1);
  assert.match(r.refused, /ERROR.*InvalidArgs/);
  assert.match(r.unknownKey, /ERROR.*InvalidArgs/);
  assert.equal(r.next, "(objectpath '/io/velquarin/test/one/OutgoingMessages/1',)", 'refusals took no id');
  assert.match(r.leadingZero, /ERROR.*UnknownObject/);
  assert.equal(r.deleted, '()');
  assert.match(r.afterDelete, /ERROR.*UnknownObject/);
  assert.match(r.lookup, /ERROR.*UnknownObject/);
  assert.match(r.monitored, /PropertiesChanged.*'CurrentURL': <'https:\/\/mail.example\/x'>/);
  assert.match(r.monitored, /PropertiesChanged.*'CurrentTitle': <'Drafts'>/);
  assert.match(r.monitored, /PropertiesChanged.*'DoNotDisturb': <true>/);
});

test('without a session bus: one warning, and scripting still works', async () => {
  const { code, stdout, stderr } = await runChild(`${HOST_PRELUDE}
    const seen = [];
    native.setComposeOutgoingMessageCallbackFunction((m) => seen.push(m));
    platform.scriptCommand(platform.scriptMake('OutgoingMessage', null, 'outgoingMessages',
      { subject: 'offline' }), 'compose');
    console.log(JSON.stringify({ seen, names: platform.scriptingBusNames() }));
  `, { env: { DBUS_SESSION_BUS_ADDRESS: `unix:path=${path.join(sandbox, 'no-bus')}`,
    XDG_RUNTIME_DIR: path.join(sandbox, 'no-runtime'), XDG_CONFIG_HOME: path.join(sandbox, 'nobus') } });
  assert.equal(code, 0, stderr);
  const r = JSON.parse(stdout.trim());
  assert.deepEqual(r.seen.map((m) => JSON.parse(m).subject), ['offline']);
  assert.deepEqual([r.names.unique, r.names.wellKnown], [null, null]);
  assert.equal(stderr.split('\n').filter((line) => /\[warning\].*No session bus.*scripts cannot reach/.test(line)).length, 1);
});

test('two hosts with one identifier: the second queues and serves on its unique name',
  { skip: !hasBus }, async () => {
    const identifier = 'io.velquarin.test.shared';
    const bundle = bundleWithIdentifier(identifier);
    const first = spawn(process.execPath, ['-e', `${HOST_PRELUDE}
      owned().then((names) => console.log(JSON.stringify(names)));
      setInterval(() => {}, 1000);`], {
      env: { ...process.env, VELQUARIN_BUNDLE_PATH: bundle, XDG_CONFIG_HOME: path.join(sandbox, 'first') },
      stdio: ['ignore', 'pipe', 'ignore'] });
    const firstNames = await new Promise((resolve) => first.stdout.once('data', (d) => resolve(JSON.parse(d))));
    assert.equal(firstNames.wellKnown, identifier);
    const FIRST_PID = first.pid;
    const second = busHost(identifier, `
      while (!platform.scriptingBusNames().unique) await new Promise((r) => setTimeout(r, 20));
      const { unique, path } = platform.scriptingBusNames();
      // Answered after the bus has seen this host's name request (one connection, in order).
      const answer = await gdbus('call', '--session', '--dest', unique, '--object-path', path,
        '--method', 'org.freedesktop.DBus.Properties.Get', 'io.velquarin.Scripting1.Application',
        'DoNotDisturb');
      const queued = platform.scriptingBusNames();
      process.kill(${FIRST_PID});  // the owner leaves
      return { queued, answer, taken: await owned() };
    `);
    const { code, stdout, stderr } = await second.finally(() => first.kill());
    assert.equal(code, 0, stderr);
    const r = JSON.parse(stdout.trim());
    assert.equal(r.queued.wellKnown, null, 'the owner keeps its name');
    assert.ok(r.queued.unique.startsWith(':'));
    assert.equal(r.answer, '(<false>,)');
    assert.equal(r.taken.wellKnown, identifier, 'the name passes on when the owner leaves');
  });
