'use strict';
// Rebuilding the status menu from the host's content: accounts with 50 unread messages each
// (20 accounts is about 300 KB of JSON). Each rebuild is one opening through the platform
// binding: the host callback answers with ready JSON text, the module parses it, builds and
// validates every item and draws each account's badge, replacing the items of the previous
// opening (content of the same size). The floor is JSON.parse of the same
// text in the host. Medians of interleaved runs; growth from 2 to 20 to 200 accounts should
// stay linear (ten times the items at most twelve times the time).
const os = require('node:os');
const path = require('node:path');
const fs = require('node:fs');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
process.env.XDG_CONFIG_HOME = fs.mkdtempSync(path.join(os.tmpdir(), 'statusitem-bench-'));
const native = require(path.join(buildDir, 'VelquarinNative.node'));
const platform = require(path.join(buildDir, 'VelquarinPlatform.node'));

const runs = Number(process.env.RUNS || 25);
const sizes = [2, 20, 200];

function contentText(accounts) {
  const words = 'lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor'.split(' ');
  const text = (n, seed) => Array.from({ length: n }, (_, i) => words[(seed * 7 + i) % words.length]).join(' ');
  return JSON.stringify({
    translations: { 'get-new-mail': 'Get New Mail', 'do-not-disturb?': 'Do Not Disturb',
      'compose-new-message': 'Compose', 'sign-in': 'Sign in' },
    accounts: Array.from({ length: accounts }, (_, a) => ({
      id: 1000 + a, label: `Account ${a}`, 'unread-counter-value': (a * 13) % 120,
      'hex-color': ((a * 0x3a5f1b) & 0xffffff).toString(16).padStart(6, '0'),
      'requires-oauth?': a % 17 === 16,
      'unread-messages': Array.from({ length: 50 }, (_, m) => ({
        'from-line': `Sender ${m} <sender${m}@example.org>`, subject: text(8, a + m),
        snippet: text(30, a * m + 1), 'unique-id': `${a}-${m}-${'x'.repeat(8)}`,
      })),
    })),
  });
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const timeMs = (work) => {
  const start = process.hrtime.bigint();
  work();
  return Number(process.hrtime.bigint() - start) / 1e6;
};

function main() {
  let reply = '{}';
  native.setStatusItemMenuNeedsUpdateCallbackFunction(() => reply);
  platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 1 });
  const texts = new Map(sizes.map((n) => [n, contentText(n)]));
  const rebuild = {};
  const parse = {};
  let items = {};
  for (const n of sizes) {
    rebuild[n] = [];
    parse[n] = [];
  }
  for (let run = 0; run <= runs; ++run) {
    for (const n of sizes) {
      reply = texts.get(n);
      // Steady state: the menu being replaced held content of the same size.
      platform.openStatusItemMenu(0);
      platform.closeStatusItemMenu();
      const built = timeMs(() => {
        if (!platform.openStatusItemMenu(0)) throw new Error('the menu did not open');
      });
      platform.closeStatusItemMenu();
      const parsed = timeMs(() => JSON.parse(reply));
      if (run === 0) continue; // warm-up
      rebuild[n].push(built);
      parse[n].push(parsed);
    }
  }
  for (const n of sizes) {
    reply = texts.get(n);
    platform.openStatusItemMenu(0);
    items[n] = platform.statusMenuItems().length;
    platform.closeStatusItemMenu();
  }
  console.log(`status menu rebuild, ${runs} interleaved runs, medians`);
  console.log('accounts | JSON KB | items | rebuild ms | JSON.parse ms | rebuild / parse');
  for (const n of sizes) {
    const r = median(rebuild[n]);
    const p = median(parse[n]);
    console.log(`${String(n).padStart(8)} | ${(texts.get(n).length / 1024).toFixed(0).padStart(7)} | ` +
      `${String(items[n]).padStart(5)} | ${r.toFixed(2).padStart(10)} | ${p.toFixed(2).padStart(13)} | ${(r / p).toFixed(1).padStart(7)}x`);
  }
  const growth = (a, b) => median(rebuild[b]) / median(rebuild[a]);
  console.log(`growth 2 -> 20 accounts: ${growth(2, 20).toFixed(2)}x time for ${(items[20] / items[2]).toFixed(2)}x items`);
  console.log(`growth 20 -> 200 accounts: ${growth(20, 200).toFixed(2)}x time for ${(items[200] / items[20]).toFixed(2)}x items`);
  fs.rmSync(process.env.XDG_CONFIG_HOME, { recursive: true, force: true });
}

main();
