'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { runChild } = require('./support');

// Crash-reporter tests run in children with caches and logs of their own: a crash handler
// in the test process itself, or pending events shared with other test files, would mix.
function privateFolders() {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'zqcrash-'));
  return {
    pending: path.join(root, 'cache', 'io.velquarin.desktop', 'PendingCrashEvents'),
    env: { HOME: root, XDG_CONFIG_HOME: path.join(root, 'config'), XDG_CACHE_HOME: path.join(root, 'cache') },
  };
}

const prelude = `
  const path = require('node:path');
  const fs = require('node:fs');
  const native = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinNative.node'));
  const platform = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinPlatform.node'));
  const report = (value) => process.stdout.write(JSON.stringify(value));
  // Everything logged so far has been handed on, and the main queue has run.
  const settle = () => { platform.flushLogs(); platform.drainMainQueue(); };
`;

const run = (source, folders) => runChild(prelude + source, { env: folders.env });
const pendingEvents = (folders) =>
  (fs.existsSync(folders.pending) ? fs.readdirSync(folders.pending) : []).filter((name) => name.endsWith('.event'));

test('from setupCrashReporter on, each log line is one breadcrumb per breadcrumb logger', async () => {
  const folders = privateFolders();
  const result = await run(`
    const seen = [];
    platform.observe('ZqSentryBreadcrumbNotification', (name, info, object) => seen.push({ ...info, object }));
    platform.log('warning', 'Keychain/ZqKeyChain', 'early', 1, 'before the reporter');
    settle();
    native.setupCrashReporter();
    platform.log('warning', 'Keychain/ZqKeyChain', 'addPassword', 60, 'Could not add the item');
    platform.log('debug', 'Utilities/ZqJSON', 'parse', 7, 'a debug line');
    platform.log('verbose', 'Utilities/ZqJSON', 'parse', 8, 'a verbose line');
    platform.log('error', 'Utilities/ZqJSON', 'parse', 9, 'an error line');
    settle();
    native.setupCrashReporter();
    platform.log('info', 'Utilities/ZqJSON', 'parse', 10, 'twice');
    settle();
    report({ seen, thread: fs.readFileSync('/proc/self/comm', 'utf8').trim() });
  `, folders);
  assert.equal(result.code, 0, result.stderr);
  const { seen, thread } = JSON.parse(result.stdout);
  const messages = seen.map((crumb) => crumb.message);
  assert.ok(!messages.some((message) => message.includes('before the reporter')));
  const warning = seen.filter((crumb) => crumb.message.includes('Could not add'));
  assert.deepEqual(warning, [{
    level: 'warning', message: `ZqKeyChain:60 [${thread}] Could not add the item`, object: null,
  }]);
  assert.equal(seen.find((crumb) => crumb.message.endsWith('a debug line')).level, 'debug');
  assert.equal(seen.find((crumb) => crumb.message.endsWith('a verbose line')).level, 'debug');
  assert.equal(seen.find((crumb) => crumb.message.endsWith('an error line')).level, 'error');
  assert.ok(messages.some((message) => /^ZqCrashReporter:\d+ \[.*\] Crash handler installed\.$/.test(message)));
  assert.deepEqual(seen.filter((crumb) => crumb.message.endsWith('] twice')).map((crumb) => crumb.level),
    ['info', 'info']);
});

test('lines logged as the host exits reach no observer and do not abort the process', async () => {
  const folders = privateFolders();
  const result = await run(`
    platform.observe('ZqSentryBreadcrumbNotification', () => {});
    native.setupCrashReporter();
    process.on('exit', () => {
      platform.log('info', 'Utilities/ZqJSON', 'parse', 10, 'at exit');
      // Long enough for the breadcrumb to be queued before the environment goes.
      const until = Date.now() + 100;
      while (Date.now() < until);
    });
  `, folders);
  assert.equal(result.code, 0, result.stderr);
  assert.doesNotMatch(result.stderr, /FATAL ERROR/);
});

test('a crash is recorded, then handed over as an event by the next setupCrashReporter', async () => {
  const folders = privateFolders();

  const before = await run(`native.testCrash(); report('alive');`, folders);
  assert.equal(before.code, 0, before.stderr);
  assert.equal(JSON.parse(before.stdout), 'alive');
  assert.deepEqual(pendingEvents(folders), []);

  const crashed = await run(`native.setupCrashReporter(); native.testCrash(); report('alive');`, folders);
  assert.equal(crashed.signal, 'SIGSEGV');
  assert.equal(crashed.stdout, '');
  assert.equal(pendingEvents(folders).length, 1);

  const next = await run(`
    const events = [];
    platform.observe('ZqSentryEventNotification', (name, info, object) => events.push({ info, object }));
    native.setupCrashReporter();
    settle();
    report(events);
  `, folders);
  assert.equal(next.code, 0, next.stderr);
  const events = JSON.parse(next.stdout);
  assert.equal(events.length, 1);
  assert.equal(events[0].object, null);
  const { event } = events[0].info;
  assert.equal(event.release, '3.1 (3100)');
  assert.equal(event.level, 'fatal');
  assert.match(event.event_id, /^[0-9a-f]{32}$/);
  const exception = event.exception.values[0];
  assert.equal(exception.type, 'SIGSEGV');
  assert.deepEqual(exception.mechanism.meta.signal, { number: 11, code: 1, name: 'SIGSEGV' });
  assert.ok(exception.stacktrace.frames.length > 1);
  assert.equal(event.threads.values[0].crashed, true);
  assert.deepEqual(pendingEvents(folders), []);

  const again = await run(`
    let count = 0;
    platform.observe('ZqSentryEventNotification', () => ++count);
    native.setupCrashReporter();
    settle();
    report(count);
  `, folders);
  assert.equal(JSON.parse(again.stdout), 0);
});

test("the host engine's WebAssembly traps are no crash and still reach the script", async () => {
  const folders = privateFolders();
  // (module (memory 1) (func (export "load") (param i32) (result i32) local.get 0 i32.load))
  const wasm = [0, 97, 115, 109, 1, 0, 0, 0, 1, 6, 1, 96, 1, 127, 1, 127, 3, 2, 1, 0, 5, 3, 1, 0, 1,
    7, 8, 1, 4, 108, 111, 97, 100, 0, 0, 10, 9, 1, 7, 0, 32, 0, 40, 2, 0, 11];
  const result = await run(`
    native.setupCrashReporter();
    const { instance } = await WebAssembly.instantiate(new Uint8Array(${JSON.stringify(wasm)}));
    const outcomes = [];
    for (const address of [16, 0x7ffffff0, 65536]) {
      try { outcomes.push(instance.exports.load(address)); } catch (error) { outcomes.push(error.constructor.name); }
    }
    report(outcomes);
  `.replace(/^/, '(async () => {').concat('})();'), folders);
  assert.equal(result.code, 0, result.stderr);
  assert.deepEqual(JSON.parse(result.stdout), [0, 'RuntimeError', 'RuntimeError']);
  assert.deepEqual(pendingEvents(folders), []);
});

test('a fatal signal the host would die of kills the child after recording it', async () => {
  const folders = privateFolders();
  const result = await run(`native.setupCrashReporter(); process.kill(process.pid, 'SIGBUS');`, folders);
  assert.equal(result.signal, 'SIGBUS');
  assert.equal(pendingEvents(folders).length, 1);
  const text = fs.readFileSync(path.join(folders.pending, pendingEvents(folders)[0]), 'utf8');
  assert.match(text, /^signal 7$/m);
  assert.match(text, /^release 3\.1 \(3100\)$/m);
});
