'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { loadProbe, loadPlatform } = require('./support');

const probe = loadProbe();
const platform = loadPlatform();

test('host values convert to native strings as JavaScript converts them', () => {
  assert.equal(probe.convertToString(null), null);
  assert.equal(probe.convertToString(undefined), null);
  assert.equal(probe.convertToString(3), '3');
  assert.equal(probe.convertToString(true), 'true');
  assert.equal(probe.convertToString({ toString: () => 'custom' }), 'custom');
  assert.equal(probe.convertToString('grüße 📬'), 'grüße 📬');
});

test('a value whose string conversion throws gives the failure text, not an exception', () => {
  const hostile = { toString() { throw new Error('no'); } };
  assert.equal(probe.convertToString(hostile), '<string conversion failed>');
  assert.equal(probe.convertToString(Symbol('s')), '<string conversion failed>');
  // The failed conversion leaves nothing pending: the next call works.
  assert.equal(probe.convertToString('after'), 'after');
});

test('strings end at their first NUL in both directions', () => {
  assert.equal(probe.convertToString('before\0after'), 'before');
  assert.equal(probe.roundTrip('a\0b'), 'a');
});

test('window handles are looked up, never followed', () => {
  const handle = platform.createWindow('AtomNSWindow');
  assert.equal(handle.length, 8);
  const fresh = probe.windowHandle(handle);
  assert.ok(Buffer.isBuffer(fresh));
  assert.equal(fresh.length, 8);
  assert.notEqual(fresh, handle);
  assert.deepEqual(fresh, handle);
  // A longer buffer is read by its first 8 bytes.
  assert.deepEqual(probe.windowHandle(Buffer.concat([handle, Buffer.from([1, 2])])), handle);
  // Short, foreign, non-buffer and stale handles designate no window.
  assert.equal(probe.windowHandle(handle.subarray(0, 7)), null);
  assert.equal(probe.windowHandle(Buffer.alloc(8, 0x41)), null);
  assert.equal(probe.windowHandle('not a buffer'), null);
  assert.equal(probe.windowHandle({}), null);
  assert.equal(platform.closeWindow(handle), true);
  assert.equal(probe.windowHandle(handle), null);
  assert.equal(platform.closeWindow(handle), false);
});

test('data conversion copies buffers and refuses other values', () => {
  assert.equal(probe.dataLength(Buffer.from('hello')), 5);
  assert.equal(probe.dataLength(new Uint8Array(0)), 0);
  assert.equal(probe.dataLength(Buffer.from('abcdef').subarray(2, 4)), 2);
  assert.equal(probe.dataLength('hello'), null);
  assert.equal(probe.dataLength({ length: 5 }), null);
});
