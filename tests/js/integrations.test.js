'use strict';
// Clips and imports into other applications, the time-tracking event and the PDF service.
// Other applications are desktop entries whose program records its arguments; their
// scripting interfaces are the platform's models. GIO reads the XDG variables once per
// process, so each scenario runs in a child with the sandbox's environment.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { runChild } = require('./support');

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'integrations-test-'));
const data = path.join(root, 'data');
const records = path.join(root, 'records');
const env = {
  HOME: path.join(root, 'home'),
  XDG_DATA_HOME: data,
  XDG_CONFIG_HOME: path.join(root, 'config'),
  XDG_CACHE_HOME: path.join(root, 'cache'),
  XDG_DATA_DIRS: '/usr/local/share:/usr/share',
  XDG_CURRENT_DESKTOP: '',
  VQ_RECORDS: records,
  TZ: 'UTC',
};

function write(file, text) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, text);
}

const APPS = {
  'com.evernote.Evernote': '%U',
  'com.devon-technologies.thinkpro2': '%F',
  'com.omnigroup.OmniFocus3': '%u',
  'com.culturedcode.ThingsMac': '%u',
  'com.todoist.mac.Todoist': '%u',
  'com.apperdeck.mac.Receipts': '%F',
  'com.apple.Photos': '%F',
};
const SCHEMES = { 'com.omnigroup.OmniFocus3': 'omnifocus', 'com.culturedcode.ThingsMac': 'things',
  'com.todoist.mac.Todoist': 'todoist' };

test.before(() => {
  write(path.join(root, 'bin', 'record'), '#!/bin/sh\nlog="$VQ_RECORDS/$1"; shift\n' +
    '{ printf \'%s\\0\' "$@"; printf \'\\001\'; } >> "$log"\n');
  fs.chmodSync(path.join(root, 'bin', 'record'), 0o755);
  fs.mkdirSync(records);
  const entry = (id, exec, type = '') => write(path.join(data, 'applications', `${id}.desktop`),
    `[Desktop Entry]\nType=Application\nName=${id}\nExec=${exec}\nMimeType=${type}\n`);
  for (const [id, code] of Object.entries(APPS)) {
    entry(id, `${root}/bin/record ${id} ${code}`, SCHEMES[id] ? `x-scheme-handler/${SCHEMES[id]};` : '');
  }
  // Listed first but its program is missing: not installed.
  entry('com.culturedcode.ThingsMac.beta', '/nonexistent/things %u', 'x-scheme-handler/things;');
  write(path.join(env.XDG_CONFIG_HOME, 'mimeapps.list'),
    '[Default Applications]\nx-scheme-handler/todoist=com.todoist.mac.Todoist.desktop\n');
  execFileSync('update-desktop-database', [path.join(data, 'applications')]);
});
test.after(() => fs.rmSync(root, { recursive: true, force: true }));

async function inChild(body, extraEnv = {}) {
  const { code, stdout, stderr } = await runChild(`
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    const fs = require('node:fs'), path = require('node:path'), root = ${JSON.stringify(root)};
    const settle = () => platform.waitForBackgroundWork(20);
    (async () => { ${body} })().then((value) => console.log('RESULT ' + JSON.stringify(value ?? null)),
      (error) => { console.error(error); process.exit(1); });
  `, { env: { ...env, ...extraEnv }, timeoutMs: 30000 });
  assert.equal(code, 0, stderr + stdout);
  const line = stdout.split('\n').find((l) => l.startsWith('RESULT '));
  return { value: JSON.parse(line.slice(7)), output: stdout + stderr };
}

