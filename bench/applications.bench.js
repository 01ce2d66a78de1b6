'use strict';
// applicationsForScheme with 20, 200 and 2000 fake handlers in sandboxed XDG folders.
// Warm: the median of RUNS listings without icons after one warm-up, next to GIO's own
// listing of the same handlers (ids only, velquarin_gio_list_bench) as the floor; 10 times the
// handlers should cost at most 12 times the time. Cold: one listing with icons into an empty
// folder, every icon drawn from a 48-pixel PNG of a pinned theme into 32 points; time per
// drawn icon. Each size runs in a fresh process (GIO reads the XDG variables once).
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { execFileSync } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const runs = Number(process.env.RUNS || 15);
const sizes = [20, 200, 2000];

function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) {
    crc ^= byte;
    for (let bit = 0; bit < 8; ++bit) crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return (crc ^ 0xffffffff) >>> 0;
}

function gradientPNG(side) {
  const chunk = (type, body) => {
    const typed = Buffer.concat([Buffer.from(type), body]);
    const out = Buffer.alloc(12 + body.length);
    out.writeUInt32BE(body.length);
    typed.copy(out, 4);
    out.writeUInt32BE(crc32(typed), 8 + body.length);
    return out;
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(side, 0);
  header.writeUInt32BE(side, 4);
  header.set([8, 6, 0, 0, 0], 8);
  const rows = [];
  for (let y = 0; y < side; ++y) {
    rows.push(Buffer.from([0, ...Array.from({ length: side }, (_, x) => [x * 5, y * 5, 128, 255]).flat()]));
  }
  return Buffer.concat([Buffer.from('89504e470d0a1a0a', 'hex'), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(Buffer.concat(rows))), chunk('IEND', Buffer.alloc(0))]);
}

function sandbox(count) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), `apps-bench-${count}-`));
  const apps = path.join(root, 'data', 'applications');
  const theme = path.join(root, 'data', 'icons', 'Bench');
  fs.mkdirSync(apps, { recursive: true });
  fs.mkdirSync(path.join(theme, '48x48', 'apps'), { recursive: true });
  fs.writeFileSync(path.join(theme, 'index.theme'),
    '[Icon Theme]\nName=Bench\nDirectories=48x48/apps\n[48x48/apps]\nSize=48\nType=Fixed\n');
  const png = gradientPNG(48);
  for (let i = 0; i < count; ++i) {
    fs.writeFileSync(path.join(apps, `org.bench.App${i}.desktop`), `[Desktop Entry]\nType=Application\n` +
      `Name=Bench ${i}\nExec=/bin/true %U\nIcon=bench-${i}\nMimeType=x-scheme-handler/benchscheme;\n`);
    fs.writeFileSync(path.join(theme, '48x48', 'apps', `bench-${i}.png`), png);
  }
  execFileSync('update-desktop-database', [apps]);
  fs.mkdirSync(path.join(root, 'config', 'gtk-3.0'), { recursive: true });
  fs.writeFileSync(path.join(root, 'config', 'gtk-3.0', 'settings.ini'), '[Settings]\ngtk-icon-theme-name=Bench\n');
  const env = { ...process.env, HOME: root, XDG_DATA_HOME: path.join(root, 'data'), XDG_CONFIG_HOME: path.join(root, 'config'),
    XDG_CACHE_HOME: path.join(root, 'cache'), XDG_DATA_DIRS: '/usr/share', XDG_CURRENT_DESKTOP: '', TMPDIR: root };
  return { root, env };
}

const child = `
  const native = require(${JSON.stringify(path.join(buildDir, 'VelquarinNative.node'))});
  const time = (work) => { const start = process.hrtime.bigint(); const value = work(); return [Number(process.hrtime.bigint() - start) / 1e6, value]; };
  const [coldMs, cold] = time(() => JSON.parse(native.applicationsForScheme('benchscheme', 32, process.env.HOME + '/icons')));
  const drawn = require('node:fs').readdirSync(process.env.HOME + '/icons').length;
  native.applicationsForScheme('benchscheme', 32, null);
  const warm = [];
  let count = 0;
  for (let i = 0; i < ${runs}; ++i) {
    const [ms, list] = time(() => JSON.parse(native.applicationsForScheme('benchscheme', 32, null)));
    warm.push(ms);
    count = list.length;
  }
  warm.sort((a, b) => a - b);
  console.log('BENCH ' + JSON.stringify({ count, coldEntries: cold.length, drawn, coldMs, warmMs: warm[warm.length >> 1] }));
`;

const results = [];
for (const count of sizes) {
  const { root, env } = sandbox(count);
  const out = execFileSync(process.execPath, ['-e', child], { env, maxBuffer: 64 << 20 }).toString();
  const figures = JSON.parse(out.split('\n').find((line) => line.startsWith('BENCH ')).slice(6));
  const [gioCount, gioMs] = execFileSync(path.join(buildDir, 'velquarin_gio_list_bench'), ['benchscheme', String(runs)], { env })
    .toString().trim().split(' ').map(Number);
  results.push({ handlers: count, listed: figures.count, gioListed: gioCount, warmMs: figures.warmMs, gioMs,
    overFloor: figures.warmMs / gioMs, drawn: figures.drawn, coldMsPerIcon: figures.coldMs / Math.max(1, figures.drawn) });
  fs.rmSync(root, { recursive: true, force: true });
}
for (let i = 1; i < results.length; ++i) results[i].growthOver10x = results[i].warmMs / results[i - 1].warmMs;
console.table(results.map((r) => Object.fromEntries(Object.entries(r).map(([k, v]) => [k, typeof v === 'number' ? +v.toFixed(3) : v]))));
console.log(`load average: ${os.loadavg().map((v) => v.toFixed(2)).join(' ')}`);
