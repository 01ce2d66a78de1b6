'use strict';
// The application's services: in-process through the desktop's pasteboard hand-over, other
// applications' services for performService, and the session-bus faces of the services and
// of the dock actions with real peers (gdbus, dbus-send through a desktop entry).
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { addonPath, buildDir, loadModule, loadPlatform, runChild } = require('./support');

const sandbox = fs.mkdtempSync(path.join(process.env.TMPDIR || os.tmpdir(), 'services-js-'));
process.env.XDG_CONFIG_HOME = path.join(sandbox, 'config');

const native = loadModule();
const platform = loadPlatform();

const OPTIONS = { 'optimize-attachments?': null, 'directly-send?': false,
  'image-attach-method': null, 'image-file-type': null, 'image-size': null };
const message = (fields) => ({ to: [], cc: [], bcc: [], 'attachment-paths': [], ...fields });
const filenames = (paths) => '<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><array>' +
  paths.map((entry) => `<string>${entry}</string>`).join('') + '</array></plist>';

function invoke(handler, item) {
  const name = platform.uniquePasteboard();
  platform.writePasteboard(name, [item]);
  const outcome = platform.invokeService(handler, name);
  const left = platform.readPasteboard(name).map((entry) =>
    Object.fromEntries(Object.entries(entry).map(([type, data]) => [type, data && data.toString()])));
  platform.releasePasteboard(name);
  return { ...outcome, left };
}

test('the four services compose or search, and refuse missing input with their texts', () => {
  const composed = [];
  const searched = [];
  native.setComposeOutgoingMessageCallbackFunction((m, o) => composed.push([JSON.parse(m), JSON.parse(o)]));
  native.setSearchServiceCallbackFunction((text) => searched.push(text));
  const cleared = [{ 'public.utf8-plain-text': '' }];
  const cases = [
    ['mailSelection', { NSStringPboardType: 'first\nsecond' }, null, cleared,
      message({ body: 'first\nsecond\n' })],
    ['mailDocument', { NSFilenamesPboardType: filenames(['/a/1.pdf', '/b/2.txt', '/c/3']) }, null, null,
      message({ 'attachment-paths': ['/a/1.pdf', '/b/2.txt', '/c/3'] })],
    ['mailTo', { NSStringPboardType: 'Ann Example <ann@example.com>' }, null, cleared,
      message({ to: [{ name: null, email: 'Ann Example <ann@example.com>' }] })],
    ['searchSelection', { NSStringPboardType: 'invoice' }, null, cleared],
    ['searchSelection', { NSStringPboardType: null }, 'Error: No search string has been selected.'],
    ['mailSelection', { 'public.html': '<b>x</b>' }, 'Error: No text has been selected.'],
    ['mailTo', {}, 'Error: No email address has been selected.'],
    ['mailDocument', { NSFilenamesPboardType: filenames([]).replace('<array></array>', '<array><integer>1</integer></array>') },
      "Error: Pasteboard doesn't contain one or more files names."],
    ['mailDocument', { NSFilenamesPboardType: 'not a property list' },
      "Error: Pasteboard doesn't contain one or more files names."],
  ];
  for (const [handler, item, error, left, composes] of cases) {
    composed.length = 0;
    const outcome = invoke(handler, item);
    assert.deepEqual([outcome.handled, outcome.error], [true, error], handler);
    if (left) assert.deepEqual(outcome.left, left, handler);
    if (!left && !error) assert.deepEqual(Object.keys(outcome.left[0]), Object.keys(item), 'left as it was');
    assert.deepEqual(composed, composes ? [[composes, OPTIONS]] : [], handler);
  }
  assert.deepEqual(searched, ['invoice']);
  assert.deepEqual(platform.invokeService('unknownHandler', platform.uniquePasteboard()),
    { handled: false, error: null });
});

test('performService hands the text over on a pasteboard it releases', () => {
  const seen = [];
  platform.registerService('Make Sticky', (name) => {
    seen.push(platform.readPasteboard(name)[0]['public.utf8-plain-text'].toString());
  });
  const before = platform.namedPasteboardCount();
  for (let i = 0; i < 1000; i++) native.performService('Make Sticky', `note ${i}`);
  native.performService('Make Sticky', '');
  native.performService('', 'text');
  native.performService('Nobody Offers This', 'text');
  assert.equal(seen.length, 1000);
  assert.equal(seen[999], 'note 999');
  assert.equal(platform.namedPasteboardCount(), before);
});

