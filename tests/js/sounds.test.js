'use strict';
// The sound list (application sound plus the sound folders) and playing one sound at a time.
// Each case runs in its own process: the list is built once per process.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'sounds-js-'));

// A mono 16-bit PCM WAV file of `seconds` of a quiet tone.
function writeWav(file, seconds) {
  const rate = 8000;
  const n = Math.round(rate * seconds);
  const b = Buffer.alloc(44 + n * 2);
  b.write('RIFF', 0);
  b.writeUInt32LE(36 + n * 2, 4);
  b.write('WAVEfmt ', 8);
  b.writeUInt32LE(16, 16);
  b.writeUInt16LE(1, 20);
  b.writeUInt16LE(1, 22);
  b.writeUInt32LE(rate, 24);
  b.writeUInt32LE(rate * 2, 28);
  b.writeUInt16LE(2, 32);
  b.writeUInt16LE(16, 34);
  b.write('data', 36);
  b.writeUInt32LE(n * 2, 40);
  for (let i = 0; i < n; i++) b.writeInt16LE(Math.round(3000 * Math.sin(i / 4)), 44 + i * 2);
  fs.writeFileSync(file, b);
}

const system = path.join(sandbox, 'system');
const user = path.join(sandbox, 'user');
fs.mkdirSync(system);
fs.mkdirSync(user);
writeWav(path.join(system, 'Ping.wav'), 5);
writeWav(path.join(user, 'Ping.wav'), 0.1); // the first folder's Ping wins
writeWav(path.join(system, 'Zed.wav'), 5);
writeWav(path.join(user, 'alert.wav'), 0.1);
writeWav(path.join(user, 'New Mail.wav'), 0.1); // the application's own stays
writeWav(path.join(user, 'Short.wav'), 0.2);
fs.writeFileSync(path.join(user, 'broken.wav'), 'RIFF but not really');
fs.writeFileSync(path.join(user, 'notes.txt'), 'not a sound');
fs.mkdirSync(path.join(user, 'Folder.wav'));

const env = {
  VELQUARIN_SOUND_FOLDERS: [system, path.join(sandbox, 'missing'), user].join(':'),
};

async function child(body) {
  const source = `
    const assert = require('node:assert/strict');
    const { loadModule, loadPlatform } = require(${JSON.stringify(path.join(__dirname, 'support'))});
    const native = loadModule();
    const platform = loadPlatform();
    const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
    (async () => { ${body} })().then(() => process.exit(0), (e) => { console.error(e); process.exit(1); });`;
  const result = await runChild(source, { env });
  assert.equal(result.code, 0, result.stderr + result.stdout);
  return result;
}

test('the list: application sound first to claim its name, one entry per name, plain order', async () => {
  await child(`
    const names = native.getSoundNames();
    assert.deepEqual(names, ['New Mail', 'Ping', 'Short', 'Zed', 'alert']);
    require('node:fs').writeFileSync(${JSON.stringify(path.join(user, 'Zz.wav'))}, require('node:fs').readFileSync(${JSON.stringify(path.join(user, 'alert.wav'))}));
    assert.deepEqual(native.getSoundNames(), names); // built once per run
    assert.notEqual(native.getSoundNames(), native.getSoundNames());
  `);
  fs.rmSync(path.join(user, 'Zz.wav'), { force: true });
});

test('playing a sound stops the one playing; unknown names change nothing', async () => {
  await child(`
    const systemDir = ${JSON.stringify(system)};
    assert.equal(native.playSoundWithName('Ping'), true);
    await sleep(100);
    assert.deepEqual(platform.playingSounds(), [systemDir + '/Ping.wav']);
    for (const bad of ['ping', '../system/Zed', 'system/Zed', 'Zed\\0', '..', '', 'broken', 'notes', 'Folder']) {
      assert.equal(native.playSoundWithName(bad), false, bad);
    }
    assert.deepEqual(platform.playingSounds(), [systemDir + '/Ping.wav']);
    const started = Date.now();
    assert.equal(native.playSoundWithName('Zed'), true);
    assert.ok(Date.now() - started < 1000, 'the old sound stops at once');
    await sleep(100);
    assert.deepEqual(platform.playingSounds(), [systemDir + '/Zed.wav']);
    assert.equal(native.playSoundWithName('Short'), true);
    await sleep(600); // a short sound ends by itself, in about real time
    assert.deepEqual(platform.playingSounds(), []);
  `);
});

test('the freedesktop sound theme and the bundle sound without an override', async () => {
  const result = await runChild(
    `const { loadModule } = require(${JSON.stringify(path.join(__dirname, 'support'))});
     console.log(JSON.stringify(loadModule().getSoundNames()));`,
    { env: { VELQUARIN_SOUND_FOLDERS: undefined } },
  );
  assert.equal(result.code, 0, result.stderr);
  const names = JSON.parse(result.stdout.trim().split('\n').pop());
  assert.ok(names.includes('New Mail'));
  if (fs.existsSync('/usr/share/sounds/freedesktop/stereo/bell.oga')) assert.ok(names.includes('bell'));
  assert.deepEqual([...names].sort(), names);
});
