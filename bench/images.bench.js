'use strict';
// scaleImage side by side with sharp: a 4000x3000 JPEG fitted into 1000x1000 and written as
// JPEG (quality 0.7, 4:2:0), and a 4000x3000 PNG with alpha fitted the same way and written
// as PNG. Both single-threaded. Each library runs in fresh processes of its own: one for the
// timings (warm-up, then RUNS timed runs, median) and one for the peak memory of a single
// conversion. Timed runs alternate between the two libraries. Quality is PSNR against a library-independent reference: the exact 4x4 box
// average of the decoded source (the fit is exactly a quarter in each direction).
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync, fork } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const modulePath = path.join(buildDir, 'VelquarinNative.node');
const runs = Number(process.env.RUNS || 30);
const warmup = 3;

// ---- child side -------------------------------------------------------------------------
function converter(library, source, type, outDir) {
  if (library === 'module') {
    const native = require(modulePath);
    return async () => {
      const out = native.scaleImage(source, type, 1000, 1000);
      if (!out) throw new Error('scaleImage returned null');
      return { out, size: fs.statSync(out).size };
    };
  }
  const sharp = require('sharp');
  sharp.concurrency(1);
  sharp.cache(false);
  let n = 0;
  return async () => {
    const out = path.join(outDir, `sharp-${n++}.${type === 'JPEG' ? 'jpg' : 'png'}`);
    let pipeline = sharp(source).resize(1000, 1000, { fit: 'inside' });
    pipeline = type === 'JPEG'
      ? pipeline.jpeg({ quality: 70, chromaSubsampling: '4:2:0' })
      : pipeline.png();
    const info = await pipeline.toFile(out);
    return { out, size: info.size };
  };
}

// The peak resident memory of this process (VmHWM starts afresh at exec, unlike maxRSS).
function peakMiB() {
  const line = fs.readFileSync('/proc/self/status', 'utf8').match(/VmHWM:\s+(\d+) kB/);
  return Number(line[1]) / 1024;
}

async function child([library, mode, source, type, outDir]) {
  const convert = converter(library, source, type, outDir);
  if (mode === 'memory') {
    const loaded = peakMiB();
    const { size } = await convert();
    process.stdout.write(`\n${JSON.stringify({ loaded, peak: peakMiB(), size })}\n`);
    return;
  }
  // Timing worker: one conversion per request, so the parent can interleave the libraries.
  process.on('message', async () => {
    const start = process.hrtime.bigint();
    const cpu = process.cpuUsage();
    const { out, size } = await convert();
    const used = process.cpuUsage(cpu);
    const ms = Number(process.hrtime.bigint() - start) / 1e6;
    process.send({ ms, cpuMs: (used.user + used.system) / 1000, out, size });
  });
  process.send({ ready: true });
}

// ---- parent side ------------------------------------------------------------------------
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

function startWorker(args, env) {
  const worker = fork(__filename, ['--child', ...args], { env: { ...process.env, ...env }, stdio: ['ignore', 'ignore', 'ignore', 'ipc'] });
  let pending;
  worker.on('message', (message) => pending && pending(message));
  const next = () => new Promise((resolve) => { pending = resolve; });
  const ready = next();
  return {
    ready,
    run() {
      const reply = next();
      worker.send('run');
      return reply;
    },
    stop: () => worker.kill(),
  };
}

// Both libraries alternate run by run, so the noise of a shared machine falls on both.
async function timeBoth(args, env) {
  const workers = { module: startWorker(['module', 'time', ...args], env), sharp: startWorker(['sharp', 'time', ...args], env) };
  await Promise.all(Object.values(workers).map((w) => w.ready));
  const results = { module: [], sharp: [] };
  try {
    for (let i = 0; i < warmup + runs; ++i) {
      for (const library of i % 2 ? ['sharp', 'module'] : ['module', 'sharp']) {
        const result = await workers[library].run();
        if (i >= warmup) results[library].push(result);
        if (i < warmup + runs - 1) fs.unlinkSync(result.out);
      }
    }
  } finally {
    Object.values(workers).forEach((w) => w.stop());
  }
  return results;
}

function runChild(args, env) {
  const output = execFileSync(process.execPath, [__filename, '--child', ...args], {
    env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 26,
  }).toString();
  return JSON.parse(output.trim().split('\n').at(-1));
}

// A smooth picture with some texture, so JPEG and resampling errors are like a photo's.
function makePixels(width, height, alpha) {
  const channels = alpha ? 4 : 3;
  const pixels = Buffer.alloc(width * height * channels);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const i = (y * width + x) * channels;
      const texture = 24 * Math.sin(x / 11.3) * Math.sin(y / 17.9);
      pixels[i] = 128 + 100 * Math.sin(x / 97) * Math.cos(y / 131) + texture;
      pixels[i + 1] = (255 * x) / width + texture / 2;
      pixels[i + 2] = (255 * y) / height - texture;
      if (alpha) {
        const d = Math.hypot(x - width / 2, y - height / 2) / (height / 2);
        pixels[i + 3] = Math.max(0, Math.min(255, 255 * (1.2 - d)));
      }
    }
  }
  return { pixels, width, height, channels };
}

