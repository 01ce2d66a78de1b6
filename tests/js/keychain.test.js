'use strict';
// The credential store against the real Secret Service: the private gnome-keyring that
// scripts/run-tests.sh starts (tests needing it skip without it, so a run outside that session
// never touches a real keyring), `secret-tool` as the other program sharing the items, and
// child hosts for log lines, a missing bus, a store that hangs, a locked collection and a lost bus.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const os = require('node:os');
const { spawnSync } = require('node:child_process');
const { loadModule, runChild } = require('./support');
const { guardSecrets } = require('./logcheck');

const native = loadModule();
const SERVICE = 'Velquarin 3';
const keyring = process.env.VELQUARIN_TEST_KEYRING === '1'
  ? false
  : 'needs the private keyring started by scripts/run-tests.sh';
const repoRoot = path.resolve(__dirname, '..', '..');
const unique = `${process.pid}-${Date.now()}`;
const account = (name) => `${name}-${unique}@example.com`;

const parse = (text) => JSON.parse(text);

// These passwords must not reach any log file of the run either (checked after the tests).
guardSecrets(['nobus-Secret-81f3', 'Second-Secret-5d1c', 'Hang-Secret-0b7e', 'Locked-Secret-77aa',
  'Bus-Secret-19c4']);

function secretTool(args, input) {
  const result = spawnSync('secret-tool', args, { input: input ?? '', timeout: 10000 });
  if (result.error) throw result.error;
  return result;
}

function storeWithSecretTool(service, name, secret) {
  const result = secretTool(['store', '--label', `${service} test item`, 'service', service,
    'account', name], secret);
  assert.equal(result.status, 0, `secret-tool store failed: ${result.stderr}`);
}

// The secret's bytes as secret-tool reads them, or null when it finds no item.
function lookupWithSecretTool(service, name) {
  const result = secretTool(['lookup', 'service', service, 'account', name]);
  return result.status === 0 ? result.stdout : null;
}

// How many items carry exactly this (service, account); secret-tool lists one "[path]" line each.
function itemCount(service, name) {
  const result = secretTool(['search', '--all', 'service', service, 'account', name]);
  return result.stdout.toString('latin1').split('\n').filter((line) => line.startsWith('[/')).length;
}

// Lines of a child's log output at `level` that contain `text`.
function logLines(output, level, text, source = '') {
  return output.split('\n').filter((line) =>
    line.includes(`[${level}] ${source}`) && line.includes(text));
}

function assertNoSecrets(output, secrets) {
  for (const secret of secrets) {
    for (const form of new Set([secret, JSON.stringify(secret).slice(1, -1)])) {
      assert.ok(!output.includes(form), `a password reached the output: ${JSON.stringify(form)}`);
    }
  }
}

// Runs `source` in a fresh host inside a private session with a keyring of its own, so the
// test may stop, lock or kill it without disturbing the others.
function runInOwnKeyring(source, { timeoutMs = 60000 } = {}) {
  const launcher = ['bash', path.join(repoRoot, 'scripts', 'keyring-session.sh')];
  return runChild(source, { timeoutMs, launcher });
}

const CHILD_PRELUDE = `
  const assert = require('node:assert/strict');
  const path = require('node:path');
  const { execFileSync } = require('node:child_process');
  const native = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinNative.node'));
  const platform = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinPlatform.node'));
  const parse = (text) => JSON.parse(text);
  const gdbus = (...args) => execFileSync('gdbus', ['call', '--session', ...args]).toString();
`;