// A bundle of its own: the default identifier is held by other test processes.
const IDENTIFIER = 'io.velquarin.test.services';
const OBJECT_PATH = '/io/velquarin/test/services';
function bundle() {
  const folder = fs.mkdtempSync(path.join(sandbox, 'bundle-'));
  fs.cpSync(path.join(buildDir, 'Velquarin.bundle'), folder, { recursive: true });
  const plist = path.join(folder, 'Info.plist');
  fs.writeFileSync(plist, fs.readFileSync(plist, 'utf8').replace('io.velquarin.desktop', IDENTIFIER));
  const entry = path.join(folder, 'Resources', 'io.velquarin.desktop.desktop');
  // GIO loads an entry only when its program is installed: `true` stands in for the client.
  fs.writeFileSync(entry, fs.readFileSync(entry, 'utf8').replace('Exec=Velquarin', 'Exec=true')
    .replaceAll('/io/velquarin/desktop', OBJECT_PATH).replaceAll('io.velquarin.desktop ', `${IDENTIFIER} `));
  return folder;
}

test('services and dock actions on the session bus, with gdbus and a desktop entry',
  { skip: !process.env.DBUS_SESSION_BUS_ADDRESS }, async () => {
    const folder = bundle();
    const { code, stdout, stderr } = await runChild(`
      const native = require(${JSON.stringify(addonPath('VelquarinNative'))});
      const platform = require(${JSON.stringify(addonPath('VelquarinPlatform'))});
      const { execFile } = require('node:child_process');
      // Asynchronous: a synchronous spawn would block the loop that answers.
      const gdbus = (...args) => new Promise((resolve) => execFile('gdbus', args,
        (error, stdout, stderr) => resolve(error ? 'ERROR ' + stderr.trim() : stdout.trim())));
      const call = (method, ...args) => gdbus('call', '--session', '--dest', ${JSON.stringify(IDENTIFIER)},
        '--object-path', ${JSON.stringify(OBJECT_PATH)}, '--method', method, ...args);
      const composed = [];
      const searched = [];
      const posted = [];
      native.setComposeOutgoingMessageCallbackFunction((m) => composed.push(JSON.parse(m)));
      native.setSearchServiceCallbackFunction((text) => searched.push(text));
      platform.observe('ZqComposeNewMessageNotification', (name) => posted.push(name));
      (async () => {
        for (let i = 0; i < 100 && !platform.scriptingBusNames().wellKnown; i++) {
          await new Promise((resolve) => setTimeout(resolve, 50));
        }
        const replies = [
          await call('io.velquarin.Services1.MailSelection', 'Hello'),
          await call('io.velquarin.Services1.MailTo', 'a@example.com'),
          await call('io.velquarin.Services1.MailDocument', "['/tmp/a.pdf']"),
          await call('io.velquarin.Services1.MailDocument', "['relative.pdf']"),
          await call('io.velquarin.Services1.SearchSelection', 'needle'),
          await call('io.velquarin.Services1.SearchSelection', ''),
          await call('io.velquarin.DockMenu1.ActivateAction', 'compose-new-message'),
          await call('io.velquarin.DockMenu1.ActivateAction', 'open-the-pod-bay-doors'),
        ];
        const entry = ${JSON.stringify(path.join(folder, 'Resources', 'io.velquarin.desktop.desktop'))};
        const launched = platform.launchDesktopAction(entry, 'compose-new-message');
        for (let i = 0; i < 100 && posted.length < 2; i++) {
          await new Promise((resolve) => setTimeout(resolve, 50));
        }
        console.log(JSON.stringify({ replies, composed, searched, posted, launched,
          unknown: platform.launchDesktopAction(entry, 'nothing') }));
      })();
    `, { env: { VELQUARIN_BUNDLE_PATH: folder, XDG_CONFIG_HOME: path.join(sandbox, 'bus') },
      timeoutMs: 30000 });
    assert.equal(code, 0, stderr);
    const result = JSON.parse(stdout.trim());
    const [mailed, mailedTo, documents, relative, search, emptySearch, dock, unknownAction] = result.replies;
    assert.deepEqual([mailed, mailedTo, documents, search, dock], ['()', '()', '()', '()', '()']);
    assert.match(relative, /InvalidArgs.*Every path must be absolute/);
    assert.match(emptySearch, /InvalidArgs.*Error: No search string has been selected\./);
    assert.match(unknownAction, /InvalidArgs.*Unknown dock action/);
    assert.deepEqual(result.composed, [
      message({ body: 'Hello\n' }),
      message({ to: [{ name: null, email: 'a@example.com' }] }),
      message({ 'attachment-paths': ['/tmp/a.pdf'] }),
    ]);
    assert.deepEqual(result.searched, ['needle']);
    assert.deepEqual([result.launched, result.unknown], [true, false]);
    assert.deepEqual(result.posted, ['ZqComposeNewMessageNotification', 'ZqComposeNewMessageNotification'],
      'once through gdbus, once through the desktop entry');
  });
