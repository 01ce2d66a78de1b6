'use strict';
// Shared helpers of the JavaScript suite: where the build is and how to run a child host.
const path = require('node:path');
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

module.exports = { buildDir, addonPath, loadModule, loadPlatform, loadProbe, runChild };