test('without a session bus every call fails with -25291 and a warning, and nothing throws', async () => {
  const name = account('nobus');
  const secret = 'nobus-Secret-81f3';
  const source = `${CHILD_PRELUDE}
    const results = {
      get: parse(native.getPasswordForAccount(${JSON.stringify(name)})),
      set: parse(native.setPasswordForAccount(${JSON.stringify(secret)}, ${JSON.stringify(name)})),
      remove: native.removePasswordForAccount(${JSON.stringify(name)}),
      removeAll: native.removeAllPasswords(),
    };
    process.stdout.write(JSON.stringify(results));`;
  const { code, signal, stdout, stderr } = await runChild(source, {
    env: { DBUS_SESSION_BUS_ADDRESS: `unix:path=${path.join(os.tmpdir(), `no-bus-${unique}`)}` },
  });
  assert.equal(signal, null);
  assert.equal(code, 0, stderr);
  assert.deepEqual(JSON.parse(stdout), {
    get: { 'ok?': false, error: -25291 },
    set: { 'ok?': false, error: -25291 },
  });
  assert.equal(logLines(stderr, 'warning',
    `Could not read password from keychain. (account=${name}, error=-25291)`).length, 1);
  assert.equal(logLines(stderr, 'warning',
    `Could not find keychain item. (account=${name}, error=-25291)`).length, 1);
  assert.equal(logLines(stderr, 'info', `Removed keychain entry for account ${name}`,
    'VelquarinNative:').length, 1);
  assert.equal(logLines(stderr, 'info', 'Removed all keychain entries for app', 'VelquarinNative:').length, 1);
  assertNoSecrets(stdout + stderr, [secret]);
});

test('storing adds one item, storing again modifies it, and secret-tool sees each value',
  { skip: keyring }, () => {
    const name = account('add-modify');
    assert.deepEqual(parse(native.setPasswordForAccount('first secret', name)), { 'ok?': true });
    assert.equal(lookupWithSecretTool(SERVICE, name).toString(), 'first secret');
    assert.deepEqual(parse(native.setPasswordForAccount('second secret', name, 'ignored')),
      { 'ok?': true });
    assert.equal(itemCount(SERVICE, name), 1);
    assert.equal(lookupWithSecretTool(SERVICE, name).toString(), 'second secret');
    assert.deepEqual(parse(native.getPasswordForAccount(name)),
      { 'ok?': true, password: 'second secret' });
    native.removePasswordForAccount(name);
  });

test('what other programs change, remove or add again is seen at the next read', { skip: keyring }, () => {
  const name = account('others');
  assert.deepEqual(parse(native.setPasswordForAccount('ours', name)), { 'ok?': true });
  assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': true, password: 'ours' });
  storeWithSecretTool(SERVICE, name, 'changed by another program');
  assert.deepEqual(parse(native.getPasswordForAccount(name)),
    { 'ok?': true, password: 'changed by another program' });
  // Their item is modified in place, not duplicated.
  assert.deepEqual(parse(native.setPasswordForAccount('ours again', name)), { 'ok?': true });
  assert.equal(itemCount(SERVICE, name), 1);
  assert.equal(lookupWithSecretTool(SERVICE, name).toString(), 'ours again');
  // A write right after another program removed the item adds a new one.
  assert.equal(secretTool(['clear', 'service', SERVICE, 'account', name]).status, 0);
  assert.deepEqual(parse(native.setPasswordForAccount('after removal', name)), { 'ok?': true });
  assert.equal(lookupWithSecretTool(SERVICE, name).toString(), 'after removal');
  assert.equal(secretTool(['clear', 'service', SERVICE, 'account', name]).status, 0);
  assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': true, password: null });
  storeWithSecretTool(SERVICE, name, 'added again');
  assert.deepEqual(parse(native.getPasswordForAccount(name)),
    { 'ok?': true, password: 'added again' });
  native.removePasswordForAccount(name);
});

test('a secret that is not UTF-8 text reads as a -26275 failure', { skip: keyring }, () => {
  const name = account('binary');
  storeWithSecretTool(SERVICE, name, Buffer.from([0xff, 0xfe, 0x41, 0x00, 0x80]));
  assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': false, error: -26275 });
  native.removePasswordForAccount(name);
});

test('the empty string is stored as an empty secret, not a deletion', { skip: keyring }, () => {
  const name = account('empty');
  assert.deepEqual(parse(native.setPasswordForAccount('not empty yet', name)), { 'ok?': true });
  assert.deepEqual(parse(native.setPasswordForAccount('', name)), { 'ok?': true });
  assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': true, password: '' });
  assert.equal(itemCount(SERVICE, name), 1);
  assert.equal(lookupWithSecretTool(SERVICE, name).length, 0);
  native.removePasswordForAccount(name);
});

