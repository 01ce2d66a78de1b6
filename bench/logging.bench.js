'use strict';
// The main-thread cost of one asynchronous info line through the module's logging, next to
// a bare spdlog asynchronous logger with the same sinks, and lines per second until the log
// file holds them all. Both run in one native process (bench/native/LoggingBench.cc), rounds
// interleaved; medians and the ratio are the figures.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const harness = path.join(buildDir, 'velquarin_logging_bench');

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

const rounds = Number(process.env.RUNS || 15);
const runs = Number(process.env.PROCESSES || 3);
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zqlogbench-'));
try {
  const module = [];
  const bare = [];
  const moduleRates = [];
  const bareRates = [];
  for (let run = 0; run < runs; ++run) {
    const out = execFileSync(harness, [path.join(folder, String(run)), String(rounds)], {
      // The console logger writes to a discarded stderr on both sides.
      stdio: ['ignore', 'pipe', 'ignore'],
      env: { ...process.env, HOME: folder, XDG_CONFIG_HOME: folder, XDG_CACHE_HOME: folder },
    });
    const result = JSON.parse(out.toString());
    module.push(...result.module);
    bare.push(...result.bare);
    moduleRates.push(result.moduleLinesPerSecond);
    bareRates.push(result.bareLinesPerSecond);
  }
  const m = median(module);
  const b = median(bare);
  console.log(`logging benchmark, ${runs} processes x ${rounds} rounds, medians`);
  console.log(`one async info line, main thread: module ${m.toFixed(0)} ns, bare spdlog ${b.toFixed(0)} ns, ratio ${(m / b).toFixed(2)}x`);
  const mr = median(moduleRates);
  const br = median(bareRates);
  console.log(`lines per second into the file: module ${Math.round(mr)}, bare spdlog ${Math.round(br)}, ratio ${(mr / br).toFixed(2)}x`);
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
