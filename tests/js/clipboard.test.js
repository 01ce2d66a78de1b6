'use strict';
// The general pasteboard as the X11 clipboard, with xclip and xsel as the other applications,
// on the run's private Xvfb (scripts/test-services/15-xvfb.sh). Each scenario runs the module
// in a child process given that display.
const test = require('node:test');
const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');
const { runChild, startPrivateXvfb } = require('./support');

const display = process.env.VELQUARIN_TEST_DISPLAY;
const has = (tool) => spawnSync('sh', ['-c', `command -v ${tool}`]).status === 0;
const skip = !display ? 'no private display (VELQUARIN_TEST_DISPLAY)'
  : !has('xclip') || !has('xsel') ? 'xclip or xsel missing' : false;
const scratch = () => fs.mkdtempSync(path.join(os.tmpdir(), 'clipboard-test-'));
const xenv = (extra = {}) => ({ ...process.env, DISPLAY: display, ...extra });
const sha = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');

// Another application owning the clipboard until stopped; resolves once it owns it.
async function owner(command, args, input) {
  const child = spawn(command, args, { env: xenv(), stdio: ['pipe', 'ignore', 'ignore'] });
  child.stdin.end(input);
  for (let i = 0; i < 100; ++i) {
    const targets = spawnSync('xclip', ['-o', '-selection', 'clipboard', '-t', 'TARGETS'], { env: xenv() });
    if (targets.status === 0 && targets.stdout.length > 0) return child;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  child.kill('SIGKILL');
  throw new Error(`${command} did not take the clipboard`);
}

const stop = (child) => new Promise((resolve) => {
  if (child.exitCode !== null || child.signalCode !== null) return resolve();
  child.once('exit', resolve);
  child.kill('SIGKILL');
});

// Runs `body` with native, platform, spawnSync, fs and report() in a child on the display.
async function scenario(body, { env = {}, timeoutMs = 60000 } = {}) {
  const { code, stdout, stderr } = await runChild(`
    const { loadModule, loadPlatform } = require(${JSON.stringify(require.resolve('./support'))});
    const { spawnSync } = require('node:child_process');
    const fs = require('node:fs');
    const native = loadModule();
    const platform = loadPlatform();
    const xclip = (...args) => spawnSync('xclip', ['-selection', 'clipboard', ...args],
      { maxBuffer: 64 << 20, timeout: 20000 });
    const report = (value) => console.log('RESULT ' + JSON.stringify(value));
    (async () => { ${body} })().catch((error) => { console.error(error); process.exit(1); });
  `, { env: { DISPLAY: display, ...env }, timeoutMs });
  assert.equal(code, 0, stderr);
  const line = stdout.split('\n').find((each) => each.startsWith('RESULT '));
  return { value: JSON.parse(line.slice(7)), stderr };
}

test('another application\'s text, HTML, PNG and file list read through the exports', { skip }, async () => {
  const dir = scratch();
  const files = ['a.txt', 'b c.txt', 'ü.txt'].map((name) => path.join(dir, name));
  const png = fs.readFileSync(path.join(__dirname, '..', '..', 'resources', 'Velquarin.bundle',
    'Resources', fs.readdirSync(path.join(__dirname, '..', '..', 'resources', 'Velquarin.bundle', 'Resources'))
      .find((name) => name.endsWith('.png'))));
  const cases = [
    ['xsel', ['--clipboard', '--input', '--nodetach'], 'héllo', `
      report([platform.pasteboardBackend(), native.getValueOfPasteboardType('NSStringPboardType')]);`,
    ['x11', '["héllo"]']],
    ['xclip', ['-quiet', '-selection', 'clipboard', '-t', 'text/html', '-i'], '<b>hi</b>', `
      report(native.getValueOfPasteboardType('public.html'));`, '["<b>hi</b>"]'],
    ['xclip', ['-quiet', '-selection', 'clipboard', '-t', 'image/png', '-i'], png, `
      const written = native.imageFromPasteboard(${JSON.stringify(dir)});
      report([native.doesPasteboardContainImage(), fs.readFileSync(written).subarray(0, 2).toString('hex')]);`,
    [1, 'ffd8']],
    ['xclip', ['-quiet', '-selection', 'clipboard', '-t', 'text/uri-list', '-i'],
      files.map((file) => `file://${encodeURI(file)}`).join('\r\n') + '\r\n', `
      report([platform.readPasteboard('general').map((item) => Object.keys(item)),
        JSON.parse(native.getValueOfPasteboardType('public.file-url'))]);`,
    [[['public.file-url'], ['public.file-url'], ['public.file-url']],
      files.map((file) => `file://${encodeURI(file)}`)]],
  ];
  for (const [command, args, input, body, expected] of cases) {
    const other = await owner(command, args, input);
    try {
      assert.deepEqual((await scenario(body)).value, expected, body);
    } finally {
      await stop(other);
    }
  }
});

test('17 MB of PNG both ways, byte for byte (incremental transfers)', { skip }, async () => {
  const dir = scratch();
  const big = crypto.randomBytes(17 << 20);
  const file = path.join(dir, 'big.png');
  fs.writeFileSync(file, big);

  // From the module to xclip.
  const { value: out } = await scenario(`
    platform.writePasteboard('general', [{ 'public.png': fs.readFileSync(${JSON.stringify(file)}) }]);
    const read = xclip('-o', '-t', 'image/png');
    report({ status: read.status, sha: require('node:crypto').createHash('sha256').update(read.stdout).digest('hex') });`);
  assert.deepEqual(out, { status: 0, sha: sha(big) });

  // From xclip to the module.
  const other = await owner('xclip', ['-quiet', '-selection', 'clipboard', '-t', 'image/png', '-i', file], '');
  try {
    const { value } = await scenario(`
      const item = platform.readPasteboard('general')[0];
      report(require('node:crypto').createHash('sha256').update(item['public.png']).digest('hex'));`);
    assert.equal(value, sha(big));
  } finally {
    await stop(other);
  }
});

test('save, overwrite and restore give the other application the first contents back', { skip }, async () => {
  const dir = scratch();
  const image = path.join(dir, 'x.png');
  fs.writeFileSync(image, 'not really a png');
  const other = await owner('xclip', ['-quiet', '-selection', 'clipboard', '-t', 'text/html', '-i'], '<i>first</i>');
  try {
    const { value } = await scenario(`
      const saved = native.saveGeneralPasteboard();
      const written = native.writeFileContentsToGeneralPasteboard(${JSON.stringify(image)});
      const during = xclip('-o', '-t', 'TARGETS').stdout.toString().split('\\n').filter(Boolean);
      const restored = native.restoreGeneralPasteboard();
      const targets = xclip('-o', '-t', 'TARGETS').stdout.toString().split('\\n').filter(Boolean);
      report({ saved, written, during, restored, targets, html: xclip('-o', '-t', 'text/html').stdout.toString() });`);
    assert.deepEqual(value, { saved: true, written: true, during: ['TARGETS', 'TIMESTAMP', 'image/png'],
      restored: true, targets: ['TARGETS', 'TIMESTAMP', 'text/html'], html: '<i>first</i>' });
  } finally {
    await stop(other);
  }
});

test('an owner that stopped answering costs at most the time limit, and save refuses', { skip }, async () => {
  const other = await owner('xclip', ['-quiet', '-selection', 'clipboard', '-i'], 'frozen');
  other.kill('SIGSTOP');
  try {
    const { value, stderr } = await scenario(`
      const start = Date.now();
      const saved = native.saveGeneralPasteboard();
      report({ saved, ms: Date.now() - start, restored: native.restoreGeneralPasteboard() });`);
    assert.equal(value.saved, false);
    assert.equal(value.restored, false);
    assert.ok(value.ms >= 900 && value.ms < 3000, `took ${value.ms} ms`);
    assert.match(stderr, /Cannot save pasteboard as its contents could not be read/);
  } finally {
    other.kill('SIGCONT');
    await stop(other);
  }
});

test('a display that goes away falls back to the in-process pasteboard without a crash', { skip }, async () => {
  const { xvfb, display } = await startPrivateXvfb();
  try {
    const { value } = await scenario(`
      native.setFindStringToPasteboard('x');
      platform.writePasteboard('general', [{ 'public.utf8-plain-text': 'before' }]);
      const before = platform.pasteboardBackend();
      process.kill(${xvfb.pid}, 'SIGKILL');
      await new Promise((resolve) => setTimeout(resolve, 500));
      platform.writePasteboard('general', [{ 'public.utf8-plain-text': 'after' }]);
      report({ before, after: platform.pasteboardBackend(), text: native.getValueOfPasteboardType('public.utf8-plain-text'),
        saved: native.saveGeneralPasteboard(), restored: native.restoreGeneralPasteboard() });`,
    { env: { DISPLAY: display } });
    assert.deepEqual(value, { before: 'x11', after: 'memory', text: '["after"]', saved: true, restored: true });
  } finally {
    await stop(xvfb);
  }
});

test('VELQUARIN_PASTEBOARD=memory keeps the general pasteboard in-process', { skip }, async () => {
  const { value, stderr } = await scenario(`report(platform.pasteboardBackend());`,
    { env: { VELQUARIN_PASTEBOARD: 'memory' } });
  assert.equal(value, 'memory');
  assert.match(stderr, /stays in this process \(VELQUARIN_PASTEBOARD=memory\)/);
});
