'use strict';
// Self-check of the sanitizer run (scripts/sanitize.sh): a fault in the module's own code must
// be reported and must fail the process, whatever the leak suppressions hide of the engine's.
// In an ordinary build there is nothing to check and the tests skip.
const test = require('node:test');
const assert = require('node:assert/strict');
const { addonPath, loadProbe, runChild } = require('./support');

const sanitized = loadProbe().addressSanitized;
const skip = sanitized ? false : 'not a sanitizer build (scripts/sanitize.sh runs these)';

// The child reports to its stderr rather than to the run's report folder, since these faults are
// meant to happen; later options override earlier ones.
const toStderr = (options) => `${options || ''}:log_path=stderr`;
const runProbe = (source) => runChild(`
  const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
  const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
  const probe = require(${JSON.stringify(addonPath('ZqTestProbe'))});
  ${source}
`, {
  timeoutMs: 60000,
  env: { ASAN_OPTIONS: toStderr(process.env.ASAN_OPTIONS), UBSAN_OPTIONS: toStderr(process.env.UBSAN_OPTIONS) },
});
const failed = (result) => result.code !== 0 || result.signal !== null;

test('a process that loads and uses the add-ons exits clean: the engine\'s own leaks are suppressed', { skip }, async () => {
  const result = await runProbe(`
    native.setupCrashReporter();
    native.getPasswordForAccount('nobody');
    platform.drainMainQueue();
    probe.roundTrip('text');
    probe.convertToString({ toString: () => 'converted' });
  `);
  assert.equal(failed(result), false, result.stderr);
  assert.doesNotMatch(result.stderr, /Sanitizer/);
});

test('a block the module leaks is reported with its stack and fails the process', { skip }, async () => {
  const result = await runProbe(`probe.leakForSanitizerCheck(4099); global.gc?.();`);
  assert.ok(failed(result), 'the leaking process exited successfully');
  assert.match(result.stderr, /LeakSanitizer: detected memory leaks/);
  assert.match(result.stderr, /Direct leak of 4099 byte\(s\) in 1 object\(s\)/);
  assert.match(result.stderr, /leakBlock/);
});

test('a read past a heap block and a signed overflow each stop the process with a report', { skip }, async () => {
  const overflow = await runProbe(`probe.overflowForSanitizerCheck(24); console.log('survived');`);
  assert.ok(failed(overflow));
  assert.doesNotMatch(overflow.stdout, /survived/);
  assert.match(overflow.stderr, /AddressSanitizer: heap-buffer-overflow/);
  assert.match(overflow.stderr, /0 bytes (after|to the right of) 24-byte region/);

  const signed = await runProbe(`probe.overflowIntForSanitizerCheck(1); console.log('survived');`);
  assert.ok(failed(signed));
  assert.doesNotMatch(signed.stdout, /survived/);
  assert.match(signed.stderr, /signed integer overflow/);
});
