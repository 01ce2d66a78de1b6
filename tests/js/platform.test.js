'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { loadPlatform, loadProbe, buildDir } = require('./support');

const platform = loadPlatform();
const probe = loadProbe();

test('observers see posts by name, with their user info, until removed', () => {
  const seen = [];
  const id = platform.observe('ZqTestNotification', (name, userInfo) => seen.push([name, userInfo]));
  const all = platform.observe(null, (name) => seen.push(['any', name]));
  const ids = [2n ** 63n - 1n, -(2n ** 63n), 2n ** 64n - 1n, 2 ** 53 - 1, -(2 ** 53 - 1), 2 ** 60];
  platform.post('ZqTestNotification', { 'unique-id': 'a-1', count: 2, nested: [true, null], ids });
  platform.post('ZqOther');
  platform.removeObserver(id);
  platform.removeObserver(all);
  platform.post('ZqTestNotification', {});
  assert.deepEqual(seen, [
    ['ZqTestNotification', { 'unique-id': 'a-1', count: 2, nested: [true, null], ids }],
    ['any', 'ZqTestNotification'],
    ['any', 'ZqOther'],
  ]);
});

test('the distributed centre is separate from the default centre', () => {
  const seen = [];
  const id = platform.observe('ZqShared', (name) => seen.push(name), { distributed: true });
  platform.post('ZqShared');
  platform.post('ZqShared', {}, { distributed: true });
  platform.removeObserver(id);
  assert.equal(seen.length, 1);
});

test('closing a window tells observers which window is going', () => {
  const handle = platform.createWindow('AtomNSWindow', 'Inbox');
  const closing = [];
  const id = platform.observe('WindowWillCloseNotification', (name, info, object) => closing.push(object));
  assert.ok(platform.windows().some((w) => w.handle.equals(handle) && w.title === 'Inbox'));
  platform.closeWindow(handle);
  platform.removeObserver(id);
  assert.equal(closing.length, 1);
  assert.deepEqual(closing[0], handle);
  assert.ok(!platform.windows().some((w) => w.handle.equals(handle)));
});

test('advancing the clock fires due timers at once and leaves later ones', () => {
  const fired = [];
  probe.setCallback((text) => fired.push(text));
  const before = platform.now();
  probe.fireLater(3600, 'in an hour');
  probe.fireLater(7200, 'in two hours');
  platform.advanceClock(3600);
  assert.deepEqual(fired, ['in an hour']);
  assert.ok(platform.now() - before >= 3600);
  platform.advanceClock(3600);
  assert.deepEqual(fired, ['in an hour', 'in two hours']);
  assert.throws(() => platform.advanceClock(-1), TypeError);
});

test('the sample bundle is the default main bundle and the host can point at its own', () => {
  assert.equal(platform.mainBundlePath(), path.join(buildDir, 'Velquarin.bundle'));
});
