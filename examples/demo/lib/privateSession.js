'use strict';
// Runs a scene's source in a host of its own inside a private session bus started by one of
// the scripts/*-session.sh scripts, so the demo never touches the services of whoever runs it.
const path = require('node:path');
const { spawnSync } = require('node:child_process');

const root = path.resolve(__dirname, '..', '..', '..');
const buildDir = process.env.VELQUARIN_BUILD_DIR || path.join(root, 'build');

function runInPrivateSession(sessionScript, source) {
  return spawnSync('bash', [path.join(root, 'scripts', sessionScript), process.execPath, '-e', source], {
    env: { ...process.env, VELQUARIN_BUILD_DIR: buildDir },
    encoding: 'utf8',
    timeout: 60000,
  });
}

module.exports = { buildDir, runInPrivateSession };
