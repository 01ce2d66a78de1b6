'use strict';
// Time from require() to ready, and the cost of one call of a trivial export, each side by
// side with an empty Node-API add-on. Medians of repeated runs; the ratio is the figure.
const path = require('node:path');
const { execFileSync } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const modulePath = path.join(buildDir, 'VelquarinNative.node');
const emptyPath = path.join(buildDir, 'VelquarinBenchEmpty.node');

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

function requireTimeMs(addon) {
  const script = `const t = process.hrtime.bigint(); require(${JSON.stringify(addon)});
    process.stdout.write(String(Number(process.hrtime.bigint() - t) / 1e6));`;
  return Number(execFileSync(process.execPath, ['-e', script], { stdio: ['ignore', 'pipe', 'ignore'] }));
}

function callNs(fn, calls) {
  const start = process.hrtime.bigint();
  for (let i = 0; i < calls; ++i) fn();
  return Number(process.hrtime.bigint() - start) / calls;
}

const runs = Number(process.env.RUNS || 15);
const loadModule = [];
const loadEmpty = [];
for (let i = 0; i < runs; ++i) {
  // Interleaved, so machine noise lands on both sides alike.
  loadModule.push(requireTimeMs(modulePath));
  loadEmpty.push(requireTimeMs(emptyPath));
}

const native = require(modulePath);
const empty = require(emptyPath);
const calls = 1_000_000;
callNs(native.isRosetta, calls);  // warm-up
callNs(empty.empty, calls);
const callModule = [];
const callEmpty = [];
for (let i = 0; i < runs; ++i) {
  callModule.push(callNs(native.isRosetta, calls));
  callEmpty.push(callNs(empty.empty, calls));
}

const report = (label, ours, peer, unit) => {
  const a = median(ours);
  const b = median(peer);
  console.log(`${label}: module ${a.toFixed(3)} ${unit}, empty add-on ${b.toFixed(3)} ${unit}, ratio ${(a / b).toFixed(2)}x`);
};
console.log(`startup benchmark, ${runs} runs each, medians`);
report('require to ready', loadModule, loadEmpty, 'ms');
report('one trivial call (isRosetta vs empty)', callModule, callEmpty, 'ns');