test('null or undefined arguments return undefined and leave the stored item untouched',
  { skip: keyring }, () => {
    const name = account('nil');
    assert.deepEqual(parse(native.setPasswordForAccount('kept', name)), { 'ok?': true });
    assert.equal(native.setPasswordForAccount(null, name), undefined);
    assert.equal(native.setPasswordForAccount(undefined, name), undefined);
    assert.equal(native.setPasswordForAccount('replacement', null), undefined);
    assert.equal(native.setPasswordForAccount('replacement', undefined), undefined);
    assert.equal(native.setPasswordForAccount(null, null, null), undefined);
    assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': true, password: 'kept' });
    assert.equal(itemCount(SERVICE, name), 1);
    native.removePasswordForAccount(name);
  });

test('unusual account names and passwords are stored and read back exactly', { skip: keyring }, () => {
  const long = 'Grüße, 密码 😀 "quoted" \'single\' \\ '.repeat(3200);  // about 100 KB of UTF-8
  assert.ok(Buffer.byteLength(long) > 100 * 1024);
  const cases = [
    { name: account('Jürgen Ωmega 😀'), password: 'pässwörd€😀' },
    { name: account(`quote"s 'and' \`ticks\` $HOME; rm -rf /`), password: `"'\`$(echo no)\\n` },
    { name: account('long'), password: long },
    { name: account('L'.repeat(100 * 1024)), password: 'short' },
    // A NUL ends a host string: both are cut there.
    { name: `${account('nul')}\0tail`, password: 'before\0after', storedName: account('nul'),
      stored: 'before' },
  ];
  for (const { name, password, storedName = name, stored = password } of cases) {
    assert.deepEqual(parse(native.setPasswordForAccount(password, name)), { 'ok?': true });
    assert.deepEqual(parse(native.getPasswordForAccount(storedName)), { 'ok?': true, password: stored });
    assert.deepEqual(lookupWithSecretTool(SERVICE, storedName), Buffer.from(stored, 'utf8'));
    native.removePasswordForAccount(storedName);
    assert.equal(lookupWithSecretTool(SERVICE, storedName), null);
  }
});

test('a password above 16 MiB is refused with -25302 and the stored one stays', { skip: keyring }, () => {
  const name = account('too-large');
  assert.deepEqual(parse(native.setPasswordForAccount('kept', name)), { 'ok?': true });
  assert.deepEqual(parse(native.setPasswordForAccount('x'.repeat(16 * 1024 * 1024 + 1), name)),
    { 'ok?': false, error: -25302 });
  assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': true, password: 'kept' });
  assert.deepEqual(parse(native.getPasswordForAccount('y'.repeat(1024 * 1024 + 1))),
    { 'ok?': false, error: -25302 });
  native.removePasswordForAccount(name);
});

test('removePasswordForAccount removes the item and is quiet about a missing one',
  { skip: keyring }, () => {
    const name = account('remove');
    const other = account('remove-other');
    native.setPasswordForAccount('one', name);
    native.setPasswordForAccount('two', other);
    assert.equal(native.removePasswordForAccount(name), undefined);
    assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': true, password: null });
    assert.equal(lookupWithSecretTool(SERVICE, name), null);
    assert.equal(native.removePasswordForAccount(name), undefined);
    assert.deepEqual(parse(native.getPasswordForAccount(other)), { 'ok?': true, password: 'two' });
    native.removePasswordForAccount(other);
  });

