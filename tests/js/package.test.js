'use strict';
// The npm package as an application gets it: packed, installed offline into a new project, used
// from its prebuilt folder, then built from source there once that folder is gone.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { buildDir, runChild, solidPNG } = require('./support');

const root = path.resolve(__dirname, '..', '..');
const work = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'package-js-'));
const app = path.join(work, 'app');
// The sanitizer run's build cannot load in a plain host; the package is the plain build.
const skip = process.env.VELQUARIN_UNSANITIZED_NODE ? 'sanitizer build' : false;

function run(program, args, cwd, env = {}) {
  const result = spawnSync(program, args, { cwd, encoding: 'utf8', env: { ...process.env, ...env } });
  assert.equal(result.status, 0, `${program} ${args.join(' ')}\n${result.stdout}\n${result.stderr}`);
  return result.stdout;
}
const npm = (args, cwd, env) => run('npm', [...args, '--no-audit', '--no-fund'], cwd, env);

// The two entries and a few exports, from the application's folder; one image call opens the
// image library from the prebuilt folder.
async function useInApp() {
  const picture = path.join(work, 'grey.png');
  fs.writeFileSync(picture, solidPNG(20, 20));
  const { code, stdout, stderr } = await runChild(`
    const http = require('node:http');
    const load = require('node:module').createRequire(${JSON.stringify(app + '/')});
    const native = load('velquarin-native');
    const platform = load('velquarin-native/platform');
    const server = http.createServer((req, res) => res.end('hello ' + req.url)).listen(0, () => {
      const request = native.createRequest('http://127.0.0.1:' + server.address().port + '/x');
      request.on('end', (done) => {
        console.log(JSON.stringify({ bundle: native.getBundlePath(), release: native.getReleaseString(),
          body: Buffer.from(done.buffer).toString(), observe: typeof platform.observe,
          scaled: typeof native.scaleImage(${JSON.stringify(picture)}, 'PNG', 8, 8) }));
        server.close();
      });
      request.on('error', (text) => { console.log(text); server.close(); });
      request.start();
    });`, { env: { XDG_CONFIG_HOME: path.join(work, 'config') } });
  assert.equal(code, 0, stderr);
  return JSON.parse(stdout.trim().split('\n').pop());
}

test.after(() => fs.rmSync(work, { recursive: true, force: true }));

// The repository's tracked files with a prebuilt folder, as a release would pack them.
function packageSource() {
  const source = path.join(work, 'source');
  for (const file of run('git', ['ls-files', '-z', '--cached', '--others', '--exclude-standard'], root).split('\0').filter(Boolean)) {
    fs.mkdirSync(path.dirname(path.join(source, file)), { recursive: true });
    fs.copyFileSync(path.join(root, file), path.join(source, file));
  }
  run(process.execPath, [path.join(root, 'scripts', 'prebuild.js'), '--from', buildDir,
    '--out', path.join(source, 'prebuilds', `${process.platform}-${process.arch}`)], root);
  return source;
}

test('the packed package installs offline into a new project and works from its prebuilt folder',
  { skip, timeout: 300000 }, async () => {
    const [{ filename, files }] = JSON.parse(npm(['pack', packageSource(), '--json', '--pack-destination', work], root));
    const names = files.map((file) => file.path);
    for (const name of ['VelquarinNative.node', 'VelquarinPlatform.node', 'libvelquarin-platform.so',
      'libvelquarin-images.so', 'libvelquarin-curl.so', 'libvelquarin-printing.so', 'libvelquarin-svg.so',
      'libvelquarin-sound.so', 'libvelquarin-drawing.so', 'libvelquarin-xml.so',
      'libvelquarin-secret.so', 'libvelquarin-x11.so', 'libvelquarin-gio.so',
      'libvelquarin-menujson.so', 'libvelquarin-sdbus.so', 'libvelquarin-glib.so',
      'velquarin-relaunch', 'velquarin-thumbnailer', 'Velquarin.bundle/Info.plist']) {
      assert.ok(names.includes(`prebuilds/linux-x64/${name}`), name);
    }
    assert.ok(names.includes('scripts/install.js') && names.includes('CMakeLists.txt'));
    assert.deepEqual(names.filter((name) => /^(tests|bench|fuzz|build[^/]*)\/|ZqTestProbe/.test(name)), []);

    // node-addon-api (the source build's) comes from the repository's copy: no registry.
    npm(['pack', path.join(root, 'node_modules', 'node-addon-api'), '--pack-destination', work], root);
    fs.mkdirSync(app);
    fs.writeFileSync(path.join(app, 'package.json'), '{"name": "app", "version": "1.0.0", "private": true}');
    const addonApi = fs.readdirSync(work).find((name) => name.startsWith('node-addon-api-'));
    npm(['install', '--offline', path.join(work, addonApi), path.join(work, filename)], app);

    const used = await useInApp();
    assert.equal(used.bundle,
      path.join(fs.realpathSync(app), 'node_modules/velquarin-native/prebuilds/linux-x64/Velquarin.bundle'));
    assert.match(used.release, /^\d+(\.\d+)* \(\d+\)$/);
    assert.equal(used.body, 'hello /x');
    assert.equal(used.observe, 'function');
    assert.equal(used.scaled, 'string');
  });

test('without the prebuilt folder the install script builds from source', {
  skip: skip || (process.env.VELQUARIN_TEST_SOURCE_BUILD !== '1' && 'VELQUARIN_TEST_SOURCE_BUILD=1 runs it'),
  timeout: 40 * 60000,
}, async () => {
  const installed = path.join(app, 'node_modules', 'velquarin-native');
  fs.rmSync(path.join(installed, 'prebuilds'), { recursive: true });
  // npm 11 runs a dependency's install script once approved; older versions always do.
  spawnSync('npm', ['install-scripts', 'approve', 'velquarin-native'], { cwd: app });
  // An unoptimised build: this checks the road, not the code.
  const log = npm(['rebuild', 'velquarin-native', '--foreground-scripts'], app,
    { VELQUARIN_BUILD_TYPE: 'None' });
  assert.match(log, /built from source/);
  const used = await useInApp();
  assert.equal(used.bundle, path.join(fs.realpathSync(installed), 'build/Velquarin.bundle'));
  assert.equal(used.body, 'hello /x');
});
