'use strict';
// 20 MB of image/png over the X11 clipboard on a private Xvfb: the module reading it from
// xclip (saveGeneralPasteboard), xclip reading it from the module, against xclip reading
// from xclip. Each run is timed on its own; medians and their ratios are the figures.
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');

const RUNS = Number(process.env.RUNS || 5);
const SIZE = 20 << 20;
const root = path.resolve(__dirname, '..');
const buildDir = process.env.VELQUARIN_BUILD_DIR || path.join(root, 'build');

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function startXvfb() {
  const ready = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'clipboard-bench-')), 'display');
  const fd = fs.openSync(ready, 'w');
  const server = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', fd] });
  fs.closeSync(fd);
  for (let i = 0; i < 200 && !fs.readFileSync(ready, 'utf8').trim(); ++i) await sleep(50);
  return { server, display: `:${fs.readFileSync(ready, 'utf8').trim()}` };
}

async function main() {
  const { server, display } = await startXvfb();
  process.env.DISPLAY = display;
  const native = require(path.join(buildDir, 'VelquarinNative.node'));
  const platform = require(path.join(buildDir, 'VelquarinPlatform.node'));
  const file = path.join(os.tmpdir(), `clipboard-bench-${process.pid}.png`);
  const data = crypto.randomBytes(SIZE);
  fs.writeFileSync(file, data);
  const xclipOut = () => spawnSync('xclip', ['-o', '-selection', 'clipboard', '-t', 'image/png'],
    { maxBuffer: 64 << 20 });
  const owned = async () => {
    const owner = spawn('xclip', ['-quiet', '-selection', 'clipboard', '-t', 'image/png', '-i', file],
      { stdio: 'ignore' });
    for (let i = 0; i < 200; ++i) {
      if (spawnSync('xclip', ['-o', '-selection', 'clipboard', '-t', 'TARGETS']).stdout.length) return owner;
      await sleep(20);
    }
    throw new Error('xclip did not take the clipboard');
  };
  const time = (fn) => {
    const start = process.hrtime.bigint();
    fn();
    return Number(process.hrtime.bigint() - start) / 1e6;
  };

  const peer = [];
  const moduleReads = [];
  const moduleServes = [];
  try {
    for (let run = 0; run < RUNS; ++run) {
      const owner = await owned();
      peer.push(time(() => {
        if (xclipOut().stdout.length !== SIZE) throw new Error('xclip read short');
      }));
      moduleReads.push(time(() => {
        if (!native.saveGeneralPasteboard()) throw new Error('save failed');
      }));
      native.restoreGeneralPasteboard();  // the module owns it now, with the same 20 MB
      owner.kill();
      moduleServes.push(time(() => {
        if (xclipOut().stdout.length !== SIZE) throw new Error('read from the module short');
      }));
    }
  } finally {
    server.kill();
    fs.rmSync(file, { force: true });
  }
  const base = median(peer);
  console.log(`20 MB image/png, ${RUNS} runs, backend ${platform.pasteboardBackend()}, chunk 256 KiB`);
  console.log(`xclip -o from xclip          median ${base.toFixed(1)} ms`);
  console.log(`module reads from xclip      median ${median(moduleReads).toFixed(1)} ms  ratio ${(median(moduleReads) / base).toFixed(2)}`);
  console.log(`xclip -o from the module     median ${median(moduleServes).toFixed(1)} ms  ratio ${(median(moduleServes) / base).toFixed(2)}`);
  console.log(`load average ${os.loadavg().map((value) => value.toFixed(2)).join(' ')}`);
  process.exit(0);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
