'use strict';
// Time from require() to ready, and the cost of one call of a trivial export, each side by
// side with an empty Node-API add-on. Medians of repeated runs; the ratio is the figure.
// Then what the first image call costs beyond a later one: the image libraries are opened
// there rather than at require.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
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

// A fresh process: the first and the second scaleImage of a small PNG, in milliseconds.
function firstImageCallMs(picture, outDir) {
  const script = `const native = require(${JSON.stringify(modulePath)});
    const times = [];
    for (let i = 0; i < 2; ++i) {
      const t = process.hrtime.bigint();
      if (!native.scaleImage(${JSON.stringify(picture)}, 'PNG', 16, 16)) throw new Error('no image');
      times.push(Number(process.hrtime.bigint() - t) / 1e6);
    }
    process.stdout.write(JSON.stringify(times));`;
  return JSON.parse(execFileSync(process.execPath, ['-e', script],
    { stdio: ['ignore', 'pipe', 'ignore'], env: { ...process.env, TMPDIR: outDir } }));
}

// A 64 x 64 opaque grey PNG, unfiltered.
function greyPNG(file) {
  const chunk = (type, body) => {
    const length = Buffer.alloc(4);
    length.writeUInt32BE(body.length);
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(zlib.crc32(Buffer.concat([Buffer.from(type), body])));
    return Buffer.concat([length, Buffer.from(type), body, crc]);
  };
  const header = Buffer.from([0, 0, 0, 64, 0, 0, 0, 64, 8, 2, 0, 0, 0]);
  const rows = Buffer.alloc(64 * (1 + 64 * 3), 128);
  for (let y = 0; y < 64; ++y) rows[y * (1 + 64 * 3)] = 0;
  fs.writeFileSync(file, Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]),
    chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]));
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

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'startup-bench-'));
const picture = path.join(scratch, 'grey.png');
greyPNG(picture);
const firstCall = [];
const laterCall = [];
const extra = [];
for (let i = 0; i < runs; ++i) {
  const [first, second] = firstImageCallMs(picture, scratch);
  firstCall.push(first);
  laterCall.push(second);
  extra.push(first - second);
}
fs.rmSync(scratch, { recursive: true, force: true });
console.log(`first scaleImage of a 64x64 PNG: ${median(firstCall).toFixed(3)} ms, the second ` +
  `${median(laterCall).toFixed(3)} ms: the first call's extra cost ${median(extra).toFixed(3)} ms`);
