'use strict';
// Desktop notifications and sounds: a notification shown by a real notification server (dunst
// on a virtual display, in a private session bus of its own), clicked with dunstctl, and the
// sound list with one sound played (silently when the machine has no sound device).

const { runInPrivateSession } = require('./lib/privateSession');

const SCENE = `
  const path = require('node:path');
  const { execFileSync } = require('node:child_process');
  const native = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinNative.node'));
  const platform = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinPlatform.node'));
  const say = (text) => console.log(text);
  const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
  (async () => {
    native.setNotificationCallbackFunction((id, type, response) =>
      say('callback(' + [id, type, JSON.stringify(response)].join(', ') + ')'));
    native.deliverUserNotification('msg-1', 'New message', 'From Ada', 'Lunch at <noon> & later?',
      'New Mail', false, null, true, 'Open', null);
    await sleep(300);
    say('dunstctl count displayed -> ' + execFileSync('dunstctl', ['count', 'displayed']).toString().trim());
    say('dunstctl action 0 (a click on the body)');
    execFileSync('dunstctl', ['action', '0']);
    await sleep(300);
    native.deliverUserNotification('msg-2', 'Later', null, 'in ten seconds', null, false, null, false, null, '0');
    say('scheduled: ' + platform.scheduledUserNotifications().map((n) => n.identifier).join(', '));
    platform.advanceClock(10);
    say('after advanceClock(10), delivered: ' + platform.deliveredUserNotifications().map((n) => n.identifier).join(', '));
    native.removeUserNotifications();
    await sleep(200);
    say('after removeUserNotifications, dunstctl count displayed -> ' + execFileSync('dunstctl', ['count', 'displayed']).toString().trim());
    const names = native.getSoundNames();
    say('getSoundNames() -> ' + names.length + ' names: ' + names.slice(0, 6).join(', ') + ', ...');
    say('playSoundWithName("New Mail") -> ' + native.playSoundWithName('New Mail'));
    say('playSoundWithName("../New Mail") -> ' + native.playSoundWithName('../New Mail'));
    process.exit(0);
  })();
`;

module.exports = {
  title: 'Notifications and sounds',
  async run({ say }) {
    const run = runInPrivateSession('notification-session.sh', SCENE);
    if (run.status !== 0) {
      say(`no notification server could be started here (${(run.stderr || '').trim().split('\n').pop()})`);
      return;
    }
    for (const line of run.stdout.trim().split('\n')) {
      if (!/^\d{4}-\d\d-\d\d /.test(line)) say(line);
    }
  },
};