// Premultiplied 4x4 box average: the exact quarter-size picture.
function boxReference({ data, info }) {
  const { width, height, channels } = info;
  const w = width / 4;
  const h = height / 4;
  const out = new Float64Array(w * h * 4);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const i = (y * width + x) * channels;
      const a = channels === 4 ? data[i + 3] / 255 : 1;
      const o = ((y >> 2) * w + (x >> 2)) * 4;
      out[o] += data[i] * a / 16;
      out[o + 1] += data[i + 1] * a / 16;
      out[o + 2] += data[i + 2] * a / 16;
      out[o + 3] += a * 255 / 16;
    }
  }
  return out;
}

function psnr(reference, { data, info }) {
  let sum = 0;
  const count = info.width * info.height;
  for (let p = 0; p < count; ++p) {
    const i = p * info.channels;
    const a = info.channels === 4 ? data[i + 3] / 255 : 1;
    const values = [data[i] * a, data[i + 1] * a, data[i + 2] * a, a * 255];
    for (let c = 0; c < 4; ++c) sum += (values[c] - reference[p * 4 + c]) ** 2;
  }
  return 10 * Math.log10((255 * 255) / (sum / (count * 4)));
}

async function main() {
  const sharp = require('sharp');
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-bench-'));
  const env = {
    HOME: work, XDG_CONFIG_HOME: path.join(work, 'config'), XDG_CACHE_HOME: path.join(work, 'cache'),
    TMPDIR: path.join(work, 'tmp'), VIPS_CONCURRENCY: '1',
  };
  fs.mkdirSync(env.TMPDIR);
  try {
    const photo = makePixels(4000, 3000, false);
    const jpeg = path.join(work, 'photo.jpg');
    await sharp(photo.pixels, { raw: photo }).jpeg({ quality: 92 }).toFile(jpeg);
    const transparent = makePixels(4000, 3000, true);
    const png = path.join(work, 'overlay.png');
    await sharp(transparent.pixels, { raw: transparent }).png().toFile(png);

    console.log(`images benchmark: ${runs} timed runs after ${warmup} warm-up runs, medians, single-threaded`);
    for (const [label, source, type] of [['JPEG 4000x3000 -> 1000x750 JPEG', jpeg, 'JPEG'],
      ['PNG+alpha 4000x3000 -> 1000x750 PNG', png, 'PNG']]) {
      const reference = boxReference(await sharp(source).raw().toBuffer({ resolveWithObject: true }));
      const timings = await timeBoth([source, type, work], env);
      const result = {};
      for (const library of ['module', 'sharp']) {
        const times = timings[library];
        const memory = runChild([library, 'memory', source, type, work], env);
        const decoded = await sharp(times.at(-1).out).raw().toBuffer({ resolveWithObject: true });
        result[library] = {
          ms: median(times.map((t) => t.ms)), cpuMs: median(times.map((t) => t.cpuMs)),
          size: times.at(-1).size, peak: memory.peak, loaded: memory.loaded,
          psnr: psnr(reference, decoded), dims: `${decoded.info.width}x${decoded.info.height}`,
        };
      }
      const m = result.module;
      const s = result.sharp;
      console.log(`\n${label}`);
      for (const [name, r] of Object.entries(result)) {
        console.log(`  ${name.padEnd(6)} median ${r.ms.toFixed(1)} ms (CPU ${r.cpuMs.toFixed(1)} ms), ` +
          `${r.dims}, ${r.size} bytes, PSNR ${r.psnr.toFixed(2)} dB, ` +
          `peak RSS ${r.peak.toFixed(1)} MiB (${r.loaded.toFixed(1)} MiB once loaded)`);
      }
      console.log(`  ratios module/sharp: time ${(m.ms / s.ms).toFixed(2)}x (target <= 1.5), ` +
        `PSNR ${(m.psnr - s.psnr).toFixed(2)} dB (target >= -0.5), ` +
        `peak memory ${(m.peak / s.peak).toFixed(2)}x (target <= 2), ` +
        `memory for the conversion ${((m.peak - m.loaded) / (s.peak - s.loaded)).toFixed(2)}x, ` +
        `size ${(m.size / s.size).toFixed(2)}x`);
    }
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
}

if (process.argv[2] === '--child') {
  child(process.argv.slice(3)).catch((error) => {
    console.error(error);
    process.exit(1);
  });
} else {
  main().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}
