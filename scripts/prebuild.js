'use strict';
// Makes the prebuilt folder the npm package carries (prebuilds/<platform>-<arch>/): both add-ons,
// the platform library and every other library beside them, the helper programs and the sample
// bundle, all found relative to each other.
//   node scripts/prebuild.js                  a release build in build-prebuild/, then the copy
//   node scripts/prebuild.js --from <folder>  the copy of an existing build
//   --out <folder>                            elsewhere than prebuilds/<platform>-<arch>/
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');

const root = path.resolve(__dirname, '..');

function run(program, args) {
  const { status, error } = spawnSync(program, args, { stdio: 'inherit', cwd: root });
  if (error || status !== 0) throw new Error(`${program} ${args.join(' ')} failed`);
}

function releaseBuild() {
  const build = path.join(root, 'build-prebuild');
  run('cmake', ['-S', root, '-B', build, '-DCMAKE_BUILD_TYPE=Release', '-DVELQUARIN_TESTS=OFF']);
  run('cmake', ['--build', build, '-j', String(os.cpus().length || 1)]);
  return build;
}

// What the package ships of a build folder: no test probe, no benchmark add-ons or programs.
function shipped(build) {
  return fs.readdirSync(build, { withFileTypes: true }).filter((entry) => {
    if (entry.isDirectory()) return entry.name === 'Velquarin.bundle';
    if (!entry.isFile()) return false;
    if (entry.name.endsWith('.node')) return !/^(ZqTestProbe|VelquarinBench)/.test(entry.name);
    if (/^lib.*\.so(\.\d+)*$/.test(entry.name)) return true;
    return /^velquarin-[a-z-]+$/.test(entry.name) && (fs.statSync(path.join(build, entry.name)).mode & 0o111);
  }).map((entry) => entry.name);
}

// A run path that names the build folder would load another build's libraries, or none.
function checkRunPath(file) {
  const { stdout = '' } = spawnSync('readelf', ['-d', file], { encoding: 'utf8' });
  for (const [, paths] of stdout.matchAll(/\((?:RPATH|RUNPATH)\)\s+Library r(?:un)?path: \[(.*)\]/g)) {
    const bad = paths.split(':').filter((entry) => entry && !entry.startsWith('$ORIGIN'));
    if (bad.length > 0) throw new Error(`${file} looks for libraries in ${bad.join(', ')}`);
  }
}

function option(name) {
  const at = process.argv.indexOf(name);
  return at > 0 ? path.resolve(process.argv[at + 1] || '') : null;
}

function main() {
  const build = option('--from') || releaseBuild();
  const names = shipped(build);
  if (!names.includes('VelquarinNative.node') || !names.includes('VelquarinPlatform.node')) {
    throw new Error(`${build} holds no built add-ons`);
  }
  const out = option('--out') || path.join(root, 'prebuilds', `${process.platform}-${process.arch}`);
  fs.rmSync(out, { recursive: true, force: true });
  fs.mkdirSync(out, { recursive: true });
  for (const name of names) {
    const target = path.join(out, name);
    fs.cpSync(path.join(build, name), target, { recursive: true });
    if (name.endsWith('.bundle')) continue;
    checkRunPath(target);
    // Debug information is for the developers' builds; symbols stay for crash reports.
    run('strip', ['--strip-debug', target]);
  }
  console.log(`prebuilt: ${out} (${names.join(', ')})`);
}

try {
  main();
} catch (error) {
  console.error(`prebuild: ${error.message}`);
  process.exitCode = 1;
}
