'use strict';
// The status menu as a panel opens it: AboutToShow then GetLayout over the session bus,
// through gdbus from another process, for 20 accounts with 50 unread messages each; against
// the in-process opening of the same menu, and against JSON.parse of the host's content (the
// bus should add no more than twice that). gdbus's own start-up is measured with a Ping to
// the same connection and reported beside, so the bus's share can be told apart.
// Run inside a private session bus: dbus-run-session -- node bench/tray.bench.js
const os = require('node:os');
const path = require('node:path');
const fs = require('node:fs');
const { execFile } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
process.env.XDG_CONFIG_HOME = fs.mkdtempSync(path.join(os.tmpdir(), 'tray-bench-'));
const native = require(path.join(buildDir, 'VelquarinNative.node'));
const platform = require(path.join(buildDir, 'VelquarinPlatform.node'));

const runs = Number(process.env.RUNS || 9);
const ACCOUNTS = 20;

function contentText() {
  const words = 'lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor'.split(' ');
  const text = (n, seed) => Array.from({ length: n }, (_, i) => words[(seed * 7 + i) % words.length]).join(' ');
  return JSON.stringify({
    translations: { 'get-new-mail': 'Get New Mail', 'do-not-disturb?': 'Do Not Disturb',
      'compose-new-message': 'Compose', 'sign-in': 'Sign in' },
    accounts: Array.from({ length: ACCOUNTS }, (_, a) => ({
      id: 1000 + a, label: `Account ${a}`, 'unread-counter-value': (a * 13) % 120,
      'hex-color': ((a * 0x3a5f1b) & 0xffffff).toString(16).padStart(6, '0'),
      'unread-messages': Array.from({ length: 50 }, (_, m) => ({
        'from-line': `Sender ${m} <sender${m}@example.org>`, subject: text(8, a + m),
        snippet: text(30, a * m + 1), 'unique-id': `${a}-${m}`,
      })),
    })),
  });
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const gdbus = (...args) => new Promise((resolve, reject) => execFile('gdbus', args,
  { maxBuffer: 64 * 1024 * 1024 }, (error, stdout) => (error ? reject(error) : resolve(stdout))));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// Wall time, and this process's own processor time (the module's side of a bus call: gdbus
// runs elsewhere).
let lastCpuMs = 0;
async function timeMs(work) {
  const cpu = process.cpuUsage();
  const start = process.hrtime.bigint();
  await work();
  const used = process.cpuUsage(cpu);
  lastCpuMs = (used.user + used.system) / 1000;
  return Number(process.hrtime.bigint() - start) / 1e6;
}

async function main() {
  if (!process.env.DBUS_SESSION_BUS_ADDRESS) throw new Error('run inside dbus-run-session');
  const reply = contentText();
  native.setStatusItemMenuNeedsUpdateCallbackFunction(() => reply);
  platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': ACCOUNTS });
  for (let i = 0; i < 200 && !platform.trayState().busName; i++) await sleep(10);
  const name = platform.trayState().busName;
  if (!name) throw new Error('the status item took no bus name');
  const menu = (method, ...args) => gdbus('call', '--session', '--dest', name, '--object-path',
    '/MenuBar', '--method', `com.canonical.dbusmenu.${method}`, ...args);
  const results = { inProcess: [], bus: [], ping: [], parse: [], inProcessCpu: [], busCpu: [],
    pingCpu: [] };
  let layoutBytes = 0;
  for (let run = 0; run <= runs; ++run) {
    const inProcess = await timeMs(() => {
      if (!platform.openStatusItemMenu(0)) throw new Error('the menu did not open');
    });
    const inProcessCpu = lastCpuMs;
    platform.closeStatusItemMenu();
    const bus = await timeMs(async () => {
      await menu('AboutToShow', '0');
      layoutBytes = (await menu('GetLayout', '--', '0', '-1', '[]')).length;
    });
    const busCpu = lastCpuMs;
    const ping = await timeMs(async () => {
      await gdbus('call', '--session', '--dest', name, '--object-path', '/MenuBar', '--method',
        'org.freedesktop.DBus.Peer.Ping');
      await gdbus('call', '--session', '--dest', name, '--object-path', '/MenuBar', '--method',
        'org.freedesktop.DBus.Peer.Ping');
    });
    const pingCpu = lastCpuMs;
    const parse = await timeMs(() => JSON.parse(reply));
    if (run === 0) continue; // warm-up
    results.inProcess.push(inProcess);
    results.bus.push(bus);
    results.ping.push(ping);
    results.parse.push(parse);
    results.busCpu.push(busCpu);
    results.inProcessCpu.push(inProcessCpu);
    results.pingCpu.push(pingCpu);
  }
  const m = Object.fromEntries(Object.entries(results).map(([key, values]) => [key, median(values)]));
  const busShare = m.bus - m.ping;
  console.log(`${ACCOUNTS} accounts x 50 messages, ${(reply.length / 1024).toFixed(0)} KB of JSON, ` +
    `layout as gdbus prints it ${(layoutBytes / 1024).toFixed(0)} KB, ${runs} runs, medians:`);
  console.log(`  in-process opening            ${m.inProcess.toFixed(2)} ms`);
  console.log(`  AboutToShow + GetLayout, gdbus ${m.bus.toFixed(2)} ms (two gdbus pings: ${m.ping.toFixed(2)} ms)`);
  console.log(`  bus share (minus gdbus start)  ${busShare.toFixed(2)} ms = in-process + ` +
    `${(busShare - m.inProcess).toFixed(2)} ms`);
  const serverShare = m.busCpu - m.pingCpu;
  console.log(`  the module's processor time for the bus round: ${serverShare.toFixed(2)} ms ` +
    `(the in-process opening: ${m.inProcessCpu.toFixed(2)} ms; the bus's own: ` +
    `${(serverShare - m.inProcessCpu).toFixed(2)} ms = ` +
    `${((serverShare - m.inProcessCpu) / m.parse).toFixed(2)}x JSON.parse)`);
  console.log(`  JSON.parse of the content      ${m.parse.toFixed(2)} ms; the bus adds ` +
    `${((busShare - m.inProcess) / m.parse).toFixed(2)}x that`);
  console.log(`  load average ${os.loadavg().map((x) => x.toFixed(2)).join(' ')}`);
  process.exit(0);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
