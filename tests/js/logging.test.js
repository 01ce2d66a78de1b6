'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { once } = require('node:events');
const { spawn } = require('node:child_process');
const { runChild, buildDir } = require('./support');
const { assertNoSecretsInLogs, logFiles } = require('./logcheck');

// Each child gets HOME and XDG folders of its own, so its log file and its clock moves
// touch no other test's files.
function privateFolders() {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'zqlog-'));
  return {
    root,
    logs: path.join(root, 'config', 'Velquarin', 'Logs'),
    env: { HOME: root, XDG_CONFIG_HOME: path.join(root, 'config'), XDG_CACHE_HOME: path.join(root, 'cache') },
  };
}

const prelude = `
  const path = require('node:path');
  const fs = require('node:fs');
  const native = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinNative.node'));
  const platform = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinPlatform.node'));
  const report = (value) => process.stdout.write(JSON.stringify(value));
`;

async function child(source, folders) {
  const result = await runChild(prelude + source, { env: folders.env });
  assert.equal(result.code, 0, result.stderr);
  return { ...result, value: result.stdout ? JSON.parse(result.stdout) : undefined };
}

const lineShape = /^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(error|warning|info|debug|verbose)\] (\S+):(\d+) (\S+) \[(\d+) ([^\]]*)\] (.*)$/;

test('start-up writes its first and last line into the log folder of the application', async () => {
  const folders = privateFolders();
  const { value } = await child(`report(platform.logFolder());`, folders);
  assert.equal(value, folders.logs);
  const files = logFiles(folders.root);
  assert.equal(files.length, 1);
  assert.match(path.basename(files[0]), /^Velquarin-\d{4}-\d\d-\d\d--\d\d-\d\d-\d\d-\d{3}\.log$/);
  const lines = fs.readFileSync(files[0], 'utf8').trimEnd().split('\n');
  const first = lines[0].match(lineShape);
  assert.ok(first, lines[0]);
  assert.deepEqual([first[1], first[2], first[4], first[7]],
    ['info', 'Utilities/ZqLog', 'ZqSetupLogging', 'Native Module logging initialized!']);
  assert.ok(lines.some((line) => /\[debug\] .*Not offering to move into an Applications folder/.test(line)));
  // The session bus answers after start-up; its lines may come later.
  const last = lines.filter((line) => !line.includes('bus/ApplicationBus')).at(-1).match(lineShape);
  assert.deepEqual([last[1], last[2], last[7]],
    ['info', 'VelquarinNative', '*** Velquarin Native Module Started ***']);
  assert.equal((fs.statSync(files[0]).mode & 0o777), 0o600);
});

test('an error line is in the file when the call returns, after the lines queued before it', async () => {
  const folders = privateFolders();
  const { value } = await child(`
    for (let i = 0; i < 300; ++i) platform.log('info', 'Keychain/ZqKeyChain', 'fill', 1, 'queued ' + i);
    platform.log('error', 'Keychain/ZqKeyChain', 'removePassword', 77, 'it failed');
    const text = fs.readFileSync(platform.logFile(), 'utf8');
    report({ error: text.includes('[error] Keychain/ZqKeyChain:77 removePassword ['),
             queued: text.includes('queued 299\\n') });
  `, folders);
  assert.deepEqual(value, { error: true, queued: true });
});

test('the file rolls every 24 hours of the platform clock and one older file is kept', async () => {
  const folders = privateFolders();
  const { value } = await child(`
    const day = (text) => platform.log('error', 'Utilities/ZqLog', 'test', 1, text);
    day('day one');
    platform.advanceClock(86399);
    day('day one, later');
    const before = fs.readdirSync(platform.logFolder()).length;
    platform.advanceClock(1);
    day('day two');
    platform.advanceClock(86400);
    day('day three');
    report({ before, current: platform.logFile() });
  `, folders);
  assert.equal(value.before, 1);
  const files = logFiles(folders.root);
  assert.equal(files.length, 2);
  assert.equal(files[1], value.current);
  const older = fs.readFileSync(files[0], 'utf8');
  const newer = fs.readFileSync(files[1], 'utf8');
  assert.ok(older.includes('day two') && !older.includes('day one'));
  assert.ok(newer.includes('day three') && !newer.includes('day two'));
});

test('a log file deleted while open is created again; the console never stops', async () => {
  const folders = privateFolders();
  const { value, stderr } = await child(`
    platform.log('error', 'Utilities/ZqLog', 'test', 1, 'before the deletion');
    fs.rmSync(platform.logFolder(), { recursive: true });
    platform.log('error', 'Utilities/ZqLog', 'test', 2, 'after the deletion');
    report(fs.readFileSync(platform.logFile(), 'utf8'));
  `, folders);
  assert.ok(value.includes('after the deletion'));
  assert.ok(!value.includes('before the deletion'));
  assert.ok(stderr.includes('before the deletion') && stderr.includes('after the deletion'));
});

