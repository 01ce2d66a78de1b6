#!/usr/bin/env node
'use strict';
// Writes cmake/startup.order: the functions of the add-on and the platform library that a
// host's launch runs (require, the start-up tasks after it, one HTTP request), as the linker
// lays them out first. Run under valgrind's callgrind, which records every function executed.
//   node scripts/startup-order.js [build folder]
// Rebuild afterwards. An outdated list is harmless: functions it no longer names are simply
// laid out where the sources put them.
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { execFileSync, spawn } = require('node:child_process');

const root = path.resolve(__dirname, '..');
const buildDir = path.resolve(process.argv[2] || path.join(root, 'build'));
const output = path.join(root, 'cmake', 'startup.order');
const libraries = ['VelquarinNative.node', 'libvelquarin-platform.so'];

const launch = (url) => `
  const native = require(${JSON.stringify(path.join(buildDir, 'VelquarinNative.node'))});
  const request = native.createRequest(${JSON.stringify(url)});
  request.on('end', () => {});
  request.on('error', (text) => { console.error(text); process.exitCode = 1; });
  request.start();
  // Start-up tasks queued for after require run meanwhile.
  setTimeout(() => {}, 1500);`;

function profile(script, env, outFile) {
  return new Promise((resolve, reject) => {
    const child = spawn('valgrind', ['--tool=callgrind', '--demangle=no',
      `--callgrind-out-file=${outFile}`, process.execPath, '-e', script],
    { env, stdio: ['ignore', 'ignore', 'pipe'] });
    let errors = '';
    child.stderr.on('data', (text) => { errors += text; });
    child.on('error', reject);
    child.on('exit', (code) => (code === 0 ? resolve() : reject(new Error(`valgrind exited ${code}:\n${errors}`))));
  });
}

// Function names per object from a callgrind profile. Names may be given once with an id,
// "fn=(12) name", and then by id alone; objects ("ob=") the same way.
function executedFunctions(file) {
  const names = { ob: new Map(), fn: new Map() };
  const resolve = (kind, value) => {
    const match = /^\((\d+)\)(?: (.*))?$/.exec(value);
    if (!match) return value;
    if (match[2] !== undefined) names[kind].set(match[1], match[2]);
    return names[kind].get(match[1]);
  };
  const found = new Map();
  let object = '';
  for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
    const match = /^(c?)(ob|fn)=(.*)$/.exec(line);
    if (!match) continue;
    const [, called, kind, value] = match;
    // A recursion depth is shown as a suffix: foo'2.
    const name = resolve(kind, value)?.replace(/'\d+$/, '');
    if (called) continue;
    if (kind === 'ob') {
      object = path.basename(name);
    } else if (libraries.includes(object) && !name.startsWith('0x')) {
      if (!found.has(object)) found.set(object, new Set());
      found.get(object).add(name);
    }
  }
  return found;
}

async function main() {
  try {
    execFileSync('valgrind', ['--version'], { stdio: 'ignore' });
  } catch {
    throw new Error('valgrind is needed: apt-get install valgrind');
  }
  const server = http.createServer((request, response) => response.end('v'.repeat(100)));
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'startup-order-'));
  // With the caller's session bus, when there is one, and without any.
  const noBus = { ...process.env };
  delete noBus.DBUS_SESSION_BUS_ADDRESS;
  delete noBus.XDG_RUNTIME_DIR;
  const environments = process.env.DBUS_SESSION_BUS_ADDRESS ? [process.env, noBus] : [noBus];
  // Per library, how many of the launches ran each function.
  const functions = new Map(libraries.map((library) => [library, new Map()]));
  try {
    for (const [index, env] of environments.entries()) {
      const outFile = path.join(work, `callgrind.${index}`);
      await profile(launch(url), env, outFile);
      for (const [library, names] of executedFunctions(outFile)) {
        const runs = functions.get(library);
        names.forEach((name) => runs.set(name, (runs.get(name) || 0) + 1));
      }
    }
  } finally {
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  const lines = ['# Functions a launch runs (require, start-up tasks, one HTTP request), laid out',
    '# first by the linker. Written by scripts/startup-order.js; do not edit by hand.'];
  // What every launch runs comes first, so that it stays together whatever the session.
  for (const library of libraries) {
    const runs = functions.get(library);
    const names = [...runs.keys()].sort();
    lines.push(`# ${library}`, ...names.filter((name) => runs.get(name) === environments.length),
      ...names.filter((name) => runs.get(name) < environments.length));
  }
  fs.writeFileSync(output, `${lines.join('\n')}\n`);
  console.log(`${path.relative(root, output)}: ${libraries.map((l) => `${functions.get(l).size} in ${l}`).join(', ')}`);
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
