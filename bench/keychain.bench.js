'use strict';
// Read and write latency of one password, the module side by side with @napi-rs/keyring
// pinned to the Secret Service: same daemon, same bus, same items in the keyring. Each call
// is timed on its own, the two interleaved; medians and their ratio are the figures.
// Runs in a private session bus with a throw-away keyring (scripts/keyring-session.sh), so it
// never touches the user's keyring.
const path = require('node:path');
const { spawnSync } = require('node:child_process');

const root = path.resolve(__dirname, '..');

if (process.env.VELQUARIN_TEST_KEYRING !== '1') {
  const run = spawnSync('bash', [path.join(root, 'scripts', 'keyring-session.sh'),
    process.execPath, __filename], { stdio: ['ignore', 'inherit', 'pipe'] });
  // The module logs every write; show its output only when something went wrong.
  if (run.status !== 0) process.stderr.write(run.stderr);
  process.exit(run.status ?? 1);
}

const { Entry } = require('@napi-rs/keyring');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.join(root, 'build');
const native = require(path.join(buildDir, 'VelquarinNative.node'));

const SERVICE = 'Velquarin 3';
const ACCOUNT = 'bench@example.com';
const FILLERS = Number(process.env.FILLERS || 20);
const CALLS = Number(process.env.CALLS || 200);

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

const timeMs = (fn) => {
  const start = process.hrtime.bigint();
  fn();
  return Number(process.hrtime.bigint() - start) / 1e6;
};

// The same number of items on each side, so neither searches a smaller keyring.
const peer = new Entry(SERVICE, ACCOUNT, { linux: { store: 'secret-service' } });
for (let i = 0; i < FILLERS; ++i) {
  native.setPasswordForAccount(`filler ${i}`, `filler-${i}@example.com`);
  new Entry(SERVICE, `filler-${i}@example.com`, { linux: { store: 'secret-service' } })
    .setPassword(`filler ${i}`);
}
if (JSON.parse(native.setPasswordForAccount('initial', ACCOUNT))['ok?'] !== true) {
  throw new Error('the module could not store its password');
}
peer.setPassword('initial');

const ours = { read: [], write: [] };
const theirs = { read: [], write: [] };
// The side that goes first alternates, so neither always follows the other's disk write.
for (let i = 0; i < CALLS + 10; ++i) {
  const password = `password ${i} ✓`;
  const sides = [
    [ours, () => native.setPasswordForAccount(password, ACCOUNT),
      () => native.getPasswordForAccount(ACCOUNT)],
    [theirs, () => peer.setPassword(password), () => peer.getPassword()],
  ];
  if (i % 2) sides.reverse();
  for (const [samples, write, read] of sides) {
    const writeMs = timeMs(write);
    const readMs = timeMs(read);
    if (i < 10) continue;  // warm-up
    samples.write.push(writeMs);
    samples.read.push(readMs);
  }
}

if (JSON.parse(native.getPasswordForAccount(ACCOUNT)).password !== `password ${CALLS + 9} ✓`
    || peer.getPassword() !== `password ${CALLS + 9} ✓`) {
  throw new Error('a side did not read back what it wrote');
}

console.log(`credential store benchmark: ${CALLS} calls each, ${FILLERS} other items per side, medians`);
for (const kind of ['read', 'write']) {
  const a = median(ours[kind]);
  const b = median(theirs[kind]);
  console.log(`${kind} one password: module ${a.toFixed(3)} ms, @napi-rs/keyring ${b.toFixed(3)} ms, ratio ${(a / b).toFixed(2)}x`);
}
