'use strict';
// Libraries start-up does not need are opened on first use: requiring the module maps no image,
// HTTP, TLS, printing, SVG, sound-file, drawing, XML, credential-store, X11, GIO or JSON library,
// nor the bus library without a session bus to reach; the first image call opens the image one alone.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { buildDir, runChild, solidPNG, readPNG } = require('./support');

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'lazy-images-'));
const picture = path.join(scratch, 'grey.png');
fs.writeFileSync(picture, solidPNG(40, 20));

// The shared libraries mapped before require, after it, and after one scaleImage call; then
// what a credential read, a keyboard layout and an HTTP request to a closed port answer.
const probe = (addonDir) => `
  const fs = require('node:fs');
  const path = require('node:path');
  const mapped = () => [...new Set(fs.readFileSync('/proc/self/maps', 'utf8').split('\\n')
    .map((line) => line.split(/\\s+/)[5]).filter((file) => file && file.includes('.so'))
    .map((file) => path.basename(file)))];
  const threads = () => fs.readdirSync('/proc/self/task').length;
  // KiB of the module's and the platform library's code resident in this process.
  const residentCode = () => {
    let code = false;
    let kib = 0;
    for (const line of fs.readFileSync('/proc/self/smaps', 'utf8').split('\\n')) {
      const mapping = /^[0-9a-f]+-[0-9a-f]+ (\\S+)(?: \\S+){3}\\s*(.*)$/.exec(line);
      if (mapping) code = mapping[1] === 'r-xp' && /(VelquarinNative\\.node|libvelquarin-platform\\.so)$/.test(mapping[2]);
      const rss = /^Rss:\\s+(\\d+) kB/.exec(line);
      if (rss && code) kib += Number(rss[1]);
    }
    return kib;
  };
  const before = mapped();
  const threadsBefore = threads();
  const native = require(${JSON.stringify(path.join(addonDir, 'VelquarinNative.node'))});
  const atStart = mapped().filter((name) => !before.includes(name));
  const threadsStarted = threads() - threadsBefore;
  const codeKiB = residentCode();
  const scaled = native.scaleImage(${JSON.stringify(picture)}, 'PNG', 10, 10);
  const afterImage = mapped();
  const apps = JSON.parse(native.applicationsForScheme('x-velquarin-lazy', 16, null));
  const afterApps = mapped();
  const credential = JSON.parse(native.getPasswordForAccount('lazy-probe-account'));
  const layout = require(${JSON.stringify(path.join(addonDir, 'VelquarinPlatform.node'))}).setKeyboardLayout('us');
  const request = native.createRequest('http://127.0.0.1:9/');
  request.on('error', (http) => console.log(JSON.stringify({ atStart, threadsStarted, codeKiB, afterImage, apps, afterApps, scaled, credential, layout, http })));
  request.start();`;

async function run(addonDir, env = {}) {
  const { code, stdout, stderr } = await runChild(probe(addonDir), { timeoutMs: 60000, env });
  assert.equal(code, 0, stderr);
  return { ...JSON.parse(stdout.trim().split('\n').at(-1)), stderr };
}

const heavy = new RegExp('^(libvips|libcurl|libssl|libcrypto|libgnutls|libcups|librsvg|libkrb5|' +
  'libsndfile|libcairo|libpango|libharfbuzz|libxml2|libicu|libsecret|libxcb|libxkbcommon|libgio|libgobject|libsimdjson|' +
  'libspdlog|libfmt|libglib|libpcre2|' +
  'libvelquarin-(images|curl|printing|svg|sound|drawing|xml|secret|x11|gio|menujson|glib))');