test('removeAllPasswords removes exactly the service\'s items and logs each', { skip: keyring },
  async () => {
    native.removeAllPasswords();
    const names = [account('all-1'), account('all-2'), account('all-3')];
    const foreign = account('all-foreign');
    storeWithSecretTool('Another Service', foreign, 'not ours');
    const source = `${CHILD_PRELUDE}
      for (const name of ${JSON.stringify(names)}) {
        assert.deepEqual(parse(native.setPasswordForAccount('secret of ' + name, name)), { 'ok?': true });
      }
      native.removeAllPasswords();`;
    const { code, stderr } = await runChild(source);
    assert.equal(code, 0, stderr);
    const removals = logLines(stderr, 'info', 'Removed keychain entry \'');
    assert.equal(removals.length, 3, stderr);
    for (const name of names) {
      assert.equal(logLines(stderr, 'info', `Removed keychain entry '${name}' (${SERVICE}).`).length, 1);
      assert.equal(lookupWithSecretTool(SERVICE, name), null);
    }
    assert.equal(logLines(stderr, 'info', 'Removed all keychain entries for app').length, 1);
    assert.equal(lookupWithSecretTool('Another Service', foreign).toString(), 'not ours');
    secretTool(['clear', 'service', 'Another Service', 'account', foreign]);
  });

test('log lines name the account and the password\'s character count, never the password',
  { skip: keyring }, async () => {
    const name = account('logged');
    const first = 'Grüße😀';  // 7 characters as the host counts them, 11 bytes
    const second = 'Second-Secret-5d1c';
    const source = `${CHILD_PRELUDE}
      const name = ${JSON.stringify(name)};
      assert.deepEqual(parse(native.setPasswordForAccount(${JSON.stringify(first)}, name)), { 'ok?': true });
      assert.deepEqual(parse(native.getPasswordForAccount(name)), { 'ok?': true, password: ${JSON.stringify(first)} });
      assert.deepEqual(parse(native.setPasswordForAccount(${JSON.stringify(second)}, name)), { 'ok?': true });
      assert.equal(native.setPasswordForAccount(${JSON.stringify(first)}, null), undefined);
      native.removePasswordForAccount(name);`;
    const { code, stdout, stderr } = await runChild(source);
    assert.equal(code, 0, stderr);
    assert.equal(Buffer.byteLength(first), 11);
    assert.equal(logLines(stderr, 'info',
      `Added password to keychain. (account=${name}, passwordLength=7)`).length, 1, stderr);
    assert.equal(logLines(stderr, 'info',
      `Modified password in keychain. (account=${name}, passwordLength=18)`).length, 1, stderr);
    assert.equal(logLines(stderr, 'error',
      'Not setting password as either password or account parameters are nil').length, 1);
    assert.equal(logLines(stderr, 'info', `Removed keychain entry '${name}' (${SERVICE}).`).length, 1);
    assertNoSecrets(stdout + stderr, [first, second]);
  });

test('a store that stops answering fails within the timeout, and recovers when it answers again',
  { skip: keyring }, async () => {
    const secret = 'Hang-Secret-0b7e';
    const source = `${CHILD_PRELUDE}
      const daemon = Number(process.env.VELQUARIN_TEST_KEYRING_PID);
      assert.deepEqual(parse(native.setPasswordForAccount(${JSON.stringify(secret)}, 'hang@example.com')), { 'ok?': true });
      platform.setKeychainTimeout(1);
      process.kill(daemon, 'SIGSTOP');
      const started = Date.now();
      const read = parse(native.getPasswordForAccount('hang@example.com'));
      const write = parse(native.setPasswordForAccount('other', 'hang@example.com'));
      const elapsed = Date.now() - started;
      process.kill(daemon, 'SIGCONT');
      const again = parse(native.getPasswordForAccount('hang@example.com'));
      process.stdout.write(JSON.stringify({ read, write, elapsed, recovered: again.password === ${JSON.stringify(secret)} }));`;
    const { code, stdout, stderr } = await runInOwnKeyring(source);
    assert.equal(code, 0, stderr);
    const result = JSON.parse(stdout);
    assert.deepEqual(result.read, { 'ok?': false, error: -36 });
    assert.deepEqual(result.write, { 'ok?': false, error: -36 });
    // Two calls of one second each, with room for a slow machine; the bus alone waits 25 s.
    assert.ok(result.elapsed < 8000, `the calls took ${result.elapsed} ms`);
    assert.equal(result.recovered, true);
    assert.equal(logLines(stderr, 'warning',
      'Could not read password from keychain. (account=hang@example.com, error=-36)').length, 1);
    assert.equal(logLines(stderr, 'warning',
      'Could not find keychain item. (account=hang@example.com, error=-36)').length, 1);
    assertNoSecrets(stdout + stderr, [secret]);
  });

