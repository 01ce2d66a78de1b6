'use strict';
// Reachability: the answer on this machine, and real link changes in a network namespace
// that the test makes (as root) and removes again.
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const { buildDir, loadModule, loadPlatform } = require('./support');

const native = loadModule();
const platform = loadPlatform();

test('one monitor is started at start-up; the callback setter checks its contract', () => {
  assert.equal(typeof native.isNetworkReachable(), 'boolean');
  assert.equal(platform.reachabilityMonitors(), 1);
  assert.throws(() => native.setNetworkReachabilityCallbackFunction('no function'), TypeError);
});

const isRoot = typeof process.getuid === 'function' && process.getuid() === 0;
const hasIp = spawnSync('ip', ['-V'], { stdio: 'ignore' }).status === 0;
const skipNamespace = !isRoot ? 'creating a network namespace needs root'
  : !hasIp ? 'ip (iproute2) is not installed' : false;

// The module inside the namespace: reports on stderr (in line with its own log lines) and
// takes commands on stdin.
const childScript = `
  const fs = require('node:fs');
  const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
  const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
  // Info lines are written asynchronously: flush them so the output shows the true order.
  const say = (line) => { platform.flushLogs(); fs.writeSync(2, '@@ ' + line + '\\n'); };
  say('start ' + native.isNetworkReachable());
  let pending = '';
  process.stdin.setEncoding('utf8');
  process.stdin.on('data', (text) => {
    pending += text;
    for (let end; (end = pending.indexOf('\\n')) >= 0; pending = pending.slice(end + 1)) {
      const command = pending.slice(0, end);
      if (command === 'set') {
        native.setNetworkReachabilityCallbackFunction(() => say('replaced callback called'));
        native.setNetworkReachabilityCallbackFunction((value) =>
          say('callback ' + value + ' ' + native.isNetworkReachable()));
        say('set');
      } else if (command === 'exit') {
        process.exit(0);
      }
    }
  });
`;

test('link changes in a namespace: logged before a callback exists, then reported false and true',
  { skip: skipNamespace, timeout: 60000 }, async () => {
    const ns = `vqreach${process.pid}`;
    const ip = (...args) => {
      const result = spawnSync('ip', args, { encoding: 'utf8' });
      if (result.status !== 0) throw new Error(`ip ${args.join(' ')}: ${result.stderr}`);
    };
    ip('netns', 'add', ns);
    let child;
    try {
      // A link with a default route through a peer; documentation addresses, no traffic.
      ip('-n', ns, 'link', 'set', 'lo', 'up');
      ip('-n', ns, 'link', 'add', 'veth0', 'type', 'veth', 'peer', 'name', 'veth1');
      for (const link of ['veth0', 'veth1']) ip('-n', ns, 'link', 'set', link, 'addrgenmode', 'none');
      ip('-n', ns, 'addr', 'add', '198.51.100.2/24', 'dev', 'veth0');
      ip('-n', ns, 'link', 'set', 'veth0', 'up');
      ip('-n', ns, 'link', 'set', 'veth1', 'up');
      ip('-n', ns, 'route', 'add', 'default', 'via', '198.51.100.1');

      child = spawn('ip', ['netns', 'exec', ns, process.execPath, '-e', childScript], {
        env: { ...process.env, VELQUARIN_BUILD_DIR: buildDir },
        stdio: ['pipe', 'ignore', 'pipe'],
      });
      const lines = [];
      const waiters = new Set();
      let partial = '';
      child.stderr.setEncoding('utf8');
      child.stderr.on('data', (text) => {
        partial += text;
        const complete = partial.split('\n');
        partial = complete.pop();
        lines.push(...complete);
        for (const waiter of waiters) waiter();
      });
      const waitFor = (pattern, from) => new Promise((resolve, reject) => {
        const check = () => {
          const index = lines.findIndex((line, i) => i >= from && pattern.test(line));
          if (index < 0) return;
          waiters.delete(check);
          clearTimeout(timer);
          resolve(index);
        };
        const timer = setTimeout(() => {
          waiters.delete(check);
          reject(new Error(`no line matching ${pattern}; saw:\n${lines.join('\n')}`));
        }, 10000);
        waiters.add(check);
        check();
      });
      const infoLine = (reachable) =>
        new RegExp(`\\[info\\] Reachability/ZqReachability:.* reachabilityChanged - ${reachable ? 'reachable' : 'not reachable'}$`);

      const started = await waitFor(/^@@ start true$/, 0);
      // A change while no callback is stored: logged, nothing called.
      ip('-n', ns, 'addr', 'add', '198.51.100.3/24', 'dev', 'veth0');
      await waitFor(infoLine(true), started);
      await new Promise((resolve) => setTimeout(resolve, 300));
      assert.equal(lines.filter((line) => line.startsWith('@@ callback')).length, 0);

      child.stdin.write('set\n');
      let mark = await waitFor(/^@@ set$/, started);
      ip('-n', ns, 'link', 'set', 'veth1', 'down');  // veth0 loses its carrier
      const down = await waitFor(/^@@ callback false false$/, mark);
      const downInfo = await waitFor(infoLine(false), mark);
      assert.ok(downInfo < down, 'the info line comes before the callback');

      mark = down + 1;
      ip('-n', ns, 'link', 'set', 'veth1', 'up');
      const up = await waitFor(/^@@ callback true true$/, mark);
      const upInfo = await waitFor(infoLine(true), mark);
      assert.ok(upInfo < up, 'the info line comes before the callback');

      // Every callback follows at least as many info lines as there were callbacks so far.
      let infos = 0;
      let callbacks = 0;
      for (const line of lines.slice(started)) {
        if (/reachabilityChanged - /.test(line)) infos += 1;
        if (line.startsWith('@@ callback')) assert.ok(++callbacks <= infos, line);
      }
      assert.equal(lines.filter((line) => line === '@@ replaced callback called').length, 0);
      child.stdin.write('exit\n');
    } finally {
      if (child && child.exitCode === null) child.kill();
      spawnSync('ip', ['netns', 'del', ns]);
    }
  });
