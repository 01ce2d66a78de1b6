'use strict';
// User defaults side by side with the npm package `conf` (a JSON-file settings store):
// 10,000 setUserDefault calls followed by synchronizeUserDefaults against 10,000 conf.set
// calls (conf persists every set), then 10,000 reads on each side. Medians of interleaved
// runs; the ratio module / conf is the figure (<= 1.0 means the module is not slower).
//
// Both stores write to a RAM-backed folder (/dev/shm when there is one, else the temporary
// folder; BENCH_DIR overrides) so the figure compares the stores' work rather than the
// disk's flush latency, which would cost conf one fsync per set.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const runs = Number(process.env.RUNS || 5);
const calls = 10_000;
const keyCount = 100; // a realistic settings file: calls cycle over these keys

function benchRoot() {
  const candidates = [process.env.BENCH_DIR, '/dev/shm', os.tmpdir()].filter(Boolean);
  for (const dir of candidates) {
    try {
      fs.accessSync(dir, fs.constants.W_OK);
      return fs.mkdtempSync(path.join(dir, 'defaults-bench-'));
    } catch {
      // next candidate
    }
  }
  throw new Error('no writable folder for the benchmark');
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

const keys = Array.from({ length: keyCount }, (_, i) => `setting-${i}`);
// Booleans, int32 numbers and strings: what setUserDefault stores.
const valueFor = (i) => (i % 3 === 0 ? i % 2 === 0 : i % 3 === 1 ? i : `value ${i} ✉`);

function timeMs(work) {
  const start = process.hrtime.bigint();
  work();
  return Number(process.hrtime.bigint() - start) / 1e6;
}

async function main() {
  const root = benchRoot();
  process.env.XDG_CONFIG_HOME = path.join(root, 'module-0');
  const native = require(path.join(buildDir, 'VelquarinNative.node'));
  const { default: Conf } = await import('conf');

  const results = { moduleSet: [], confSet: [], moduleGet: [], confGet: [] };
  let sink = 0;
  for (let run = 0; run < runs; ++run) {
    // A fresh domain and a fresh conf file for every run.
    process.env.XDG_CONFIG_HOME = path.join(root, `module-${run}`);
    const conf = new Conf({ cwd: path.join(root, `conf-${run}`), projectName: 'bench' });

    results.moduleSet.push(timeMs(() => {
      for (let i = 0; i < calls; ++i) native.setUserDefault(keys[i % keyCount], valueFor(i));
      native.synchronizeUserDefaults();
    }));
    results.confSet.push(timeMs(() => {
      for (let i = 0; i < calls; ++i) conf.set(keys[i % keyCount], valueFor(i));
    }));
    results.moduleGet.push(timeMs(() => {
      for (let i = 0; i < calls; ++i) sink += native.getUserDefault(keys[i % keyCount]) ? 1 : 0;
    }));
    results.confGet.push(timeMs(() => {
      for (let i = 0; i < calls; ++i) sink += conf.get(keys[i % keyCount]) ? 1 : 0;
    }));
  }

  const report = (label, ours, peer) => {
    const a = median(ours);
    const b = median(peer);
    console.log(`${label}: module ${a.toFixed(2)} ms, conf ${b.toFixed(2)} ms, ratio ${(a / b).toFixed(3)}`);
  };
  console.log(`defaults benchmark in ${root}, ${runs} runs each, medians (checksum ${sink})`);
  report(`${calls} sets + synchronize`, results.moduleSet, results.confSet);
  report(`${calls} gets`, results.moduleGet, results.confGet);
  fs.rmSync(root, { recursive: true, force: true });
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
