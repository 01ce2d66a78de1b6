'use strict';
// Runs when a project installs the package: the prebuilt add-ons when every library they need
// is on this machine, else a source build with CMake. Forced source build:
// `npm install --build-from-source` or VELQUARIN_BUILD_FROM_SOURCE=1.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { root, prebuiltFolder } = require('../common/node/addon-path');

const say = (text) => console.log(`velquarin-native: ${text}`);

function onPath(program) {
  return (process.env.PATH || '').split(path.delimiter).some((folder) => {
    try {
      fs.accessSync(path.join(folder, program), fs.constants.X_OK);
      return true;
    } catch {
      return false;
    }
  });
}

// The shared libraries and symbol versions the dynamic linker cannot find for these files.
function unresolved(files) {
  if (!onPath('ldd')) return [];
  const missing = new Set();
  for (const file of files) {
    const { stdout = '', stderr = '' } = spawnSync('ldd', [file], { encoding: 'utf8' });
    for (const line of `${stdout}\n${stderr}`.split('\n')) {
      if (/not found/.test(line)) missing.add(line.trim().replace(/ \(0x[0-9a-f]+\)$/, ''));
    }
  }
  return [...missing];
}

function prebuiltUsable() {
  const folder = prebuiltFolder();
  if (!folder || !fs.existsSync(path.join(folder, 'VelquarinNative.node'))) {
    say(`no prebuilt binaries for ${process.platform}-${process.arch} (glibc)`);
    return false;
  }
  const binaries = fs.readdirSync(folder).filter((name) => /\.(node|so(\.\d+)*)$/.test(name))
    .map((name) => path.join(folder, name));
  const missing = unresolved(binaries);
  if (missing.length === 0) {
    say(`using the prebuilt binaries in ${path.relative(process.cwd(), folder) || folder}`);
    return true;
  }
  say(`the prebuilt binaries need what this system lacks:\n  ${missing.join('\n  ')}`);
  return false;
}

// Debian packages a source build needs: the deps/apt lists' development packages and tools
// (the tests' peers and fuzzing runtimes are not needed here).
function buildPackages() {
  const folder = path.join(root, 'deps', 'apt');
  const names = new Set(['build-essential', 'cmake', 'pkg-config']);
  for (const file of fs.readdirSync(folder).filter((name) => name.endsWith('.txt'))) {
    for (const line of fs.readFileSync(path.join(folder, file), 'utf8').split('\n')) {
      const name = line.replace(/#.*/, '').trim();
      if (/-dev$/.test(name) && !/^(libgtest|libclang-rt)/.test(name)) names.add(name);
    }
  }
  return [...names].sort();
}

function missingPackages(packages) {
  if (!onPath('dpkg-query')) return [];
  const { stdout = '' } = spawnSync('dpkg-query', ['-W', '-f=${Package} ${Status}\n', ...packages],
    { encoding: 'utf8' });
  const installed = new Set(stdout.split('\n').filter((line) => / installed$/.test(line))
    .map((line) => line.split(' ')[0]));
  return packages.filter((name) => !installed.has(name));
}

function run(program, args) {
  say(`${program} ${args.join(' ')}`);
  const { status, error } = spawnSync(program, args, { stdio: 'inherit', cwd: root });
  if (error || status !== 0) {
    throw new Error(`${program} failed${error ? `: ${error.message}` : ` with status ${status}`}`);
  }
}

function buildFromSource() {
  const missing = missingPackages(buildPackages());
  const tools = ['cmake', 'pkg-config'].filter((tool) => !onPath(tool));
  if (missing.length > 0 || tools.length > 0) {
    say(`cannot build from source: missing ${[...missing, ...tools].join(' ')}`);
    if (missing.length > 0) say(`install them with: sudo apt-get install ${missing.join(' ')}`);
    return false;
  }
  const addonApi = path.dirname(require.resolve('node-addon-api/package.json', { paths: [root] }));
  const build = path.join(root, 'build');
  const type = process.env.VELQUARIN_BUILD_TYPE || 'Release';
  try {
    run('cmake', ['-S', root, '-B', build, `-DCMAKE_BUILD_TYPE=${type}`, '-DVELQUARIN_TESTS=OFF',
      `-DNODE_ADDON_API_DIR=${addonApi}`]);
    run('cmake', ['--build', build, '-j', String(os.cpus().length || 1)]);
  } catch (error) {
    say(`the source build failed (${error.message}); nothing was installed`);
    fs.rmSync(build, { recursive: true, force: true });
    return false;
  }
  say(`built from source in ${build}`);
  return true;
}

function main() {
  // The repository itself (the package carries no tests) builds with scripts/setup.sh.
  if (fs.existsSync(path.join(root, '.git')) || fs.existsSync(path.join(root, 'tests'))) return true;
  const forced = process.env.npm_config_build_from_source === 'true' ||
    process.env.VELQUARIN_BUILD_FROM_SOURCE === '1';
  if (!forced && prebuiltUsable()) return true;
  return buildFromSource();
}

process.exitCode = main() ? 0 : 1;
