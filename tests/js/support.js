'use strict';
// Shared helpers of the JavaScript suite: where the build is and how to run a child host.
const path = require('node:path');
const fs = require('node:fs');
const zlib = require('node:zlib');
const os = require('node:os');
const { spawn } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', '..', 'build');
const addonPath = (name) => path.join(buildDir, `${name}.node`);

const loadModule = () => require(addonPath('VelquarinNative'));
const loadPlatform = () => require(addonPath('VelquarinPlatform'));
const loadProbe = () => require(addonPath('ZqTestProbe'));

// Runs `source` in a fresh Node process; resolves with its exit code, signal and output.
// `launcher` is a command that starts Node for it (e.g. a script setting up a session).
function runChild(source, { timeoutMs = 20000, env = {}, args = [], launcher = [] } = {}) {
  return new Promise((resolve, reject) => {
    const command = [...launcher, process.execPath, ...args, '-e', source];
    const child = spawn(command[0], command.slice(1), {
      env: { ...process.env, VELQUARIN_BUILD_DIR: buildDir, ...env },
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let stdout = '';
    let stderr = '';
    child.stdout.on('data', (chunk) => (stdout += chunk));
    child.stderr.on('data', (chunk) => (stderr += chunk));
    const timer = setTimeout(() => {
      child.kill('SIGKILL');
      reject(new Error(`child did not exit within ${timeoutMs} ms\n${stdout}\n${stderr}`));
    }, timeoutMs);
    child.on('exit', (code, signal) => {
      clearTimeout(timer);
      resolve({ code, signal, stdout, stderr });
    });
  });
}

// This process's lines of the log file holding `text` (every process of the run shares the file).
function logged(text) {
  const platform = loadPlatform();
  platform.flushLogs();
  return fs.readFileSync(platform.logFile(), 'utf8').split('\n')
    .filter((line) => line.includes(` [${process.pid} `) && line.includes(text));
}

// A real 8-bit RGBA PNG of one colour.
function solidPNG(width, height, [r, g, b] = [128, 128, 128]) {
  const chunk = (type, body) => {
    const typed = Buffer.concat([Buffer.from(type), body]);
    const out = Buffer.alloc(12 + body.length);
    out.writeUInt32BE(body.length);
    typed.copy(out, 4);
    out.writeUInt32BE(zlib.crc32(typed), 8 + body.length);
    return out;
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 6, 0, 0, 0], 8);
  const row = Buffer.concat([Buffer.from([0]), Buffer.from(Array(width).fill([r, g, b, 255]).flat())]);
  return Buffer.concat([Buffer.from('89504e470d0a1a0a', 'hex'), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(Buffer.concat(Array(height).fill(row)))), chunk('IEND', Buffer.alloc(0))]);
}

// Width, height, text chunks and the RGBA of a pixel (x from the left, y from the top) of an
// 8-bit PNG, given as a file or its bytes.
function readPNG(file) {
  const bytes = Buffer.isBuffer(file) ? file : fs.readFileSync(file);
  const idat = [];
  const text = {};
  let header;
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('ascii', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') header = body;
    if (type === 'IDAT') idat.push(body);
    if (type === 'tEXt') text[body.toString('latin1').split('\0')[0]] = body.toString('latin1').split('\0')[1];
    at += 12 + length;
  }
  const [width, height] = [header.readUInt32BE(0), header.readUInt32BE(4)];
  const channels = { 0: 1, 2: 3, 4: 2, 6: 4 }[header[9]];
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const rows = [];
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    const up = rows[y - 1] ?? Buffer.alloc(stride);
    for (let i = 0; i < stride; ++i) {
      const [a, b, c] = [i >= channels ? line[i - channels] : 0, up[i], i >= channels ? up[i - channels] : 0];
      const p = a + b - c;
      const [pa, pb, pc] = [Math.abs(p - a), Math.abs(p - b), Math.abs(p - c)];
      const paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      line[i] = (line[i] + [0, a, b, (a + b) >> 1, paeth][filter]) & 255;
    }
    rows.push(line);
  }
  const pixel = (x, y) => {
    const px = [...rows[y].subarray(x * channels, (x + 1) * channels)];
    return channels === 4 ? px : [...px.slice(0, 3), 255];
  };
  return { width, height, text, pixel, alpha: (x, y) => pixel(x, y)[3] };
}

// An Xvfb of the test's own, for tests that kill the display; resolves with its process and
// its display name once the server is ready.
async function startPrivateXvfb() {
  const ready = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-xvfb-')), 'display');
  const fd = fs.openSync(ready, 'w');
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', fd] });
  fs.closeSync(fd);
  for (let i = 0; i < 100 && !fs.readFileSync(ready, 'utf8').trim(); ++i) {
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  return { xvfb, display: `:${fs.readFileSync(ready, 'utf8').trim()}` };
}

module.exports = {
  buildDir, addonPath, loadModule, loadPlatform, loadProbe, runChild, logged, solidPNG, readPNG, startPrivateXvfb,
};