test('a locked collection fails with -25308 at once and asks nobody', { skip: keyring }, async () => {
  const source = `${CHILD_PRELUDE}
    assert.deepEqual(parse(native.setPasswordForAccount('Locked-Secret-77aa', 'stored@example.com')), { 'ok?': true });
    const login = /objectpath '([^']+)'/.exec(gdbus('--dest', 'org.freedesktop.secrets',
      '--object-path', '/org/freedesktop/secrets', '--method', 'org.freedesktop.Secret.Service.ReadAlias', 'default'))[1];
    gdbus('--dest', 'org.freedesktop.secrets', '--object-path', '/org/freedesktop/secrets',
      '--method', 'org.freedesktop.Secret.Service.Lock', "['" + login + "']");
    platform.setKeychainTimeout(20);
    const started = Date.now();
    const results = {
      read: parse(native.getPasswordForAccount('stored@example.com')),
      modify: parse(native.setPasswordForAccount('Locked-Secret-2', 'stored@example.com')),
      add: parse(native.setPasswordForAccount('Locked-Secret-3', 'new@example.com')),
    };
    native.removeAllPasswords();
    results.elapsed = Date.now() - started;
    process.stdout.write(JSON.stringify(results));`;
  const { code, stdout, stderr } = await runInOwnKeyring(source);
  assert.equal(code, 0, stderr);
  const results = JSON.parse(stdout);
  assert.deepEqual(results.read, { 'ok?': false, error: -25308 });
  assert.deepEqual(results.modify, { 'ok?': false, error: -25308 });
  assert.deepEqual(results.add, { 'ok?': false, error: -25308 });
  // No unlock prompt was waited for: far below the 20 s the calls were allowed.
  assert.ok(results.elapsed < 10000, `the calls took ${results.elapsed} ms`);
  assert.equal(logLines(stderr, 'warning',
    'Could not add password to keychain. (account=new@example.com, passwordLength=15, error=-25308)').length, 1);
  assert.equal(logLines(stderr, 'info', 'Removed keychain entry \'').length, 0);
  assertNoSecrets(stdout + stderr, ['Locked-Secret-77aa', 'Locked-Secret-2', 'Locked-Secret-3']);
});

test('losing the session bus fails later calls with -25291 and leaves the host running',
  { skip: keyring }, async () => {
    const source = `${CHILD_PRELUDE}
      assert.deepEqual(parse(native.setPasswordForAccount('Bus-Secret-19c4', 'bus@example.com')), { 'ok?': true });
      const bus = Number(/uint32 (\\d+)/.exec(gdbus('--dest', 'org.freedesktop.DBus', '--object-path',
        '/org/freedesktop/DBus', '--method', 'org.freedesktop.DBus.GetConnectionUnixProcessID',
        'org.freedesktop.DBus'))[1]);
      process.kill(bus, 'SIGKILL');
      setTimeout(() => {
        const read = parse(native.getPasswordForAccount('bus@example.com'));
        const write = parse(native.setPasswordForAccount('Bus-Secret-2', 'bus@example.com'));
        process.stdout.write(JSON.stringify({ read, write }));
      }, 300);`;
    const { code, signal, stdout, stderr } = await runInOwnKeyring(source);
    assert.equal(signal, null);
    assert.equal(code, 0, stderr);
    assert.deepEqual(JSON.parse(stdout), {
      read: { 'ok?': false, error: -25291 },
      write: { 'ok?': false, error: -25291 },
    });
    assertNoSecrets(stdout + stderr, ['Bus-Secret-19c4', 'Bus-Secret-2']);
  });