const recorded = async (id, count) => {
  const file = path.join(records, id);
  const read = () => (fs.existsSync(file) ? fs.readFileSync(file, 'utf8').split('\u0001').filter(Boolean)
    .map((call) => call.split('\0').slice(0, -1)) : []);
  for (let i = 0; i < 100 && read().length < count; ++i) await new Promise((r) => setTimeout(r, 50));
  return read();
};
const esc = (text) => encodeURIComponent(text).replace(/[!'()*~]/g, (c) => `%${c.charCodeAt(0).toString(16).toUpperCase()}`);

const OPTIONS = { url: 'velquarin://m/1', 'web-url': 'https://mail.example.com/#inbox/1', title: 'Ünïcode & more',
  html: '<p>  Hello <b>world</b></p><p>Second</p>\n', account: 'ann@example.com' };
const TEXT = 'Hello world\nSecond';

test('installed targets follow the fixed order and the first installed identifier', async () => {
  const file = path.join(root, 'in', 'receipt.vq-unknown');
  write(file, 'r');
  const none = await inChild(`
    native.importIntoApplication('com.apperdeck.mac.Receipts', ${JSON.stringify(file)});
    return [native.installedClipperApps(), platform.workspaceHandOffs().map((h) => h.application)];`,
  { XDG_DATA_HOME: path.join(root, 'empty'), HOME: '' });
  assert.deepEqual(none.value, ['["clipboard"]', ['']]);  // no application: the type's default
  assert.match(none.output, /No application com\.apperdeck\.mac\.Receipts; .*receipt\.vq-unknown goes to its default application/);
  assert.match(none.output, /No home folder: the PDF service is not installed/);
  const all = await inChild('return native.installedClipperApps();');
  assert.deepEqual(JSON.parse(all.value), ['evernote', 'devonthink', 'devonthink-pdf', 'omnifocus', 'receipts',
    'todoist', 'things', 'clipboard']);
});

test('task URLs, receipts and photos reach the applications as exact argument vectors', async () => {
  const photo = path.join(root, 'in', 'photo.png');
  const zip = path.join(root, 'in', 'album.zip');
  const eml = path.join(root, 'in', 'message.eml');
  write(path.join(root, 'zip', 'a.JPG'), 'j');
  write(path.join(root, 'zip', 'sub', 'b.tiff'), 't');
  write(path.join(root, 'zip', 'notes.txt'), 'n');
  write(photo, 'p');
  write(eml, 'e');
  execFileSync('zip', ['-qr', zip, '.'], { cwd: path.join(root, 'zip') });
  const { value, output } = await inChild(`
    const options = ${JSON.stringify(OPTIONS)};
    for (const target of ['omnifocus', 'things', 'todoist']) native.clipPage(target, options);
    native.clipPage('receipts', { ...options, 'eml-path': ${JSON.stringify(eml)} });
    native.clipPage('receipts', options);
    native.clipPage('things', { title: 'x'.repeat(140 * 1024) });
    native.importIntoApplication('com.apple.Photos', ${JSON.stringify(photo)});
    native.importIntoApplication('com.apple.Photos', ${JSON.stringify(zip)});
    native.importIntoApplication('org.example.Other', '/x');
    settle();
    return platform.workspaceHandOffs();`);
  const comment = `${TEXT}\n\n${OPTIONS.url}\n${OPTIONS['web-url']}`;
  assert.deepEqual(await recorded('com.omnigroup.OmniFocus3', 1), [[`omnifocus:///add?name=${esc(OPTIONS.title)}` +
    `&note=${esc(`${OPTIONS.url}\n${OPTIONS['web-url']}\n\n${TEXT}`)}`]]);
  assert.deepEqual(await recorded('com.culturedcode.ThingsMac', 1), [[`things:///add?title=${esc(OPTIONS.title)}` +
    `&notes=${esc(comment)}&show-quick-entry=true`]]);
  const content = `${OPTIONS.title} [Web](${OPTIONS['web-url']}) | [Velquarin](${OPTIONS.url})`;
  assert.deepEqual(await recorded('com.todoist.mac.Todoist', 1),
    [[`todoist://addtask?content=${esc(content)}&comment=${esc(comment)}`]]);
  assert.deepEqual(await recorded('com.apperdeck.mac.Receipts', 1), [[eml]]);
  const album = path.join(root, 'in', 'album');
  assert.deepEqual(await recorded('com.apple.Photos', 2), [[photo], [album]]);
  assert.deepEqual(execFileSync('find', ['.', '-type', 'f'], { cwd: album }).toString().split('\n').sort(),
    ['', './a.JPG', './sub/b.tiff']);
  const byItem = (prefix) => value.filter((h) => h.items[0].startsWith(prefix));
  assert.deepEqual(byItem('omnifocus:').map((h) => [h.application, h.launchOptions]), [['com.omnigroup.OmniFocus3', 512]]);
  assert.deepEqual(byItem('todoist:').map((h) => [h.application, h.launchOptions]), [['', 0x10000]]);
  const long = byItem('things:').find((h) => h.items[0].length > 140 * 1024);
  assert.equal(long.opened, false);  // beyond the kernel's limit for one argument
  assert.match(output, /Couldn't open a task URL with com\.culturedcode\.ThingsMac: .+/);
  assert.deepEqual(byItem(eml).map((h) => h.deactivate), [true]);
  assert.match(output, /Nothing to clip to receipts: no eml-path given/);
  assert.match(output, /Don't know how to handle bundleId org\.example\.Other for \/x/);
});

test('scripted targets get their messages in order, old versions and missing scripting included', async () => {
  const zip = path.join(root, 'att', 'files.zip');
  const pdf = path.join(root, 'att', 'doc.pdf');
  write(path.join(root, 'zipped', 'dir', 'inner.txt'), 'i');
  write(path.join(root, 'zipped', 'top.txt'), 't');
  write(pdf, '%PDF');
  execFileSync('zip', ['-qr', zip, '.'], { cwd: path.join(root, 'zipped') });
  const { value, output } = await inChild(`
    const EV = 'com.evernote.Evernote', DT = 'com.devon-technologies.thinkpro2';
    const created = 'createNoteFromFile:fromUrl:withText:withHtml:withEnml:title:notebook:tags:attachments:created:';
    native.clipPage('evernote', ${JSON.stringify(OPTIONS)});  // no scripting: the old-version road
    settle();
    const alerts = platform.presentedAlerts();
    platform.registerScriptableApplication(EV, { selectors: [created, 'setSourceURL:',
      'appendText:html:attachment:', 'openNoteWindowWith:', 'activate'] });
    platform.registerScriptableApplication(DT, { selectors: ['import:from:name:placeholders:to:type:',
      'setURL:', 'createThumbnailFor:', 'setAliases:', 'openWindowForRecord:', 'activate'],
      raising: ['openWindowForRecord:force:'] });
    native.clipPage('evernote', { html: '<p>x</p>', url: 'u', attachments: [${JSON.stringify(pdf)}, null, ${JSON.stringify(zip)}] });
    native.clipPage('devonthink', { title: 'T', url: 'u', 'web-url': 'w', 'html-path': '/m.html' });
    native.clipPage('devonthink-pdf', { title: 'T' });
    native.clipPage('devonthink', { title: 'T' });
    settle();
    native.importIntoApplication(DT, ${JSON.stringify(pdf)});
    return { alerts, ev: platform.scriptingMessages(EV), dt: platform.scriptingMessages(DT) };`);
  assert.deepEqual(value.alerts.map((a) => [a.style, a.message, a.buttons]),
    [['warning', "This version of Evernote doesn't support AppleScript", ['OK']]]);
  assert.match(output, /Couldn't create Evernote note because of missing AppleScript support/);
  const ev = value.ev.map((m) => [m.receiver, m.selector, m.arguments]);
  const note = 'com.evernote.Evernote/1';
  const attached = ev.filter((m) => m[1] === 'appendText:html:attachment:' && m[2][2]).map((m) => path.basename(m[2][2]));
  assert.deepEqual(ev.slice(0, 3), [
    ['application', ev[0][1], [null, null, null, '', null, 'Velquarin', null, null, null, null]],
    [note, 'setSourceURL:', ['u']],
    [note, 'appendText:html:attachment:', [null, '<p>x</p>', null]]]);
  assert.deepEqual(attached.sort(), ['doc.pdf', 'inner.txt', 'top.txt']);  // the zip's files, not its folder
  const unpacked = ev.find((m) => m[2][2] && m[2][2].endsWith('/top.txt'))[2][2];
  assert.equal(fs.existsSync(path.dirname(decodeURIComponent(new URL(unpacked).pathname))), false);
  assert.deepEqual(ev.slice(-2), [['application', 'openNoteWindowWith:', [note]], ['application', 'activate', []]]);
  const dt = value.dt.map((m) => [m.receiver, m.selector, m.arguments]);
  const rec = 'com.devon-technologies.thinkpro2/1';
  assert.deepEqual(dt.slice(0, 7), [
    ['application', 'import:from:name:placeholders:to:type:', ['/m.html', null, 'T', null, null, 0x616C6C20]],
    [rec, 'setURL:', ['u']],
    ['application', 'createThumbnailFor:', [rec]],
    [rec, 'setAliases:', ['w']],
    ['application', 'openWindowForRecord:force:', [rec, true]],
    ['application', 'openWindowForRecord:', [rec]],
    ['application', 'activate', []]]);
  assert.deepEqual(dt[7][2].slice(0, 3), [path.join(root, 'att', 'doc.pdf'), null, 'doc.pdf']);
  assert.equal(dt.length, 11);  // the import's record opened too; nothing from the two refused clips
  assert.match(output, /No PDF attachment found\./);
  assert.match(output, /Nothing to clip to devonthink: neither eml-path nor html-path given/);
  assert.match(output, /\[info\] Integrations\/ZqDEVONthinkRecord:\d+ openRecordWindow .*Using old DEVONThink method of opening record in window/);
});

test('the clipboard text, unknown targets and hostile options', async () => {
  const { value, output } = await inChild(`
    const uncaught = [];
    process.on('uncaughtException', (e) => uncaught.push(String(e.message)));
    const read = () => {
      const data = platform.readPasteboard('general')[0]['public.utf8-plain-text'];
      return Buffer.isBuffer(data) ? data.toString('utf8') : data;
    };
    native.clipPage('clipboard', ${JSON.stringify(OPTIONS)});
    settle();
    const text = read();
    native.clipPage('clipboard', { html: '\\u00a0<p> x </p>\\n' });
    settle();
    const sparse = read();
    native.clipPage('Clipboard', {});
    const hostile = new Proxy({}, { get(target, key) { if (key === 'title') throw new Error('getter'); } });
    native.clipPage('clipboard', hostile);
    native.clipPage('devonthink-pdf', { attachments: 'x', title: Symbol('s') });
    native.clipPage('clipboard', { html: '<p>' + 'y'.repeat(300 * 1024) + '</p>', title: Symbol('s') });
    settle();
    await new Promise((r) => setImmediate(r));
    return { text, sparse, uncaught, big: read() };`);
  assert.equal(value.text, `# ${OPTIONS.title} [${OPTIONS.account}]\n\n${TEXT}\n\n- <${OPTIONS.url}>\n- <${OPTIONS['web-url']}>`);
  assert.equal(value.sparse, '#  []\n\nx\n\n- <>\n- <>');  // absent values are empty, never "(null)"
  assert.deepEqual(value.uncaught, ['getter']);
  assert.match(output, /Unknown application Clipboard/);
  assert.match(output, /attachments is not an array/);
  assert.match(output, /No PDF attachment found\./);
  assert.equal(value.big, `# <string conversion failed> []\n\n${'y'.repeat(300 * 1024)}\n\n- <>\n- <>`);
});

test('Timing: the host answers the event, in-process and on the session bus', async () => {
  const hasBus = Boolean(process.env.DBUS_SESSION_BUS_ADDRESS);
  const { value, output } = await inChild(`
    const { execFile } = require('node:child_process');
    const uncaught = [];
    process.on('uncaughtException', (e) => uncaught.push(String(e.message)));
    const out = { before: platform.sendAppleEvent('Tmng', 'Gpat') };
    let answer = '["Inbox — a", "Drafts"]';
    native.registerAppleEventForTimingApp(() => (typeof answer === 'function' ? answer() : answer));
    native.registerAppleEventForTimingApp(() => '["second"]');
    out.replies = [];
    for (const next of ['["Inbox — a", "Drafts"]', 'not json', '{"a":1}', '[1,"x",null]', () => { throw new Error('boom'); }]) {
      answer = next;
      out.replies.push(platform.sendAppleEvent(0x546D6E67, 0x47706174).reply);
    }
    answer = '["one","two"]';
    if (${hasBus}) {
      const names = platform.scriptingBusNames();
      for (let i = 0; i < 100 && !names.unique; i++) await new Promise((r) => setTimeout(r, 50));
      const call = (...codes) => new Promise((resolve) => execFile('gdbus', ['call', '--session', '--dest',
        platform.scriptingBusNames().unique, '--object-path', names.path, '--method',
        'io.velquarin.AppleEvents1.Send', ...codes], (e, so, se) => resolve(e ? 'ERROR ' + se : so.trim())));
      out.bus = [await call('0x546D6E67', '0x47706174'), await call('1', '2')];
    }
    out.other = platform.sendAppleEvent('abcd', 'efgh');
    out.uncaught = uncaught;
    return out;`);
  assert.deepEqual(value.before, { handled: false, reply: null });
  assert.deepEqual(value.replies, [['Inbox — a', 'Drafts'], [], [], ['x'], []]);
  assert.deepEqual(value.uncaught, ['boom']);
  assert.deepEqual(value.other, { handled: false, reply: null });
  assert.equal((output.match(/Cannot register app event listener twice/g) || []).length, 1);
  assert.equal((output.match(/Couldn't get valid result from sCallback/g) || []).length, 3);
  assert.match(output, /Start listening to Timing events\./);
  assert.match(output, /Received event from Timing - returning list: \["one","two"\]/);
  if (hasBus) {
    assert.equal(value.bus[0], "(['one', 'two'],)");
    assert.match(value.bus[1], /ERROR .*NotHandled/);
  }
});

test('the PDF service entry: installed, moved, replaced, kept and removed', async () => {
  const home = path.join(root, 'pdf-home');
  const folder = path.join(home, 'Library', 'PDF Services');
  const entry = path.join(folder, 'Mail PDF with Velquarin');
  const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', '..', 'build');
  const bundle = (name, id) => {
    const dir = path.join(root, 'apps', name);
    fs.cpSync(path.join(buildDir, 'Velquarin.bundle'), dir, { recursive: true });
    const plist = path.join(dir, 'Info.plist');
    fs.writeFileSync(plist, fs.readFileSync(plist, 'utf8').replace('io.velquarin.desktop', id));
    return dir;
  };
  const first = bundle('First.app', 'io.velquarin.pdftest');
  const moved = bundle('Moved.app', 'io.velquarin.pdftest');
  const foreign = bundle('Other.app', 'org.example.other');
  const start = (bundlePath, body = '') => inChild(body, { HOME: home, VELQUARIN_BUNDLE_PATH: bundlePath });

  await start(first);
  assert.equal(fs.readlinkSync(entry), first);
  fs.symlinkSync(foreign, path.join(folder, 'Other PDF'));
  fs.symlinkSync(path.join(root, 'gone.app'), path.join(folder, 'Stale PDF'));
  fs.mkdirSync(path.join(folder, 'Fifo.app'));
  execFileSync('mkfifo', [path.join(folder, 'Fifo.app', 'Info.plist')]);
  fs.symlinkSync(first, path.join(folder, 'Old name'));
  write(path.join(root, 'apps', 'Velquarin 3.app'), 'old');
  fs.symlinkSync(path.join(root, 'apps', 'Velquarin 3.app'), path.join(folder, 'Mail PDF with Velquarin 3'));
  await start(moved);  // the FIFO must not hold start-up
  assert.equal(fs.readlinkSync(entry), moved);
  assert.deepEqual(fs.readdirSync(folder).sort(), ['Fifo.app', 'Mail PDF with Velquarin', 'Other PDF', 'Stale PDF']);

  fs.rmSync(moved, { recursive: true });  // our entry now dangles: replaced, not kept
  await start(first);
  assert.equal(fs.readlinkSync(entry), first);
  const made = fs.lstatSync(entry, { bigint: true });
  const again = await start(first);  // already right: left as it is
  assert.equal(fs.lstatSync(entry, { bigint: true }).ino, made.ino);
  assert.doesNotMatch(again.output, /(Deleted|Created) .*Mail PDF with Velquarin/);

  const { output } = await start(first, 'native.uninstallPDFServices();');
  assert.match(output, /Deleted .*Mail PDF with Velquarin/);
  assert.ok(fs.existsSync(path.join(first, 'Info.plist')));  // the bundle itself stays
  assert.deepEqual(fs.readdirSync(folder).sort(), ['Fifo.app', 'Other PDF', 'Stale PDF']);
  for (const name of ['Fifo.app', 'Other PDF', 'Stale PDF']) fs.rmSync(path.join(folder, name), { recursive: true });
  fs.symlinkSync(first, entry);
  await start(first, 'native.uninstallPDFServices();');
  assert.equal(fs.existsSync(folder), false);
  assert.ok(fs.existsSync(path.join(home, 'Library')));
});
