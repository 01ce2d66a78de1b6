'use strict';
// Update checks against feeds served by this file on 127.0.0.1.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { loadModule, loadPlatform, logged, runChild } = require('./support');

const native = loadModule();
const platform = loadPlatform();
const NS = 'http://www.andymatuschak.org/xml-namespaces/sparkle';

const item = (version, extra = '') =>
  `<item><title>Velquarin ${version}</title>${extra}` +
  `<enclosure url="https://example.invalid/${version}.zip" sp:version="${version}" length="1"/></item>`;
const feed = (items) =>
  `<?xml version="1.0" encoding="UTF-8"?><rss version="2.0" xmlns:sp="${NS}"><channel>${items.join('')}</channel></rss>`;

let body = feed([]);
let status = 200;
const seen = [];
const server = http.createServer((req, res) => {
  seen.push(req.url);
  if (status === 0) return; // never answers
  res.writeHead(status, { 'content-type': 'application/rss+xml' }).end(body);
});
const received = [];
platform.observe('ZqReceivedAppcastNotification', (name, info) => received.push(info.appcast));

function writeBundle(dir, feedURL, version = '3100') {
  fs.mkdirSync(path.join(dir, 'Resources'), { recursive: true });
  const entries = { CFBundleIdentifier: 'io.velquarin.updates-test', CFBundleVersion: version,
    CFBundleShortVersionString: '3.1', SUFeedURL: feedURL };
  fs.writeFileSync(path.join(dir, 'Info.plist'), '<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>' +
    Object.entries(entries).map(([k, v]) => `<key>${k}</key><string>${v}</string>`).join('') + '</dict></plist>');
}

let base;
test.before(async () => {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  base = `http://127.0.0.1:${server.address().port}`;
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'updates-'));
  writeBundle(dir, `${base}/appcast.xml?channel=beta#top`);
  platform.setMainBundlePath(dir);
  platform.setSystemVersion('12.4');
});
test.after(() => { server.closeAllConnections(); server.close(); });

async function settled() {
  for (let i = 0; i < 400 && platform.updaterState().checking; i++) await new Promise((r) => setTimeout(r, 10));
  await new Promise((r) => setImmediate(r));
}
const query = (url) => url.slice(url.indexOf('?') + 1);
const own = (language) =>
  `osVersion=12.4&appVersion=3100&shortVersionString=3.1&selectedLanguage=${encodeURIComponent(language)}`;

test('feed requests carry the host parameters first, encoded, then the module own', async () => {
  const language = JSON.parse(native.getPreferredLanguages())[0];
  native.fetchAppcast();
  await settled();
  assert.equal(query(seen.at(-1)), `channel=beta&${own(language)}`);
  const cases = [
    [() => '[{"key":"a b","value":"x&y=z"},{"key":"ü","value":"#"}]', 'a%20b=x%26y%3Dz&%C3%BC=%23&'],
    [() => '[{"key":1,"value":"v"},{"key":"k","value":"v"},"s"]', 'k=v&', 'Skipped feed parameters'],
    [() => '[]', ''],
    [() => 'not json', '', "Couldn't get parameters from callback because of"],
    [() => '{"key":"a","value":"b"}', '', 'Couldn\'t get parameters from callback because of the JSON text is no array'],
    [() => 42, '', "Couldn't get parameters from callback because result wasn't a string"],
  ];
  for (const [callback, hostPart, warning] of cases) {
    const before = warning ? logged(warning).length : 0;
    native.setAppcastParameterCallback(callback);
    native.fetchAppcast();
    await settled();
    assert.equal(query(seen.at(-1)), `channel=beta&${hostPart}${own(language)}`, String(callback));
    if (warning) assert.equal(logged(warning).length, before + 1, warning);
  }
  native.setAppcastParameterCallback(() => '[]');
});