test('require maps no library opened on first use; an image call opens the image one alone', async () => {
  const { atStart, afterImage, afterApps, scaled, layout, http } = await run(buildDir);
  assert.equal(layout, true);
  assert.doesNotMatch(http, /could not be loaded/);
  assert.ok(atStart.includes('libvelquarin-platform.so'), atStart.join(' '));
  assert.deepEqual(atStart.filter((name) => heavy.test(name)), []);
  assert.ok(afterImage.some((name) => name.startsWith('libvips.so')), afterImage.join(' '));
  assert.deepEqual(afterImage.filter((name) => /^libvelquarin-(curl|printing|svg|sound|drawing|xml|secret|x11|gio)/.test(name)), []);
  assert.ok(afterApps.includes('libvelquarin-gio.so'), afterApps.join(' '));
  const { width, height } = readPNG(scaled);
  assert.deepEqual([width, height], [10, 5]);

  // The bus library is not the platform library's dependency: only a bus to reach opens it.
  const noBus = await run(buildDir, { DBUS_SESSION_BUS_ADDRESS: undefined, XDG_RUNTIME_DIR: undefined });
  assert.deepEqual(noBus.atStart.filter((name) => /^lib(systemd|velquarin-sdbus)/.test(name)), []);
  // Nor does anything wait on a thread for a bus that is not there: the logging thread alone.
  assert.equal(noBus.threadsStarted, 1);
  assert.match(noBus.stderr, /Dark Mode: \d[^]*Velquarin Native Module Started/);
  // The code start-up runs is laid out together (where lld built it; not in the sanitizer
  // run, whose code is instrumented): touching it leaves a few pages resident, not most of
  // both libraries' 3 MiB.
  const cache = fs.readFileSync(path.join(buildDir, 'CMakeCache.txt'), 'utf8');
  if (/^VELQUARIN_LLD:FILEPATH=\//m.test(cache) && !process.env.VELQUARIN_UNSANITIZED_NODE) {
    assert.ok(noBus.codeKiB < 1024, `${noBus.codeKiB} KiB of code resident after require`);
  }
});

test('without the libraries beside it, image, application, credential, keyboard and HTTP calls fail with a logged reason', async () => {
  const partial = fs.mkdtempSync(path.join(scratch, 'addon-'));
  // GLib's side library goes with the platform library: much of it stands on GLib.
  for (const name of ['VelquarinNative.node', 'VelquarinPlatform.node', 'libvelquarin-platform.so', 'libvelquarin-glib.so']) {
    fs.copyFileSync(path.join(buildDir, name), path.join(partial, name));
  }
  const { scaled, afterImage, apps, credential, layout, http, stderr } = await run(partial);
  assert.deepEqual(apps, []);
  assert.match(stderr, /GIO is unavailable: cannot load \S+libvelquarin-gio\.so/);
  assert.equal(layout, false);
  assert.match(stderr, /The X display is unavailable: cannot load \S+libvelquarin-x11\.so/);
  assert.equal(scaled, null);
  assert.deepEqual(credential, { 'ok?': false, error: -25291 });
  assert.match(stderr, /The credential store is unavailable: cannot load \S+libvelquarin-secret\.so/);
  assert.match(http, /the HTTP library could not be loaded/);
  assert.match(stderr, /HTTP is unavailable: cannot load \S+libvelquarin-curl\.so/);
  assert.deepEqual(afterImage.filter((name) => heavy.test(name)), []);
  assert.match(stderr, /Images are unavailable: cannot load \S+libvelquarin-images\.so/);
  // Start-up asks the desktop's appearance on the bus: it goes on without it, in the same order.
  assert.match(stderr, /The session bus is unavailable: cannot load \S+libvelquarin-sdbus\.so[^]*Dark Mode: [^]*Module Started/);

  // Without GLib's library the module does not start: the host can catch that, not a later stop.
  fs.rmSync(path.join(partial, 'libvelquarin-glib.so'));
  const withoutGLib = await runChild(`try { require(${JSON.stringify(path.join(partial, 'VelquarinNative.node'))}); }
    catch (error) { console.log(error.message); }`, { timeoutMs: 30000 });
  assert.equal(withoutGLib.code, 0, withoutGLib.stderr);
  assert.match(withoutGLib.stdout, /cannot start: libvelquarin-glib\.so is missing/);
});
