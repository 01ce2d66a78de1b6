'use strict';
// HTTP requests side by side: the module's createRequest against node:http (keep-alive
// agent) and undici (Pool.request), all asking one server in its own Node.js process on
// 127.0.0.1.
//   W1: 20,000 GETs of a 100-byte body, 50 in flight at a time.
//   W2: one 256 MiB download.
// The client's own CPU per request is W1's headline figure: on an idle machine the server
// bounds requests/s.
// Every run of every client is a fresh process (so its peak memory is its own); rounds
// interleave the clients so machine noise lands on all of them alike. Medians of RUNS runs.
const path = require('node:path');
const net = require('node:net');
const os = require('node:os');
const { spawn, execFileSync } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const RUNS = Number(process.env.RUNS || 5);
const W1_REQUESTS = Number(process.env.W1_REQUESTS || 20000);
const W1_CONCURRENCY = 50;
// WORKLOADS=W1 (or W2) runs one of them only.
const WORKLOADS = (process.env.WORKLOADS || 'W1,W2').split(',').filter((w) => w === 'W1' || w === 'W2');
const W2_BYTES = 256 * 1024 * 1024;
const SMALL_BODY = Buffer.alloc(100, 'v');

// ---- the server process: a minimal HTTP/1.1 responder, so the clients are what is measured.
function runServer() {
  const block = Buffer.alloc(1 << 20, 'b');
  const smallResponse = Buffer.concat([
    Buffer.from(`HTTP/1.1 200 OK\r\nContent-Length: ${SMALL_BODY.length}\r\nContent-Type: text/plain\r\n\r\n`),
    SMALL_BODY,
  ]);
  const server = net.createServer((socket) => {
    socket.setNoDelay(true);
    let pending = '';
    let busy = false;
    const serveNext = () => {
      for (let end; !busy && (end = pending.indexOf('\r\n\r\n')) >= 0;) {
        const head = pending.slice(0, end);
        pending = pending.slice(end + 4);
        const target = head.slice(0, head.indexOf('\r\n')).split(' ')[1];
        if (target === '/big') {
          busy = true;
          socket.write(`HTTP/1.1 200 OK\r\nContent-Length: ${W2_BYTES}\r\n\r\n`);
          let sent = 0;
          const pump = () => {
            while (sent < W2_BYTES) {
              sent += block.length;
              if (!socket.write(block)) return socket.once('drain', pump);
            }
            busy = false;
            serveNext();
          };
          pump();
        } else {
          socket.write(smallResponse);
        }
      }
    };
    socket.on('data', (chunk) => {
      pending += chunk.toString('latin1');
      serveNext();
    });
    socket.on('error', () => {});
  });
  server.listen(0, '127.0.0.1', () => process.stdout.write(`${server.address().port}\n`));
}

// ---- one client run: prints {wallMs, cpuMs, peakMiB, requests, bytes} as JSON.
async function runClient(client, workload, port) {
  const origin = `http://127.0.0.1:${port}`;
  let get;  // (path) => Promise<byteLength>
  let close = async () => {};
  if (client === 'module') {
    const native = require(path.join(buildDir, 'VelquarinNative.node'));
    get = (p) => new Promise((resolve, reject) => {
      const request = native.createRequest(origin + p);
      request.on('end', (r) => resolve(r.buffer.byteLength));
      request.on('error', (text) => reject(new Error(text)));
      request.start();
    });
  } else if (client === 'node:http') {
    const http = require('node:http');
    const agent = new http.Agent({ keepAlive: true, maxSockets: W1_CONCURRENCY });
    get = (p) => new Promise((resolve, reject) => {
      http.get(origin + p, { agent }, (res) => {
        const chunks = [];
        res.on('data', (chunk) => chunks.push(chunk));
        res.on('end', () => resolve(Buffer.concat(chunks).length));
        res.on('error', reject);
      }).on('error', reject);
    });
    close = async () => agent.destroy();
  } else {
    const { Pool } = require('undici');
    const pool = new Pool(origin, { connections: W1_CONCURRENCY });
    get = async (p) => {
      const { body } = await pool.request({ path: p, method: 'GET' });
      return (await body.arrayBuffer()).byteLength;
    };
    close = () => pool.close();
  }

  const cpuBefore = process.cpuUsage();
  const started = process.hrtime.bigint();
  let requests = 0;
  let bytes = 0;
  if (workload === 'W1') {
    let next = 0;
    const worker = async () => {
      while (next < W1_REQUESTS) {
        next += 1;
        const received = await get('/small');
        bytes += received;
        requests += 1;
      }
    };
    await Promise.all(Array.from({ length: W1_CONCURRENCY }, worker));
  } else {
    bytes = await get('/big');
    requests = 1;
  }
  const wallMs = Number(process.hrtime.bigint() - started) / 1e6;
  const cpu = process.cpuUsage(cpuBefore);
  await close();
  process.stdout.write(JSON.stringify({
    wallMs,
    cpuMs: (cpu.user + cpu.system) / 1000,
    peakMiB: process.resourceUsage().maxRSS / 1024,
    requests,
    bytes,
  }));
}

