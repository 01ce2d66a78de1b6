'use strict';
// Applications, default handlers and icons against real desktop entries, MIME data and an
// icon theme in sandboxed XDG folders. GIO reads the XDG variables once per process, so the
// module runs in child processes that get the sandbox's environment.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync, spawn } = require('node:child_process');
const { runChild, solidPNG, readPNG } = require('./support');

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'apps-test-'));
const data = path.join(root, 'data');
const config = path.join(root, 'config');
const records = path.join(root, 'records');
const fifo = path.join(root, 'icon.png');
const env = {
  HOME: path.join(root, 'home'),
  XDG_DATA_HOME: data,
  XDG_CONFIG_HOME: config,
  XDG_CACHE_HOME: path.join(root, 'cache'),
  XDG_DATA_DIRS: '/usr/local/share:/usr/share',  // keeps the system's MIME database
  XDG_CURRENT_DESKTOP: '',
  VQ_RECORDS: records,
};
const mimeapps = path.join(config, 'mimeapps.list');

function write(file, text) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, text);
}

function entry(id, { name, exec = `${root}/bin/record ${id} %U`, icon, types, extra = '' }) {
  write(path.join(data, 'applications', `${id}.desktop`), ['[Desktop Entry]', 'Type=Application',
    `Name=${name}`, extra, `Exec=${exec}`, icon ? `Icon=${icon}` : '', `MimeType=${types};`, ''].join('\n'));
}

const theme = path.join(data, 'icons', 'VqTest');
test.before(() => {
  write(path.join(root, 'bin', 'record'), '#!/bin/sh\nlog="$VQ_RECORDS/$1"; shift\n' +
    '{ printf \'%s\\0\' "$@"; printf \'\\001\'; } >> "$log"\n');
  fs.chmodSync(path.join(root, 'bin', 'record'), 0o755);
  fs.mkdirSync(records);
  execFileSync('mkfifo', [fifo]);
  entry('IO.Velquarin.Desktop', { name: 'Velquarin', icon: 'vq-png', types: 'x-scheme-handler/velqmail' });
  entry('org.example.Mail', { name: 'Mail', extra: 'Name[de]=Post', icon: 'vq-svg',
    types: 'x-scheme-handler/velqmail;application/x-velquarin-test' });
  entry('org.example.Viewer', { name: 'Test Viewer', exec: `${root}/bin/record org.example.Viewer %F`,
    types: 'application/x-velquarin-test' });
  entry('org.example.Cards', { name: 'Cards', exec: `${root}/bin/record org.example.Cards %f`, types: 'text/vcard' });
  entry('org.example.Fifo', { name: 'Fifo', icon: fifo, types: 'x-scheme-handler/velqmail' });
  entry('org.example.Gone', { name: 'Gone', exec: '/nonexistent/gone %U', types: 'x-scheme-handler/velqmail' });
  write(path.join(data, 'mime', 'packages', 'vqtest.xml'), '<?xml version="1.0"?>\n' +
    '<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">' +
    '<mime-type type="application/x-velquarin-test"><comment>test</comment>' +
    '<glob pattern="*.vqtest"/></mime-type></mime-info>\n');
  execFileSync('update-mime-database', [path.join(data, 'mime')]);
  execFileSync('update-desktop-database', [path.join(data, 'applications')]);
  write(mimeapps, '[Default Applications]\nx-scheme-handler/velqmail=org.example.Mail.desktop\n' +
    'application/x-velquarin-test=org.example.Viewer.desktop\ntext/vcard=org.example.Cards.desktop\n');
  write(path.join(config, 'gtk-3.0', 'settings.ini'), '[Settings]\ngtk-icon-theme-name=VqTest\n');
  write(path.join(theme, 'index.theme'), '[Icon Theme]\nName=VqTest\nInherits=hicolor\n' +
    'Directories=16x16/apps,scalable/apps\nScaledDirectories=16x16@2/apps\n[16x16/apps]\nSize=16\n' +
    'Type=Fixed\n[16x16@2/apps]\nSize=16\nScale=2\nType=Fixed\n' +
    '[scalable/apps]\nSize=16\nType=Scalable\nMinSize=8\nMaxSize=512\n');
  write(path.join(theme, '16x16/apps/vq-png.png'), solidPNG(16, 16, [0, 0, 255]));
  write(path.join(theme, '16x16@2/apps/vq-png.png'), solidPNG(32, 32, [0, 255, 0]));
  write(path.join(theme, '16x16/apps/application-x-velquarin-test.png'), solidPNG(16, 16, [255, 0, 255]));
  write(path.join(theme, 'scalable/apps/vq-svg.svg'), '<svg xmlns="http://www.w3.org/2000/svg" ' +
    'width="20" height="10" viewBox="0 0 20 10"><rect width="20" height="10" fill="#ff0000"/></svg>');
});
test.after(() => fs.rmSync(root, { recursive: true, force: true }));

