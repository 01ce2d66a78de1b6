'use strict';
// Desktop notifications through the module: delivery and scheduling on the platform's centre,
// the user's actions coming back to the host callback and as process notifications.
const test = require('node:test');
const assert = require('node:assert/strict');
const { loadModule, loadPlatform } = require('./support');

// The in-process centre only: the desktop's server is notification-server.test.js's, which may
// be running at the same time.
process.env.VELQUARIN_NOTIFICATION_PRESENTER = 'none';
const native = loadModule();
const platform = loadPlatform();

const names = [
  'ZqNotificationDidDeliver',
  'ZqNotificationDidActivate',
  'ZqNotificationActivation',
  'ZqNotificationDidDismiss',
];

// Records callbacks and process notifications in one list, in the order they happen.
function record() {
  const events = [];
  native.setNotificationCallbackFunction((id, type, response) =>
    events.push(['callback', id, type, response]),
  );
  const ids = names.map((name) =>
    platform.observe(name, (n, info) => events.push([n, info])),
  );
  return {
    events,
    stop() {
      ids.forEach((id) => platform.removeObserver(id));
      native.setNotificationCallbackFunction(() => {});
    },
  };
}

const deliver = (id, overrides = {}) => {
  const a = {
    title: 'Title',
    subtitle: null,
    body: 'Body',
    sound: null,
    reply: false,
    placeholder: null,
    action: false,
    actionTitle: null,
    at: null,
    ...overrides,
  };
  native.deliverUserNotification(
    id, a.title, a.subtitle, a.body, a.sound, a.reply, a.placeholder, a.action, a.actionTitle, a.at,
  );
};

test.afterEach(() => native.removeUserNotifications());

test('delivering now shows the fields the host gave, a reused identifier replaces', () => {
  native.deliverUserNotification('msg-1', 'Hello', null, 'Body', null, false, null, true, 'Open', null);
  let [shown] = platform.deliveredUserNotifications();
  assert.equal(shown.identifier, 'msg-1');
  assert.equal(shown.title, 'Hello');
  assert.equal(shown.subtitle, null);
  assert.equal(shown.informativeText, 'Body');
  assert.equal(shown.soundName, null);
  assert.equal(shown.hasActionButton, true);
  assert.equal(shown.actionButtonTitle, 'Open');
  assert.equal(shown.hasReplyButton, false);
  assert.equal(shown.presented, true);

  // Reply and action both asked for: the reply field, and no custom button title.
  deliver('msg-1', { title: 'Again', reply: 1, placeholder: 'Answer', action: 'yes', actionTitle: 'Open' });
  deliver('msg-2', { sound: 'New Mail' });
  const delivered = platform.deliveredUserNotifications();
  assert.deepEqual(delivered.map((n) => n.identifier), ['msg-1', 'msg-2']);
  [shown] = delivered;
  assert.equal(shown.title, 'Again');
  assert.equal(shown.hasReplyButton, true);
  assert.equal(shown.responsePlaceholder, 'Answer');
  assert.equal(shown.actionButtonTitle, null);
  assert.equal(delivered[1].soundName, 'New Mail');
});

test('a delivery time not after now waits ten seconds on the clock; later ones wait for theirs', () => {
  const now = Math.floor(platform.now());
  deliver('now', { at: String(now) });
  deliver('garbage', { at: '12abc' });
  deliver('later', { at: now + 3600 }); // a number is read as its text
  deliver('far', { at: '1'.repeat(40) });
  assert.deepEqual(platform.deliveredUserNotifications(), []);
  const scheduled = platform.scheduledUserNotifications();
  assert.deepEqual(scheduled.map((n) => n.identifier), ['now', 'garbage', 'later', 'far']);
  assert.ok(Math.abs(scheduled[0].deliveryDate - (platform.now() + 10)) < 1);
  assert.equal(scheduled[2].deliveryDate, now + 3600);
  assert.equal(scheduled[3].deliveryDate, 253402300799);

  platform.advanceClock(11);
  assert.deepEqual(platform.deliveredUserNotifications().map((n) => n.identifier), ['now', 'garbage']);
  native.removeUserNotification('later');
  platform.advanceClock(3600);
  assert.deepEqual(platform.scheduledUserNotifications().map((n) => n.identifier), ['far']);
  assert.equal(platform.deliveredUserNotifications().length, 2);
});

test('removing one notification or all of them, delivered or scheduled', () => {
  deliver('a');
  deliver('b');
  deliver('c', { at: '0' });
  native.removeUserNotification('a');
  native.removeUserNotification('nobody');
  assert.deepEqual(platform.deliveredUserNotifications().map((n) => n.identifier), ['b']);
  native.removeUserNotification('c');
  assert.deepEqual(platform.scheduledUserNotifications(), []);
  deliver('d', { at: '0' });
  native.removeUserNotifications();
  assert.deepEqual(platform.deliveredUserNotifications(), []);
  assert.deepEqual(platform.scheduledUserNotifications(), []);
  platform.advanceClock(20);
  assert.deepEqual(platform.deliveredUserNotifications(), []);
});

test('each user action reaches the callback between the process notifications', () => {
  const r = record();
  try {
    deliver('msg-1', { reply: true });
    platform.activateUserNotification('msg-1', 1);
    platform.changeUserNotificationResponse('msg-1', 'o');
    platform.changeUserNotificationResponse('msg-1', 'ok');
    platform.activateUserNotification('msg-1', 3, 'ok');
    platform.activateUserNotification('msg-1', 2);
    platform.activateUserNotification('msg-1', 4);
    platform.activateUserNotification('msg-1', 0);
    platform.activateUserNotification('msg-1', 17);
    assert.equal(platform.activateUserNotification('nobody', 1), false);
    platform.dismissUserNotification('msg-1');
    const act = (type, response) => [
      ['ZqNotificationDidActivate', { identifier: 'msg-1', type }],
      ['callback', 'msg-1', type, response],
      ['ZqNotificationActivation', { 'unique-id': 'msg-1', type }],
    ];
    assert.deepEqual(r.events, [
      ['ZqNotificationDidDeliver', { identifier: 'msg-1' }],
      ...act('contents-clicked', ''),
      ['callback', 'msg-1', 'response-changed', 'o'],
      ['callback', 'msg-1', 'response-changed', 'ok'],
      ...act('replied', 'ok'),
      ...act('action-button-clicked', 'ok'),
      ...act('additional-action-clicked', 'ok'),
      ...act('none', 'ok'),
      ...act('unknown', 'ok'),
      ['callback', 'msg-1', 'dismissed', 'ok'],
      ['ZqNotificationDidDismiss', { identifier: 'msg-1' }],
    ]);
  } finally {
    r.stop();
  }
});

test('bad arguments are refused by the contract, a non-function callback empties the slot', () => {
  assert.throws(() => native.deliverUserNotification('x'), TypeError);
  assert.throws(() => native.deliverUserNotification(1, null, null, null, null, false, null, false, null, null), TypeError);
  assert.throws(() => native.removeUserNotification(5), TypeError);
  native.setNotificationCallbackFunction('not a function');
  const posted = [];
  const id = platform.observe('ZqNotificationActivation', (name, info) => posted.push(info.type));
  deliver('plain');
  assert.equal(platform.activateUserNotification('plain', 1), true); // nobody is called
  platform.removeObserver(id);
  assert.deepEqual(posted, ['contents-clicked'], 'still posted without a callback');
  assert.throws(() => platform.activateUserNotification('plain', 1.5), TypeError);
});