// ---- the driver.
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

// With two cores or more, the server and the clients get one core each: left to the scheduler
// on a 2-core machine, they share cores by chance and a client's CPU per request swings by half.
function canPin() {
  if (os.availableParallelism() < 2) return false;
  try {
    execFileSync('taskset', ['-c', '0', 'true'], { stdio: 'ignore' });
    return true;
  } catch {
    return false;
  }
}

async function main() {
  const pin = canPin();
  const onCore = (cpu, args) => (pin
    ? ['taskset', ['-c', String(cpu), process.execPath, ...args]]
    : [process.execPath, args]);
  const onServerCore = (args) => onCore(0, args);
  const onClientCore = (args) => onCore(1, args);
  const server = spawn(...onServerCore([__filename, '--server']), { stdio: ['ignore', 'pipe', 'inherit'] });
  const port = await new Promise((resolve) => server.stdout.once('data', (text) => resolve(Number(String(text).trim()))));
  const clients = ['module', 'node:http', 'undici'];
  const results = {};
  try {
    for (const workload of WORKLOADS) {
      results[workload] = Object.fromEntries(clients.map((client) => [client, []]));
      for (let run = 0; run < RUNS; ++run) {
        for (const client of clients) {
          const output = execFileSync(...onClientCore([__filename, '--client', client, workload, String(port)]),
            { env: { ...process.env, VELQUARIN_BUILD_DIR: buildDir }, stdio: ['ignore', 'pipe', 'ignore'] });
          const sample = JSON.parse(output);
          const expected = workload === 'W1' ? W1_REQUESTS * SMALL_BODY.length : W2_BYTES;
          if (sample.bytes !== expected) throw new Error(`${client} ${workload}: ${sample.bytes} bytes`);
          results[workload][client].push(sample);
        }
      }
    }
  } finally {
    server.kill();
  }

  console.log(`network benchmark, medians of ${RUNS} runs, server in its own process on 127.0.0.1` +
    (pin ? ', server on core 0 and clients on core 1' : ', unpinned'));
  for (const workload of WORKLOADS) {
    const label = workload === 'W1'
      ? `W1: ${W1_REQUESTS} GETs of ${SMALL_BODY.length} bytes, ${W1_CONCURRENCY} in flight`
      : `W2: one download of ${W2_BYTES / 1048576} MiB`;
    console.log(label);
    const summary = {};
    for (const client of clients) {
      const samples = results[workload][client];
      const wall = median(samples.map((s) => s.wallMs));
      summary[client] = {
        rps: median(samples.map((s) => s.requests / (s.wallMs / 1000))),
        wall,
        cpu: median(samples.map((s) => s.cpuMs)),
        cpuPerRequestUs: median(samples.map((s) => (s.cpuMs * 1000) / s.requests)),
        peak: median(samples.map((s) => s.peakMiB)),
      };
      const s = summary[client];
      console.log(`  ${client.padEnd(10)} ${s.rps.toFixed(0).padStart(7)} req/s  wall ${s.wall.toFixed(0).padStart(6)} ms` +
        `  cpu ${s.cpu.toFixed(0).padStart(6)} ms  peak RSS ${s.peak.toFixed(0).padStart(5)} MiB`);
    }
    const ours = summary.module;
    if (workload === 'W1') {
      // The server bounds requests/s on an idle machine; the client's own CPU tells them apart.
      for (const peer of ['node:http', 'undici']) {
        const p = summary[peer];
        console.log(`  client CPU per request: module ${ours.cpuPerRequestUs.toFixed(1)} µs, ${peer} ` +
          `${p.cpuPerRequestUs.toFixed(1)} µs, ratio ${(ours.cpuPerRequestUs / p.cpuPerRequestUs).toFixed(2)}x` +
          ` (req/s ${(ours.rps / p.rps).toFixed(2)}x)`);
      }
    }
    for (const peer of ['node:http', 'undici']) {
      const p = summary[peer];
      console.log(`  module vs ${peer}: req/s ${(ours.rps / p.rps).toFixed(2)}x, wall ${(ours.wall / p.wall).toFixed(2)}x,` +
        ` cpu ${(ours.cpu / p.cpu).toFixed(2)}x, peak RSS ${(ours.peak / p.peak).toFixed(2)}x`);
    }
    if (workload === 'W2') {
      console.log(`  module peak RSS / body size: ${(ours.peak / (W2_BYTES / 1048576)).toFixed(2)}x`);
    }
  }
}

if (process.argv[2] === '--server') {
  runServer();
} else if (process.argv[2] === '--client') {
  runClient(process.argv[3], process.argv[4], Number(process.argv[5])).catch((error) => {
    console.error(error);
    process.exit(1);
  });
} else {
  main().catch((error) => {
    console.error(error);
    process.exitCode = 1;
  });
}
