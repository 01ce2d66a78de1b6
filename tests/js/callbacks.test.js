'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { loadProbe, runChild, addonPath } = require('./support');

const probe = loadProbe();

test('an event before any setter calls nothing', () => {
  assert.equal(probe.fireNow('early'), false);
});

test('a replaced slot calls only the newest function, with a null receiver', () => {
  const calls = [];
  probe.setCallback((text) => calls.push(['first', text]));
  probe.setCallback(function (text) {
    'use strict';
    calls.push(['second', text, this]);
    return 'answer';
  });
  assert.equal(probe.fireNow('event'), 'answer');
  assert.deepEqual(calls, [['second', 'event', null]]);
});

test('a one-shot slot is empty while its function runs, so it can start the next operation', () => {
  const seen = [];
  probe.startOneShot((text) => {
    seen.push([text, probe.oneShotPending()]);
    probe.startOneShot((again) => seen.push([again, probe.oneShotPending()]));
  });
  assert.equal(probe.completeOneShot('first'), true);
  assert.equal(probe.oneShotPending(), true);
  assert.equal(probe.completeOneShot('second'), true);
  assert.equal(probe.completeOneShot('third'), false);
  assert.deepEqual(seen, [['first', false], ['second', false]]);
});

// In a child process, so that nothing else in the loop could wake pending promise jobs.
test('a callback from the loop runs its promise jobs and ticks at once', async () => {
  const { code, stdout, stderr } = await runChild(`
    const probe = require(${JSON.stringify(addonPath('ZqTestProbe'))});
    const keepAlive = setTimeout(() => { console.log('stalled'); process.exit(3); }, 3000);
    let firedAt = 0;
    probe.setCallback(async (text) => {
      firedAt = Date.now();
      await new Promise((resolve) => process.nextTick(resolve));
      await Promise.resolve();
      console.log(JSON.stringify({ text, ms: Date.now() - firedAt }));
      clearTimeout(keepAlive);
    });
    probe.fireLater(0.05, 'loop event');
  `);
  assert.equal(code, 0, stderr);
  const result = JSON.parse(stdout.trim());
  assert.equal(result.text, 'loop event');
  assert.ok(result.ms < 500, `promise jobs waited ${result.ms} ms`);
});

test('a throwing callback reaches uncaughtException and the module keeps working', async () => {
  const { code, stdout, stderr } = await runChild(`
    const probe = require(${JSON.stringify(addonPath('ZqTestProbe'))});
    const seen = [];
    process.on('uncaughtException', (error) => {
      seen.push('uncaught:' + error.message);
      probe.fireLater(0.01, 'again');
    });
    probe.setCallback((text) => {
      seen.push(text);
      if (text === 'boom') throw new Error('host failure');
    });
    probe.fireLater(0.01, 'boom');  // the handler above fires 'again' once it has seen it
    setTimeout(() => console.log(JSON.stringify(seen)), 500);
  `);
  assert.equal(code, 0, stderr);
  assert.deepEqual(JSON.parse(stdout.trim()), ['boom', 'uncaught:host failure', 'again']);
});
