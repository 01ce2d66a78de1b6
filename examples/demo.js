'use strict';
// The demo host: loads the module and the platform binding the way a desktop host would,
// then walks through each subsystem's scene in examples/demo/ (in file-name order).
const fs = require('node:fs');
const path = require('node:path');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const native = require(path.join(buildDir, 'VelquarinNative.node'));
const platform = require(path.join(buildDir, 'VelquarinPlatform.node'));

const say = (...parts) => console.log('[demo]', ...parts);

async function main() {
  const scenes = fs.readdirSync(path.join(__dirname, 'demo'))
    .filter((file) => file.endsWith('.js'))
    .sort();
  for (const file of scenes) {
    const scene = require(path.join(__dirname, 'demo', file));
    say(`--- ${scene.title || file} ---`);
    await scene.run({ native, platform, say });
  }
  say('done');
}

main().catch((error) => {
  console.error('[demo] failed:', error);
  process.exitCode = 1;
});