test('control characters in a message cannot break a line or forge another', async () => {
  const folders = privateFolders();
  await child(`
    platform.log('warning', 'Keychain/ZqKeyChain', 'test', 5,
      'name x\\u0000y\\n2030-01-01 00:00:00.000 [error] Forged:1 f [1 x] forged');
  `, folders);
  const text = fs.readFileSync(logFiles(folders.root)[0], 'utf8');
  const lines = text.trimEnd().split('\n');
  assert.ok(lines.every((line) => lineShape.test(line)));
  assert.equal(lines.filter((line) => line.includes('Forged')).length, 1);
  assert.ok(text.includes('name x\\0y\\n2030-01-01'));
});

test('the release string comes from the bundle once per process', async () => {
  const folders = privateFolders();
  const bundle = path.join(folders.root, 'Other.bundle');
  fs.mkdirSync(bundle);
  fs.writeFileSync(path.join(bundle, 'Info.plist'), `<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleShortVersionString</key><string>4.0</string>
<key>CFBundleVersion</key><string>4000</string>
</dict></plist>`);
  const { value } = await child(`
    const first = native.getReleaseString();
    platform.setMainBundlePath(${JSON.stringify(bundle)});
    report([first, native.getReleaseString()]);
  `, folders);
  assert.deepEqual(value, ['3.1 (3100)', '3.1 (3100)']);
  const other = await child(`
    platform.setMainBundlePath(${JSON.stringify(bundle)});
    report(native.getReleaseString());
  `, folders);
  assert.equal(other.value, '4.0 (4000)');
});

test('the log check finds a secret in any form and names no secret itself', async () => {
  const folders = privateFolders();
  await child(`
    platform.log('info', 'Keychain/ZqKeyChain', 'test', 9, 'password "p\\\\a55w0rd"');
    platform.log('info', 'Keychain/ZqKeyChain', 'test', 9, 'token ' + encodeURIComponent('tök en/1'));
  `, folders);
  assert.equal(assertNoSecretsInLogs(['unrelated', 'hunter22'], { root: folders.root }), 1);
  for (const secret of ['p\\a55w0rd', 'tök en/1']) {
    assert.throws(() => assertNoSecretsInLogs(['unrelated', secret], { root: folders.root }),
      (error) => /secret #2 \(\d+ characters\) is in .*line \d+/.test(error.message) &&
        !error.message.includes(secret));
  }
  assert.throws(() => assertNoSecretsInLogs(['abc'], { root: folders.root }), /at least 4/);
});

test('folders that cannot be made leave the module loaded, logging to the console only', async () => {
  const folders = privateFolders();
  const blocker = path.join(folders.root, 'a-file');
  fs.writeFileSync(blocker, '');
  const env = { ...folders.env, XDG_CONFIG_HOME: path.join(blocker, 'config'), XDG_CACHE_HOME: path.join(blocker, 'cache') };
  const { value, stderr } = await child(`
    native.setupCrashReporter();
    platform.flushLogs();
    report([Object.keys(native).length, platform.logFolder()]);
  `, { env });
  assert.deepEqual(value, [114, null]);
  assert.equal(stderr.split('No folder for the log file').length, 2, stderr);
  assert.match(stderr, /Unable to start crash handler!.*caches/);
  assert.match(stderr, /\*\*\* Velquarin Native Module Started \*\*\*/);
});

test('a standard error nobody reads drops console lines, then says how many', async () => {
  const folders = privateFolders();
  const source = prelude + `
    for (let i = 0; i < 20000; ++i) platform.log('info', 'VelquarinNative', 'flood', 1, 'flood ' + i + ' '.repeat(200));
    platform.log('error', 'VelquarinNative', 'flood', 2, 'the last flood line');
    report('flooded');
    let n = 0;
    const timer = setInterval(() => platform.log('info', 'VelquarinNative', 'after', 3, 'after ' + n++), 20);
    process.stdin.once('data', () => { clearInterval(timer); process.exit(0); });
  `;
  const child = spawn(process.execPath, ['-e', source], {
    env: { ...process.env, VELQUARIN_BUILD_DIR: buildDir, ...folders.env },
    stdio: ['pipe', 'pipe', 'pipe'],
  });
  child.stderr.pause();
  const killer = setTimeout(() => child.kill('SIGKILL'), 15000);
  const first = await Promise.race([
    once(child.stdout, 'data').then(([data]) => String(data)),
    once(child, 'exit').then(() => 'ended before logging all lines'),
  ]);
  assert.equal(first, '"flooded"');
  let stderr = '';
  child.stderr.on('data', (chunk) => {
    stderr += chunk;
    if (/after \d/.test(stderr)) child.stdin.end('stop');
  });
  child.stderr.resume();
  const [code] = await once(child, 'exit');
  clearTimeout(killer);
  assert.equal(code, 0);
  const note = stderr.match(/(\d+) lines dropped while standard error took nothing/);
  assert.ok(note && Number(note[1]) > 0, stderr.slice(-2000));
  assert.ok(note.index < stderr.search(/after \d/));
  const file = fs.readFileSync(logFiles(folders.root)[0], 'utf8');
  assert.ok(file.includes('flood 19999 ') && file.includes('the last flood line'));
});