// Runs `body` (async, with `native`, `platform`, `root`) in a child on the sandbox; its
// value and everything it printed.
async function inChild(body, { extraEnv = {}, timeoutMs = 20000 } = {}) {
  const { code, stdout, stderr } = await runChild(`
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    const fs = require('node:fs'), path = require('node:path'), root = ${JSON.stringify(root)};
    const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
    (async () => { ${body} })().then((value) => console.log('RESULT ' + JSON.stringify(value ?? null)),
      (error) => { console.error(error); process.exit(1); });
  `, { env: { ...env, ...extraEnv }, timeoutMs });
  assert.equal(code, 0, stderr + stdout);
  const line = stdout.split('\n').find((l) => l.startsWith('RESULT '));
  return { value: JSON.parse(line.slice(7)), output: stdout + stderr };
}

const gioRegistered = (type) => {
  const out = execFileSync('gio', ['mime', type], { env: { ...process.env, ...env } }).toString();
  return out.split('Registered applications:')[1].split('Recommended')[0].trim().split(/\s+/)
    .map((id) => id.replace(/\.desktop$/, ''));
};

test('lists, defaults, names and the registry shared with gio and xdg-mime', async () => {
  const before = fs.readFileSync(mimeapps);
  const { value, output } = await inChild(`
    const hostile = ['', 'a b', '[x]', 'x\\ny', '1abc', 'mail:to', 'ä'];
    const out = {
      velqmail: JSON.parse(native.applicationsForScheme('velqmail', 16, null)),
      upper: JSON.parse(native.applicationsForScheme('VelqMail', 16, 7)),
      byExt: ['.VQTEST', 'vqtest', 'a/b', 'zzz-unknown'].map((e) => JSON.parse(native.applicationsForFileExtension(e, 16, null))),
      defaults: ['velqmail', 'VELQMAIL', 'nohandler'].map((s) => native.defaultApplicationForScheme(s)),
      installed: ['org.example.Mail', 'org.example.mail', 'org.example.Gone', '../x', ''].map((id) => native.isApplicationInstalled(id)),
      names: ['org.example.Mail', 'org.example.Gone'].map((id) => native.applicationName(id)),
      hostile: hostile.map((s) => [native.applicationsForScheme(s, 16, null), native.defaultApplicationForScheme(s),
        native.setDefaultApplicationForScheme(s, 'org.example.Mail')]),
      loose: [native.applicationsForScheme(null, 'x', {}), native.applicationsForFileExtension({}, null, 3)],
      unknownApp: native.setDefaultApplicationForScheme('velq-test', 'org.example.Nope'),
    };
    out.hostileFile = fs.readFileSync(${JSON.stringify(mimeapps)}).toString('base64');
    out.set = native.setDefaultApplicationForScheme('Velq-Test', 'org.example.Viewer');
    require('node:child_process').execFileSync('gio', ['mime', 'x-scheme-handler/velq-other', 'org.example.Mail.desktop']);
    for (let i = 0; i < 50 && native.defaultApplicationForScheme('velq-other') !== 'org.example.Mail'; ++i) await sleep(100);
    out.seesGio = native.defaultApplicationForScheme('velq-other');
    return out;`);
  const ids = (list) => list.map((e) => e['bundle-id']);
  assert.deepEqual(ids(value.velqmail), gioRegistered('x-scheme-handler/velqmail'));  // GIO's order
  assert.deepEqual(ids(value.velqmail).sort(), ['IO.Velquarin.Desktop', 'org.example.Fifo', 'org.example.Mail']);
  for (const e of value.velqmail) {
    assert.equal(e['default?'], e['bundle-id'] === 'org.example.Mail');
    assert.equal(e['our-entry?'], e['bundle-id'] === 'IO.Velquarin.Desktop');
    assert.equal(e['image-path'], '');
    assert.equal(e.path, path.join(data, 'applications', `${e['bundle-id']}.desktop`));
  }
  assert.deepEqual(value.velqmail.find((e) => e['bundle-id'] === 'org.example.Mail').name, 'Mail');
  assert.deepEqual(value.upper, value.velqmail);
  assert.deepEqual(value.byExt[0], value.byExt[1]);
  assert.deepEqual(ids(value.byExt[0]), gioRegistered('application/x-velquarin-test'));
  assert.deepEqual(ids(value.byExt[0]).sort(), ['org.example.Mail', 'org.example.Viewer']);
  assert.deepEqual(value.byExt.slice(2), [[], []]);
  assert.deepEqual(value.defaults, ['org.example.Mail', 'org.example.Mail', null]);
  assert.deepEqual(value.installed, [true, false, false, false, false]);
  assert.deepEqual(value.names, ['Mail', null]);
  assert.match(output, /Couldn't get applicationName/);
  for (const answer of value.hostile) assert.deepEqual(answer, ['[]', null, 0]);
  assert.deepEqual(value.loose, ['[]', '[]']);
  assert.equal(value.unknownApp, 0);
  assert.deepEqual(Buffer.from(value.hostileFile, 'base64'), before);  // untouched by all of it
  assert.equal(value.set, 1);
  const query = (type) => execFileSync('xdg-mime', ['query', 'default', type], { env: { ...process.env, ...env } }).toString().trim();
  assert.equal(query('x-scheme-handler/velq-test'), 'org.example.Viewer.desktop');
  assert.equal(query('x-scheme-handler/velqmail'), 'org.example.Mail.desktop');  // the rest kept
  assert.equal(value.seesGio, 'org.example.Mail');
  assert.match(output, /defaultApplicationForScheme: velqmail -> org\.example\.Mail/);
});

test('a mimeapps.list that does not parse is left as it is', async () => {
  const saved = fs.readFileSync(mimeapps);
  const corrupt = '[Default Applications]\nx-scheme-handler/velqmail=org.example.Mail.desktop\nnot a key file line\n';
  fs.writeFileSync(mimeapps, corrupt);
  try {
    const { value } = await inChild(`return native.setDefaultApplicationForScheme('velq-x', 'org.example.Mail');`);
    assert.equal(value, 0);
    assert.equal(fs.readFileSync(mimeapps, 'utf8'), corrupt);
  } finally {
    fs.writeFileSync(mimeapps, saved);
  }
});

test('icons: theme PNG and SVG at scales 1 and 2, the list cache, and what is refused', async () => {
  const icons = path.join(root, 'icons-out');
  const { value, output } = await inChild(`
    const dir = ${JSON.stringify(icons)};
    const out = { list: JSON.parse(native.applicationsForScheme('velqmail', 16, dir)) };
    const own = path.join(dir, 'IO.Velquarin.Desktop.png');
    fs.writeFileSync(own, 'kept');
    out.again = JSON.parse(native.applicationsForScheme('velqmail', 16, dir));
    out.kept = fs.readFileSync(own, 'utf8');
    out.single = [native.iconForApplication('IO.Velquarin.Desktop', 16, dir),
      native.iconForApplication('org.example.Mail', 15, dir + '/odd'),
      native.iconForFileExtension('.vqtest', 16, dir + '/new/sub'),
      native.iconForApplication('org.example.Fifo', 16, dir)];
    out.refused = [native.iconForApplication('../../x', 16, dir), native.iconForFileExtension('../x', 16, dir),
      native.iconForApplication('org.example.Nope', 16, dir), native.iconForApplication('org.example.Mail', 0, dir),
      native.iconForApplication('org.example.Mail', 4097, dir), native.iconForApplication('org.example.Mail', 16, own),
      native.applicationsForScheme('velqmail', 16, own)];
    out.huge = JSON.parse(native.applicationsForScheme('velqmail', 5000, dir + '/huge'));
    platform.setBackingScaleFactor(2);
    out.scaled = [native.iconForApplication('IO.Velquarin.Desktop', 16, dir + '/2x'),
      native.iconForApplication('org.example.Mail', 15, dir + '/2x')];
    return out;`);
  const entries = Object.fromEntries(value.list.map((e) => [e['bundle-id'], e['image-path']]));
  for (const [id, file] of Object.entries(entries)) assert.equal(file, path.join(icons, `${id}.png`));
  assert.equal(value.kept, 'kept');  // lists never redraw
  assert.deepEqual(value.again, value.list);
  assert.ok(!fs.existsSync(entries['org.example.Fifo']));  // a FIFO is no icon, and no hang
  assert.match(output, /Couldn't write icon file .*org\.example\.Fifo\.png/);
  assert.deepEqual(value.single, [entries['IO.Velquarin.Desktop'], path.join(icons, 'odd', 'org.example.Mail.png'),
    path.join(icons, 'new', 'sub', '.vqtest.png'), null]);
  assert.deepEqual(value.refused, [null, null, null, null, null, null, null]);
  assert.ok(!fs.existsSync(path.join(root, 'x.png')) && !fs.existsSync(path.join(icons, 'org.example.Nope.png')));
  assert.ok(value.huge.length === 3 && !fs.existsSync(path.join(icons, 'huge', 'org.example.Mail.png')));
  // Anchored lower-left: the bottom row painted; the top transparent when the icon is wide.
  const check = (file, side, colour, wide) => {
    const png = readPNG(file);
    assert.deepEqual([png.width, png.height], [side, side], file);
    assert.deepEqual(png.pixel(1, side - 1), [...colour, 255], file);
    assert.equal(png.pixel(side - 2, 0)[3], wide ? 0 : 255, file);
  };
  check(entries['org.example.Mail'], 16, [255, 0, 0], true);
  check(value.single[0], 16, [0, 0, 255], false);
  check(value.single[1], 15, [255, 0, 0], true);
  check(value.single[2], 16, [255, 0, 255], false);
  check(value.scaled[0], 32, [0, 255, 0], false);  // the theme's @2 folder
  check(value.scaled[1], 30, [255, 0, 0], true);
});

const recorded = (id) => {
  const file = path.join(records, id);
  return fs.existsSync(file) ? fs.readFileSync(file, 'utf8').split('\u0001').filter(Boolean)
    .map((call) => call.split('\0').slice(0, -1)) : [];
};

test('openFile by id, .desktop id, name, path and default: one argument per file, no shell', async () => {
  const files = ['a b.vqtest', `q'u"ote.vqtest`, '$(touch pwned).vqtest', '-rf.vqtest', 'line\nbreak.vqtest']
    .map((name) => path.join(root, 'docs', name));
  for (const file of files) write(file, 'x');
  const viewer = path.join(data, 'applications', 'org.example.Viewer.desktop');
  const { value } = await inChild(`
    const files = ${JSON.stringify(files)};
    const apps = ['org.example.Viewer', 'org.example.Viewer.desktop', 'Test Viewer', ${JSON.stringify(viewer)}, null];
    const opened = files.map((file, i) => native.openFile(file, apps[i], true));
    const refused = [native.openFile(path.join(root, 'missing.vqtest'), null, false),
      native.openFile(files[0], 'org.example.Nope', false), native.openFile(files[0], '/etc/passwd', false),
      native.openFile(7, 8, 9)];
    return { opened, refused, names: [native.applicationName('org.example.Mail')] };`,
  { extraEnv: { LANGUAGE: 'de' } });
  assert.deepEqual(value.opened, [1, 1, 1, 1, 1]);
  assert.deepEqual(value.refused, [0, 0, 0, 0]);
  assert.deepEqual(value.names, ['Post']);
  let calls = [];
  for (let i = 0; i < 100 && calls.length < files.length; ++i) {
    await new Promise((resolve) => setTimeout(resolve, 50));
    calls = recorded('org.example.Viewer');
  }
  assert.deepEqual(calls.map((args) => args).sort(), files.map((file) => [file]).sort());
  assert.ok(!fs.existsSync('pwned') && !fs.existsSync(path.join(root, 'docs', 'pwned')));
});

test('Edit in Contacts in the address picker opens the selected card with the vCard application', async () => {
  const card = path.join(data, 'contacts', 'book', 'ann.vcf');
  write(card, 'BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ann\r\nFN:Ann Lee\r\nEMAIL:ann@example.com\r\nEND:VCARD\r\n');
  const { output } = await inChild(`
    native.pickEmailAddresses(platform.createWindow('AtomNSWindow'), JSON.stringify({ 'window-title': 'Pick',
      'accept-button-label': 'OK', 'cancel-button-label': 'Cancel', 'edit-in-contacts-button-label': 'Edit' }));
    platform.pressAddressPickerButton(0);
    platform.selectInAddressPicker({ records: ['ann'] });
    platform.pressAddressPickerButton(0);`);
  assert.match(output, /Cannot open the card in the contacts application: no card is selected/);
  let calls = [];
  for (let i = 0; i < 100 && calls.length === 0; ++i) {
    await new Promise((resolve) => setTimeout(resolve, 50));
    calls = recorded('org.example.Cards');
  }
  assert.deepEqual(calls, [[card]]);
});

// The file URI as GLib writes it: RFC 3986 path characters kept, the rest percent-escaped.
const fileURI = (file) => 'file://' + [...Buffer.from(file)].map((byte) => {
  const c = String.fromCharCode(byte);
  return /[A-Za-z0-9\-._~!$&'()*+,=:@/]/.test(c) ? c : '%' + byte.toString(16).toUpperCase().padStart(2, '0');
}).join('');

test('openInfoForFile asks the file manager on the bus with the exact file URI', { skip: !process.env.DBUS_SESSION_BUS_ADDRESS }, async () => {
  const name = 'org.freedesktop.FileManager1';
  const mock = spawn('/usr/bin/python3', ['-m', 'dbusmock', name, '/org/freedesktop/FileManager1', name], { stdio: 'ignore' });
  const python = (code) => execFileSync('/usr/bin/python3', ['-c', `import dbus, json\nbus = dbus.SessionBus()\n${code}`], { stdio: ['ignore', 'pipe', 'pipe'] }).toString();
  try {
    const mockObject = `bus.get_object('${name}', '/org/freedesktop/FileManager1')`;
    for (let i = 0; i < 50; ++i) {
      try {
        python(`${mockObject}.AddMethod('${name}', 'ShowItemProperties', 'ass', '', '', dbus_interface='org.freedesktop.DBus.Mock')`);
        break;
      } catch { await new Promise((resolve) => setTimeout(resolve, 100)); }
    }
    const file = path.join(root, 'docs', `it's "x" $(y).txt`);
    write(file, 'x');
    const { output } = await inChild(`process.chdir(${JSON.stringify(path.dirname(file))});
      native.openInfoForFile(${JSON.stringify(path.basename(file))}); native.openInfoForFile(path.join(root, 'gone.txt'));`);
    const calls = JSON.parse(python(`print(json.dumps([[list(map(str, a)) for a in c[1]] for c in ${mockObject}.GetMethodCalls('ShowItemProperties', dbus_interface='org.freedesktop.DBus.Mock')]))`));
    assert.deepEqual(calls, [[[fileURI(file)], []]]);
    assert.match(output, /No file at .*gone\.txt/);
  } finally {
    mock.kill();
  }
  await new Promise((resolve) => mock.on('exit', resolve));
  const started = Date.now();
  const { output } = await inChild(`native.openInfoForFile(${JSON.stringify(root)});`, { timeoutMs: 8000 });
  assert.match(output, /did not show the items/);
  assert.ok(Date.now() - started < 6000);
});