test('a check asked from inside the parameter callback is ignored', async () => {
  const count = seen.length;
  native.setAppcastParameterCallback(() => { native.fetchAppcast(); return '[]'; });
  native.fetchAppcast();
  await settled();
  assert.equal(seen.length, count + 1);
  native.setAppcastParameterCallback(() => '[]');
});

test('Option held at a user check adds buildType=test to that request only', async () => {
  platform.flagsChanged({ keyCode: 58, modifiers: ['option'] });
  native.checkForUpdates(false, false);
  platform.flagsChanged({ keyCode: 58, modifiers: [] });
  assert.equal(platform.updaterState().window, 'checking');
  await settled();
  assert.match(seen.at(-1), /&selectedLanguage=[^&]*&buildType=test$/);
  assert.equal(platform.updaterState().window, 'upToDate');
  assert.ok(logged('Check for updates. (buildType=test, sendingProfile=NO)').length >= 1);
  assert.equal(platform.answerUpdater('ok'), true);
  native.checkForUpdates(false, false);
  await settled();
  assert.doesNotMatch(seen.at(-1), /buildType/);
  platform.answerUpdater('ok');
  platform.flagsChanged({ keyCode: 58, modifiers: ['option'] });
  native.checkForUpdates(true, false);
  await settled();
  platform.flagsChanged({ keyCode: 58, modifiers: [] });
  assert.doesNotMatch(seen.at(-1), /buildType/, 'only a user check reads Option');
});

test('the update is the highest newer item the system admits; every item is reported in order', async () => {
  body = feed([
    item('3099'),
    item('3300', '<sp:minimumSystemVersion>13.0</sp:minimumSystemVersion>'),
    item('3150b1'),
    item('3150', '<title xml:lang="xx">Other</title><sp:tags><sp:criticalUpdate/></sp:tags>' +
      '<sp:deltas><enclosure sp:deltaFrom="3100" url="d"/></sp:deltas>'),
    item('3200', '<sp:maximumSystemVersion>12.3.9</sp:maximumSystemVersion>'),
  ]);
  received.length = 0;
  native.fetchAppcast();
  await settled();
  assert.equal(received.length, 1);
  const items = received[0];
  assert.deepEqual(items.map((i) => i.enclosure['sparkle:version']), ['3099', '3300', '3150b1', '3150', '3200']);
  assert.equal(items[3].title, 'Velquarin 3150');
  assert.deepEqual(items[3]['sparkle:tags'], ['sparkle:criticalUpdate']);
  assert.deepEqual(items[3]['sparkle:deltas'], [{ 'sparkle:deltaFrom': '3100', url: 'd' }]);
  assert.equal(platform.updaterState().window, 'none', 'information checks show nothing');
  assert.ok(logged('Did find update 3150.').length >= 1);
  native.checkForUpdates(true, false);
  await settled();
  assert.deepEqual([platform.updaterState().window, platform.updaterState().update], ['updateAvailable', '3150']);
  assert.equal(platform.answerUpdater('later'), true);
});

test('bad feeds fail the check without a notification, and user checks show the error', async () => {
  const deep = '<a>'.repeat(10000) + '</a>'.repeat(10000);
  const cases = [
    ['404', 404, feed([item('9999')])],
    ['HTML', 200, '<!doctype html><html><body>Not a feed</body></html>'],
    ['entities', 200, '<?xml version="1.0"?><!DOCTYPE rss [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;">]>' +
      feed([item('9999', '<description>&b;</description>')]).replace(/^<\?xml[^>]*\?>/, '')],
    ['deep', 200, `<rss><channel>${deep}</channel></rss>`],
    ['bad UTF-8', 200, Buffer.concat([Buffer.from(feed([item('9999')]).slice(0, 60)), Buffer.from([0xff, 0xfe]),
      Buffer.from(feed([item('9999')]).slice(60))])],
    ['oversized', 200, feed([item('9999', `<description>${'x'.repeat(20 << 20)}</description>`)])],
  ];
  for (const [label, code, text] of cases) {
    [status, body] = [code, text];
    received.length = 0;
    native.checkForUpdates(false, false);
    await settled();
    assert.equal(platform.updaterState().window, 'error', label);
    assert.deepEqual(received, [], label);
    platform.answerUpdater('ok');
  }
  status = 0;
  native.checkForUpdates(false, false);
  await new Promise((r) => setTimeout(r, 50));
  platform.advanceClock(31);
  await settled();
  assert.equal(platform.updaterState().window, 'error', 'time-out');
  platform.answerUpdater('ok');
  [status, body] = [200, feed([])];
});

