'use strict';
// Main-thread cost of delivering one notification: the module's deliverUserNotification side
// by side with node-notifier (which runs notify-send for each notification), both delivering
// the same notifications to the same server (dunst) on the same private bus. Each call is
// timed on its own; p50 and p99 of each side and the ratio of the medians are the figures.
const path = require('node:path');
const { spawnSync, execFileSync } = require('node:child_process');

const root = path.resolve(__dirname, '..');

if (process.env.VELQUARIN_TEST_NOTIFICATION_SERVER !== '1') {
  const run = spawnSync('bash', [path.join(root, 'scripts', 'notification-session.sh'),
    process.execPath, __filename], { stdio: ['ignore', 'inherit', 'pipe'] });
  if (run.status !== 0) process.stderr.write(run.stderr);
  process.exit(run.status ?? 1);
}

const { NotifySend } = require('node-notifier');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.join(root, 'build');
const native = require(path.join(buildDir, 'VelquarinNative.node'));

const CALLS = Number(process.env.CALLS || 1000);
const PEER_CALLS = Number(process.env.PEER_CALLS || 200);

const percentile = (values, p) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor((sorted.length - 1) * p))];
};
const timeMs = (fn) => {
  const start = process.hrtime.bigint();
  fn();
  return Number(process.hrtime.bigint() - start) / 1e6;
};
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

(async () => {
  const peer = new NotifySend({ suppressOsdCheck: true });
  const ours = [];
  const theirs = [];
  // A few identifiers reused: the server replaces rather than piling up notifications.
  for (let i = 0; i < CALLS; ++i) {
    ours.push(timeMs(() => native.deliverUserNotification(`bench-${i % 20}`, `Message ${i}`,
      'From someone', 'A line of the message body', null, false, null, true, 'Open', null)));
    if (i % 50 === 49) await sleep(5); // let the bus thread and the server keep up
  }
  await sleep(500);
  native.removeUserNotifications();
  let finished = 0;
  for (let i = 0; i < PEER_CALLS; ++i) {
    theirs.push(timeMs(() => peer.notify({ title: `Message ${i}`, message: 'A line of the message body', wait: false },
      () => { finished += 1; })));
    // One process at a time, as a host delivering mail notifications would see them.
    while (finished <= i) await sleep(1);
  }
  execFileSync('dunstctl', ['close-all']);

  const row = (name, values) =>
    `${name.padEnd(28)} n=${String(values.length).padStart(5)}  p50 ${percentile(values, 0.5).toFixed(4)} ms` +
    `  p99 ${percentile(values, 0.99).toFixed(4)} ms`;
  console.log(row('deliverUserNotification', ours));
  console.log(row('node-notifier (notify-send)', theirs));
  const ratio = percentile(ours, 0.5) / percentile(theirs, 0.5);
  console.log(`p50 ratio module/peer: ${ratio.toFixed(4)} (target <= 0.1)`);
  process.exit(0);
})();
