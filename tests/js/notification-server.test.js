'use strict';
// Notifications through a real freedesktop notification server (dunst on a virtual display,
// started by scripts/test-services/20-notifications.sh) and without any server at all.
const test = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { loadModule, loadPlatform, runChild } = require('./support');

const haveServer = process.env.VELQUARIN_TEST_NOTIFICATION_SERVER === '1';
const skip = haveServer ? false : 'no notification server on the test bus (dunst under Xvfb)';

const dunstctl = (...args) => execFileSync('dunstctl', args, { encoding: 'utf8' }).trim();
const displayed = () => Number(dunstctl('count', 'displayed'));
// Asked on the bus, not through dunstctl, which would have the bus start a server of its own.
const serverOnBus = () =>
  execFileSync('gdbus', ['call', '--session', '--dest', 'org.freedesktop.DBus',
    '--object-path', '/org/freedesktop/DBus', '--method', 'org.freedesktop.DBus.NameHasOwner',
    'org.freedesktop.Notifications'], { encoding: 'utf8' }).includes('true');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function until(what, condition, timeoutMs = 5000) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    if (condition()) return;
    await sleep(25);
  }
  assert.fail(`timed out waiting for ${what}`);
}

test('the real server shows, replaces, closes and reports clicks and dismissals', { skip }, async () => {
  const native = loadModule();
  const platform = loadPlatform();
  const calls = [];
  native.setNotificationCallbackFunction((...args) => calls.push(args));
  const deliver = (id, title, body, action) =>
    native.deliverUserNotification(id, title, 'Sub', body, 'New Mail', false, null, action, 'Open', null);
  try {
    dunstctl('close-all');
    await until('an empty screen', () => displayed() === 0);

    deliver('srv-1', 'First', 'a <b> & c', true);
    deliver('srv-1', 'Second', 'a <b> & c', true); // same identifier: replaced, not added
    await sleep(200);
    await until('one notification on the screen', () => displayed() === 1);
    dunstctl('action', '0'); // the default action: a click on the body
    await until('the click', () => calls.length >= 1);
    assert.deepEqual(calls, [['srv-1', 'contents-clicked', '']]);

    deliver('srv-2', 'Dismiss me', 'body', false);
    await until('the second notification', () => displayed() >= 1);
    dunstctl('close-all');
    await until('the dismissal', () => calls.length >= 2);
    await sleep(200); // the click's own close is not a dismissal
    assert.deepEqual(calls.slice(1), [['srv-2', 'dismissed', '']]);
    assert.deepEqual(platform.deliveredUserNotifications().map((n) => n.identifier), ['srv-1']);

    // What the server received: summary, body with the markup escaped, in its history.
    const history = JSON.parse(dunstctl('history')).data[0];
    const second = history.find((n) => n.summary.data === 'Second');
    assert.ok(second, JSON.stringify(history));
    assert.equal(second.body.data, 'Sub\na &lt;b&gt; &amp; c');

    deliver('srv-3', 'Removed', 'body', false);
    await until('the third notification', () => displayed() === 1);
    native.removeUserNotification('srv-3');
    await until('the removal to close it', () => displayed() === 0);

    deliver('srv-4', 'All 4', 'body', false);
    deliver('srv-5', 'All 5', 'body', false);
    await until('two notifications', () => displayed() === 2);
    native.removeUserNotifications();
    await until('removing all to close them', () => displayed() === 0);

    // Someone else's notification closed by the user is not ours to report.
    execFileSync('gdbus', ['call', '--session', '--dest', 'org.freedesktop.Notifications',
      '--object-path', '/org/freedesktop/Notifications',
      '--method', 'org.freedesktop.Notifications.Notify', 'other', '0', '', 'Other', 'x', '[]', '{}', '0']);
    await until('the other notification', () => displayed() === 1);
    dunstctl('close-all');
    await sleep(300);
    assert.equal(calls.length, 2);
  } finally {
    native.removeUserNotifications();
    native.setNotificationCallbackFunction(() => {});
  }
});

test('a restarted server keeps showing notifications and reporting clicks', { skip }, async () => {
  const native = loadModule();
  const calls = [];
  native.setNotificationCallbackFunction((...args) => calls.push(args));
  const pidfile = process.env.VELQUARIN_TEST_NOTIFICATION_SERVER_PIDFILE;
  const old = Number(fs.readFileSync(pidfile, 'utf8'));
  process.kill(old, 'SIGTERM');
  await until('the old server to leave the bus', () => !serverOnBus());
  const dunst = spawn('dunst', ['-config', process.env.VELQUARIN_TEST_DUNST_CONFIG], {
    env: { ...process.env, DISPLAY: process.env.VELQUARIN_TEST_NOTIFICATION_DISPLAY },
    stdio: 'ignore',
  });
  fs.writeFileSync(pidfile, String(dunst.pid)); // the session's clean-up stops this one now
  dunst.unref();
  try {
    await until('the new server', serverOnBus);
    await sleep(200);
    native.deliverUserNotification('after-restart', 'Hi', null, 'b', null, false, null, false, null, null);
    await until('the notification on the new server', () => displayed() === 1);
    dunstctl('action', '0');
    await until('the click', () => calls.length === 1);
    assert.deepEqual(calls, [['after-restart', 'contents-clicked', '']]);
  } finally {
    native.removeUserNotifications();
    native.setNotificationCallbackFunction(() => {});
  }
});

test('without a bus the centre still delivers, schedules and reports, and says so once', async () => {
  const result = await runChild(
    `const { loadModule, loadPlatform } = require(${JSON.stringify(path.join(__dirname, 'support'))});
     const native = loadModule();
     const platform = loadPlatform();
     const calls = [];
     native.setNotificationCallbackFunction((...a) => calls.push(a));
     native.deliverUserNotification('a', 'T', null, 'b', null, false, null, false, null, null);
     native.deliverUserNotification('b', 'T', null, 'b', null, true, 'hint', false, null, '0');
     setTimeout(() => {
       platform.advanceClock(10);
       platform.activateUserNotification('b', 3, 'yes');
       console.log('RESULT ' + JSON.stringify({ calls, delivered: platform.deliveredUserNotifications().map((n) => n.identifier) }));
     }, 300);`,
    { env: { DBUS_SESSION_BUS_ADDRESS: 'unix:path=/nonexistent/bus' } },
  );
  assert.equal(result.code, 0, result.stderr);
  const line = result.stdout.split('\n').find((l) => l.startsWith('RESULT '));
  assert.deepEqual(JSON.parse(line.slice(7)), { calls: [['b', 'replied', 'yes']], delivered: ['a', 'b'] });
  const output = result.stdout + result.stderr;
  assert.equal(output.split('notifications are not shown on the desktop').length - 1, 1, output);
});