test('background checks run now and then on the schedule only when automatic', async () => {
  for (const automatically of [false, true]) {
    const count = seen.length;
    native.checkForUpdates(true, automatically);
    await settled();
    assert.equal(platform.updaterState().automaticallyChecks, automatically);
    assert.equal(seen.length, count + 1);
    platform.advanceClock(43200);
    await settled();
    assert.equal(seen.length, count + (automatically ? 2 : 1), `automatically=${automatically}`);
  }
  native.checkForUpdates(true, false);
  await settled();
});

test('the system profile goes at most once a week, only when the user allowed it', async () => {
  const sent = [];
  native.setAppcastParameterCallback((sending) => { sent.push(sending); return '[]'; });
  const fetch = async (advance = 0) => { platform.advanceClock(advance); native.fetchAppcast(); await settled(); };
  await fetch();
  platform.defaultsWrite('SUSendProfileInfo', true);
  await fetch();
  await fetch(6 * 86400);
  await fetch(86400);
  platform.defaultsWrite('SUSendProfileInfo', false);
  assert.deepEqual(sent, [false, true, false, true]);
  native.setAppcastParameterCallback(() => '[]');
});

test('installing ends the process; the next one hears of the relaunch', async () => {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'updates-home-'));
  const dir = path.join(home, 'bundle');
  body = feed([item('3150')]);
  writeBundle(dir, `${base}/appcast.xml`);
  const script = (act) => `
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    platform.setMainBundlePath(${JSON.stringify(dir)});
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    platform.observe('ZqApplicationDidRelaunchAfterUpdateNotification', () => console.log('relaunched'));
    ${act}`;
  const env = { HOME: home, XDG_CONFIG_HOME: path.join(home, '.config') };
  const first = await runChild(script(`native.checkForUpdates(false, false);
    const wait = () => platform.updaterState().window === 'updateAvailable'
      ? (console.log('install'), platform.answerUpdater('install'), console.log('still running'))
      : setTimeout(wait, 10);
    wait();`), { env });
  assert.equal(first.code, 0, first.stderr);
  assert.equal(first.stdout.trim(), 'install');
  const second = await runChild(script('native.fetchAppcast();'), { env });
  // Automatic checks on: the scheduled one must not keep the process alive.
  const third = await runChild(script('native.checkForUpdates(true, true);'), { env });
  assert.deepEqual([second.stdout.trim(), third.stdout.trim()], ['relaunched', '']);
  body = feed([]);
});

test('a throwing parameter callback reaches the host; the module parameters still go', async () => {
  const child = await runChild(`
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    platform.setMainBundlePath(${JSON.stringify(platform.mainBundlePath())});
    process.on('uncaughtException', (e) => console.log('uncaught ' + e.message));
    native.setAppcastParameterCallback(() => { throw new Error('boom'); });
    platform.flagsChanged({ keyCode: 58, modifiers: ['option'] });
    native.checkForUpdates(false, false);
    const wait = () => platform.updaterState().checking ? setTimeout(wait, 10) : native.fetchAppcast();
    wait();`);
  assert.match(child.stdout, /uncaught boom\n/);
  const [first, second] = seen.slice(-2).map(query);
  assert.match(first, /^channel=beta&osVersion=[^&]+&appVersion=3100&.*&buildType=test$/);
  assert.doesNotMatch(second, /buildType/);
});
