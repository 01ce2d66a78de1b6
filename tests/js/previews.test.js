'use strict';
// Previews, Quick Look, sharing and printing, end to end in children on a sandboxed HOME.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { execFileSync, spawn } = require('node:child_process');
const { runChild, solidPNG, readPNG } = require('./support');

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'previews-test-'));
const data = path.join(root, 'data');
const cache = path.join(root, 'cache');
const env = {
  HOME: path.join(root, 'home'), XDG_DATA_HOME: data, XDG_CACHE_HOME: cache,
  XDG_CONFIG_HOME: path.join(root, 'config'), XDG_DATA_DIRS: path.join(root, 'nodata'),
  PATH: `${path.join(root, 'bin')}:${process.env.PATH}`,
};
const write = (file, content, mode) => {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, content);
  if (mode) fs.chmodSync(file, mode);
  return file;
};

// A one-page PDF whose page is 200 x 100 points of red.
function redPDF() {
  const objects = ['<< /Type /Catalog /Pages 2 0 R >>', '<< /Type /Pages /Kids [3 0 R] /Count 1 >>',
    '<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R >>',
    '<< /Length 25 >>\nstream\n1 0 0 rg 0 0 200 100 re f\nendstream'];
  let out = '%PDF-1.4\n';
  const offsets = objects.map((body, i) => {
    const at = out.length;
    out += `${i + 1} 0 obj\n${body}\nendobj\n`;
    return at;
  });
  const xref = out.length;
  out += `xref\n0 5\n0000000000 65535 f \n${offsets.map((o) => `${String(o).padStart(10, '0')} 00000 n \n`).join('')}`;
  return out + `trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n${xref}\n%%EOF\n`;
}

async function inChild(body, { timeoutMs = 30000, extraEnv = {} } = {}) {
  const { code, stdout, stderr } = await runChild(`
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    const fs = require('node:fs'), path = require('node:path'), root = ${JSON.stringify(root)};
    const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
    const preview = (file, size, dir) => new Promise((resolve) =>
      native.generatePreview(file, size, dir, (...args) => resolve(args)));
    (async () => { ${body} })().then((value) => console.log('RESULT ' + JSON.stringify(value ?? null)),
      (error) => { console.error(error); process.exit(1); });
  `, { env: { ...env, ...extraEnv }, timeoutMs });
  assert.equal(code, 0, stderr + stdout);
  const line = stdout.split('\n').find((l) => l.startsWith('RESULT '));
  return { value: JSON.parse(line.slice(7)), output: stdout + stderr };
}

const docs = path.join(root, 'docs');
const out = path.join(root, 'previews');
test.before(() => {
  write(path.join(docs, 'wide.png'), solidPNG(200, 100, [0, 0, 255]));
  execFileSync('vips', ['copy', path.join(docs, 'wide.png'), path.join(docs, 'photo.jpg')]);
  write(path.join(docs, 'report.pdf'), redPDF());
  write(path.join(docs, 'tall.svg'), '<svg xmlns="http://www.w3.org/2000/svg" width="50" height="100">' +
    '<rect width="50" height="100" fill="#0f0"/></svg>');
  execFileSync('mkfifo', [path.join(docs, 'pipe.png')]);
});
test.after(() => fs.rmSync(root, { recursive: true, force: true }));

test('previews of pictures, PDF and SVG: square, lower-left, at the backing scale, tagged', async () => {
  const { value } = await inChild(`
    platform.setBackingScaleFactor(2);
    const results = [];
    for (const name of ['wide.png', 'photo.jpg', 'report.pdf', 'tall.svg']) {
      results.push(await preview(path.join(root, 'docs', name), 32, path.join(root, 'previews', 'new')));
    }
    return results;`);
  const expected = ['wide', 'photo', 'report', 'tall'].map((name) => [path.join(out, 'new', `${name}.png`)]);
  assert.deepEqual(value, expected);
  for (const [file] of expected) {
    const png = readPNG(file);
    assert.deepEqual([png.width, png.height], [64, 64], file);
    assert.equal(png.alpha(0, 63), 255, `${file}: the lower-left corner is drawn`);
    assert.equal(png.text['Thumb::URI'], 'file://' + path.join(docs, path.basename(file, '.png')) +
      path.extname(fs.readdirSync(docs).find((n) => n.startsWith(path.basename(file, '.png')))));
  }
  // Wider than tall: the top half is empty; taller than wide: the right half is.
  assert.equal(readPNG(expected[0][0]).alpha(10, 10), 0);
  assert.equal(readPNG(expected[2][0]).alpha(10, 10), 0);
  assert.equal(readPNG(expected[3][0]).alpha(60, 60), 0);
});

test('existing files, folders, sizes and calls in progress end every call exactly once', async () => {
  const dir = path.join(out, 'rules');
  write(path.join(dir, 'users.png'), 'not ours');
  write(path.join(docs, 'users.png'), solidPNG(4, 4));
  write(path.join(root, 'afile'), 'x');
  const { value, output } = await inChild(`
    const dir = ${JSON.stringify(dir)}, docs = path.join(root, 'docs');
    const calls = [];
    const first = await preview(path.join(docs, 'wide.png'), 16, dir);
    const stat = fs.statSync(first[0]).mtimeMs;
    calls.push(first, await preview(path.join(docs, 'wide.png'), 16, dir));
    const again = fs.statSync(first[0]).mtimeMs === stat;
    calls.push(await preview(path.join(docs, 'photo.jpg'), 16, dir.replace('rules', 'rules2')));
    fs.copyFileSync(path.join(dir, 'wide.png'), path.join(dir, 'photo.png'));
    calls.push(await preview(path.join(docs, 'photo.jpg'), 16, dir));
    calls.push(await preview(path.join(docs, 'users.png'), 16, dir));
    calls.push(await preview(path.join(docs, 'wide.png'), 16, path.join(root, 'afile', 'sub')));
    calls.push(await preview('', 16, dir), await preview(path.join(docs, 'wide.png'), 0, dir),
      await preview(path.join(docs, 'wide.png'), 5000, dir));
    // One call at a time; the next may start from the callback.
    const order = [];
    await new Promise((resolve) => {
      native.generatePreview(path.join(docs, 'tall.svg'), 8, dir, (p) => {
        order.push(['first', p]);
        native.generatePreview(path.join(docs, 'wide.png'), 8, dir, (q) => { order.push(['chained', q]); resolve(); });
      });
      native.generatePreview(path.join(docs, 'wide.png'), 8, dir, (...args) => order.push(['refused', ...args]));
    });
    return { calls, again, order };`);
  assert.equal(value.again, true, 'a current preview is not rendered again');
  assert.deepEqual(value.calls, [[path.join(dir, 'wide.png')], [path.join(dir, 'wide.png')],
    [path.join(out, 'rules2', 'photo.png')], [path.join(dir, 'photo.png')], [], [], [], [], []]);
  assert.equal(readPNG(path.join(dir, 'photo.png')).text['Thumb::URI'], 'file://' + path.join(docs, 'photo.jpg'));
  assert.equal(fs.readFileSync(path.join(dir, 'users.png'), 'utf8'), 'not ours');
  assert.deepEqual(value.order, [['refused'], ['first', path.join(dir, 'tall.png')], ['chained', path.join(dir, 'wide.png')]]);
  for (const line of [/Not replacing .*users\.png/, /Cannot create directory .*afile\/sub because of/,
    /couldn't create URL for path: /, /Couldn't generate preview for path .*wide\.png with size 0/,
    /with size 5000/, /There's already a generatePreview call in progress/]) assert.match(output, line);
});

test('shared cache hits until the source changes; FIFOs and folders are never opened', async () => {
  const source = path.join(docs, 'cached.png');
  write(source, solidPNG(300, 300, [255, 0, 0]));
  const uri = 'file://' + source;
  const md5 = require('node:crypto').createHash('md5').update(uri).digest('hex');
  const mtime = Math.floor(fs.statSync(source).mtimeMs / 1000);
  const tagged = (png, tags) => {
    const chunks = Object.entries(tags).map(([k, v]) => {
      const body = Buffer.from(`tEXt${k}\0${v}`, 'latin1');
      const chunk = Buffer.alloc(body.length + 8);
      chunk.writeUInt32BE(body.length - 4);
      body.copy(chunk, 4);
      chunk.writeUInt32BE(zlib.crc32(body), body.length + 4);
      return chunk;
    });
    return Buffer.concat([png.subarray(0, 33), ...chunks, png.subarray(33)]);
  };
  write(path.join(cache, 'thumbnails', 'large', `${md5}.png`),
    tagged(solidPNG(256, 128, [0, 255, 0]), { 'Thumb::URI': uri, 'Thumb::MTime': String(mtime) }));
  const { value } = await inChild(`
    const hit = await preview(${JSON.stringify(source)}, 100, path.join(root, 'previews', 'cache1'));
    fs.utimesSync(${JSON.stringify(source)}, new Date(), new Date(Date.now() + 5000));
    const miss = await preview(${JSON.stringify(source)}, 100, path.join(root, 'previews', 'cache2'));
    const started = Date.now();
    const odd = [await preview(path.join(root, 'docs', 'pipe.png'), 16, path.join(root, 'previews', 'odd')),
      await preview(path.join(root, 'docs'), 16, path.join(root, 'previews', 'odd'))];
    return { hit, miss, odd, quick: Date.now() - started < 5000 };`);
  // The cached picture is 2:1, the source square: the shape tells which one was used.
  assert.equal(readPNG(value.hit[0]).alpha(10, 10), 0);
  assert.equal(readPNG(value.miss[0]).alpha(10, 10), 255);
  assert.deepEqual(value.odd, [[], []], 'no icon theme in the sandbox: no picture');
  assert.ok(value.quick);
});

test('installed thumbnailers: one argument per code, a hung one killed at the time limit', async () => {
  const record = path.join(root, 'thumbnailer-args');
  write(path.join(root, 'bin', 'vq-thumb'), `#!/bin/sh\nprintf '%s\\n' "$@" > ${record}\n` +
    `exec vips copy ${path.join(docs, 'wide.png')} "$3"\n`, 0o755);
  write(path.join(root, 'bin', 'vq-hang'), '#!/bin/sh\nexec sleep 60\n', 0o755);
  write(path.join(data, 'thumbnailers', 'a.thumbnailer'), '[Thumbnailer Entry]\nTryExec=vq-thumb\n' +
    'Exec=vq-thumb -s %s %o %i "x %u"\nMimeType=application/x-vq-odd;\n');
  write(path.join(data, 'thumbnailers', 'b.thumbnailer'), '[Thumbnailer Entry]\nExec=vq-hang %i\n' +
    'MimeType=application/x-vq-hang;\n');
  write(path.join(data, 'thumbnailers', 'c.thumbnailer'), '[Thumbnailer Entry]\nTryExec=/nonexistent\n' +
    'Exec=vq-thumb\nMimeType=application/x-vq-hang;\n');
  write(path.join(data, 'mime', 'packages', 'vq.xml'), '<?xml version="1.0"?>\n<mime-info ' +
    'xmlns="http://www.freedesktop.org/standards/shared-mime-info"><mime-type type="application/x-vq-odd">' +
    '<glob pattern="*.vqodd"/></mime-type><mime-type type="application/x-vq-hang"><glob pattern="*.vqhang"/>' +
    '</mime-type></mime-info>\n');
  execFileSync('update-mime-database', [path.join(data, 'mime')]);
  const hostile = write(path.join(docs, `a b;$(touch pwned)'".vqodd`), 'x');
  write(path.join(docs, 'slow.vqhang'), 'x');
  const { value } = await inChild(`
    platform.setPreviewTimeLimit(1);
    const made = await preview(${JSON.stringify(hostile)}, 16, path.join(root, 'previews', 'tn'));
    const started = Date.now();
    const hung = await preview(path.join(root, 'docs', 'slow.vqhang'), 16, path.join(root, 'previews', 'tn'));
    return { made, hung, seconds: (Date.now() - started) / 1000 };`);
  assert.equal(value.made.length, 1);
  const args = fs.readFileSync(record, 'utf8').split('\n').slice(0, 4);
  assert.equal(args[0], '-s');
  assert.equal(args[1], '16');
  assert.equal(args[3], hostile);
  assert.deepEqual(value.hung, []);
  assert.ok(value.seconds < 5, `killed after ${value.seconds} s`);
  assert.ok(!fs.existsSync(path.join(docs, 'pwned')));
});

test('Quick Look through the panel: start index, wraps, reports after the main queue, closing', async () => {
  const files = ['a.png', 'b.png', 'c.png'].map((name) => path.join(docs, name));
  const { value, output } = await inChild(`
    const files = ${JSON.stringify(files)};
    const w = platform.createWindow('AtomNSWindow'), other = platform.createWindow('AtomNSWindow');
    const seen = [], later = [];
    native.quickLook(w, JSON.stringify(files), 2, (p) => seen.push(p));
    const synchronous = seen.length;
    await sleep(20);
    const panel = platform.quickLookPanel();
    const key = (code, type = 11) => platform.quickLookKey(code, type);
    const moves = [];
    for (const [code, type] of [[126], [125], [125], [125, 10], [42]]) {
      moves.push(key(code, type));
      await sleep(10);
    }
    native.quickLook(other, JSON.stringify([files[1], 7, '', files[0]]), 5, (p) => later.push(p));
    await sleep(20);
    const second = platform.quickLookPanel();
    native.quickLook(w, JSON.stringify([]), 0, () => {});
    const empty = [platform.quickLookPanel().path, key(125), key(126)];
    const hostile = ['{"a":1}', 'nope', '[1, null]'].map((text) => {
      native.quickLook(w, text, 0, () => {});
      return platform.quickLookPanel().items;
    });
    native.quickLook(w, JSON.stringify(files), 0, () => {});
    const escape = key(53, 10);
    const afterEscape = platform.quickLookPanel();
    native.quickLook(w, JSON.stringify([path.join(root, 'docs', 'wide.png')]), 0, () => {});
    const image = platform.quickLookPanelImage(40);
    platform.closeWindow(w);
    const afterClose = platform.quickLookPanel();
    native.quickLook(Buffer.alloc(8), '[]', 0, () => {});
    return { synchronous, seen, panel: { ...panel, window: panel.window.equals(w) }, moves, later,
      second: { ...second, window: second.window.equals(w) }, empty, hostile, escape, afterEscape, afterClose,
      image: image && [image.readUInt32BE(16), image.readUInt32BE(20)] };`);
  assert.equal(value.synchronous, 0, 'reports arrive after the main queue runs');
  assert.deepEqual(value.panel, { window: true, items: 3, index: 2, path: files[2] });
  assert.deepEqual(value.moves, [true, true, true, false, false]);
  // c -> (up) a -> (down) c -> (down) b
  assert.deepEqual(value.seen, [files[2], files[0], files[2], files[1]]);
  // A second call keeps the first window; an index past the end is not made current (the
  // panel keeps its index 1).
  assert.deepEqual(value.second, { window: true, items: 2, index: 1, path: files[0] });
  assert.deepEqual(value.later, [files[0]]);
  assert.deepEqual(value.empty, [null, false, false]);
  assert.deepEqual(value.hostile, [0, 0, 0]);
  assert.equal(value.escape, true);
  assert.equal(value.afterEscape, null);
  assert.equal(value.afterClose, null);
  assert.deepEqual(value.image, [40, 20], 'the reopened panel shows the picture');
  assert.match(output, /error parsing options .* \(nope\)/);
  assert.match(output, /Need a window to quick look\./);
});

test('sharing: picker state, open with all files at once, show in folder, hostile points', async () => {
  const records = path.join(root, 'share-records');
  write(path.join(root, 'bin', 'vq-record'), `#!/bin/sh\nprintf '%s\\n' "$@" >> ${records}\n`, 0o755);
  write(path.join(data, 'applications', 'org.example.Viewer.desktop'), '[Desktop Entry]\nType=Application\n' +
    `Name=Viewer\nExec=${path.join(root, 'bin', 'vq-record')} %F\nMimeType=image/png;image/jpeg;\n`);
  write(path.join(data, 'applications', 'org.example.PngOnly.desktop'), '[Desktop Entry]\nType=Application\n' +
    `Name=PngOnly\nExec=${path.join(root, 'bin', 'vq-record')} %F\nMimeType=image/png;\n`);
  execFileSync('update-desktop-database', [path.join(data, 'applications')]);
  const files = [path.join(docs, 'wide.png'), path.join(docs, 'photo.jpg')];
  const { value, output } = await inChild(`
    const w = platform.createWindow('AtomNSWindow');
    const files = ${JSON.stringify(files)};
    const bad = ['{"x": [1], "y": 2}', '{"x": null}', '[1,2]', '{"x": {}}', 'oops'].map((point) => {
      native.shareFiles(w, JSON.stringify(files), point);
      return platform.sharingPicker();
    });
    native.shareFiles(w, JSON.stringify(files), '{"x": 1e300, "y": "12.5"}');
    const first = platform.sharingPicker();
    native.shareFiles(w, JSON.stringify([files[0]]), '{"x": 3}');
    const replaced = platform.sharingPicker();
    const wrong = platform.chooseSharingService('open-with:nope');
    const chosen = platform.chooseSharingService('open-with:org.example.Viewer');
    native.shareFiles(w, JSON.stringify(files), '{}');
    platform.closeWindow(w);
    return { bad, first: { ...first, window: undefined }, replaced: replaced.services.map((s) => s.id),
      wrong, chosen, afterClose: platform.sharingPicker() };`,
  { extraEnv: { XDG_DATA_DIRS: '/usr/share' } });
  assert.deepEqual(value.bad, [null, null, null, null, null]);
  assert.equal((output.match(/Error parsing rect JSON string/g) || []).length, 5);
  assert.deepEqual(value.first.anchor, { x: 16777216, y: 12, width: 0, height: 0 });
  assert.equal(value.first.edge, 1);
  assert.deepEqual(value.first.services.map((s) => s.id), ['open-with:org.example.Viewer', 'show-in-folder']);
  assert.deepEqual(value.replaced.slice(0, 2).sort(), ['open-with:org.example.PngOnly', 'open-with:org.example.Viewer']);
  assert.equal(value.replaced[2], 'show-in-folder');
  assert.equal(value.wrong.ok, false);
  assert.deepEqual(value.chosen, { ok: true });
  assert.equal(value.afterClose, null);
  let lines = [];
  for (let i = 0; i < 100 && lines.length < 1; ++i) {
    await new Promise((resolve) => setTimeout(resolve, 50));
    lines = fs.existsSync(records) ? fs.readFileSync(records, 'utf8').trim().split('\n') : [];
  }
  assert.deepEqual(lines, [files[0]], 'the replacing picker shared one file, in one launch');
});

test('show in folder reaches the file manager on the bus', { skip: !process.env.DBUS_SESSION_BUS_ADDRESS }, async () => {
  const name = 'org.freedesktop.FileManager1';
  const mock = spawn('/usr/bin/python3', ['-m', 'dbusmock', name, '/org/freedesktop/FileManager1', name], { stdio: 'ignore' });
  const python = (code) => execFileSync('/usr/bin/python3', ['-c', `import dbus, json\nbus = dbus.SessionBus()\n${code}`],
    { stdio: ['ignore', 'pipe', 'pipe'] }).toString();
  const object = `bus.get_object('${name}', '/org/freedesktop/FileManager1')`;
  try {
    for (let i = 0; i < 50; ++i) {
      try {
        python(`${object}.AddMethod('${name}', 'ShowItems', 'ass', '', '', dbus_interface='org.freedesktop.DBus.Mock')`);
        break;
      } catch { await new Promise((resolve) => setTimeout(resolve, 100)); }
    }
    await inChild(`const w = platform.createWindow('AtomNSWindow');
      native.shareFiles(w, JSON.stringify([path.join(root, 'docs', 'wide.png')]), '{"x": 1, "y": 2}');
      platform.chooseSharingService('show-in-folder');
      await sleep(300);`);
    const calls = JSON.parse(python(`print(json.dumps([[list(map(str, a)) for a in c[1]] for c in ${object}.GetMethodCalls('ShowItems', dbus_interface='org.freedesktop.DBus.Mock')]))`));
    assert.deepEqual(calls, [[['file://' + path.join(docs, 'wide.png')], []]]);
  } finally {
    mock.kill();
  }
});

test('printing: the panel lists the queue, confirming prints the exact bytes, cancelling nothing',
  { skip: !process.env.VELQUARIN_TEST_PRINT_OUTPUT }, async () => {
    const output = process.env.VELQUARIN_TEST_PRINT_OUTPUT;
    const document = write(path.join(docs, 'print me.bin'), Buffer.from([0, 1, 2, 255, 10, 13, 0, 42]));
    const before = fs.existsSync(output) ? fs.readFileSync(output).length : 0;
    const { value, output: log } = await inChild(`
      const waitFor = async (probe) => { for (let i = 0; i < 200; ++i) { const v = probe(); if (v) return v; await sleep(25); } return null; };
      native.printPath(${JSON.stringify(document)});
      const panel = await waitFor(() => platform.printPanel());
      const refused = [platform.endPrintPanel('NoSuchPrinter'), platform.endPrintPanel('VelquarinTest', { copies: 0 })];
      const confirmed = platform.endPrintPanel('VelquarinTest', { copies: 1 });
      const jobs = await waitFor(() => platform.printJobs().length && platform.printJobs());
      native.printPath(${JSON.stringify(document)});
      await waitFor(() => platform.printPanel());
      const cancelled = platform.endPrintPanel(null);
      native.printPath(path.join(root, 'docs'));
      native.printPath(path.join(root, 'docs', 'pipe.png'));
      native.printPath(path.join(root, 'missing'));
      await sleep(100);
      return { panel, refused, confirmed, jobs, cancelled, none: platform.printPanel() };`);
    assert.deepEqual(value.panel, { path: document, printers: ['VelquarinTest'], defaultPrinter: 'VelquarinTest',
      selectedPrinter: 'VelquarinTest' });
    assert.deepEqual([value.refused, value.confirmed, value.cancelled, value.none], [[false, false], true, true, null]);
    assert.equal(value.jobs.length, 1);
    assert.ok(value.jobs[0].id > 0, JSON.stringify(value.jobs));
    assert.equal((log.match(/Cannot print .*: not a file/g) || []).length, 3);
    let printed = Buffer.alloc(0);
    for (let i = 0; i < 200 && printed.length < before + 8; ++i) {
      await new Promise((resolve) => setTimeout(resolve, 25));
      printed = fs.existsSync(output) ? fs.readFileSync(output) : printed;
    }
    assert.deepEqual(printed.subarray(before), fs.readFileSync(document));
    const completed = execFileSync('lpstat', ['-h', process.env.CUPS_SERVER, '-W', 'completed', '-o']).toString();
    assert.match(completed, new RegExp(`VelquarinTest-${value.jobs[0].id}\\b`));
  });

test('printing without a reachable server shows no panel and says why', async () => {
  const { value, output } = await inChild(`
    native.printPath(path.join(root, 'docs', 'wide.png'));
    for (let i = 0; i < 80 && !platform.printPanel(); ++i) await sleep(25);
    return platform.printPanel();`, { extraEnv: { CUPS_SERVER: path.join(root, 'no-such.sock') } });
  assert.equal(value, null);
  assert.match(output, /com\.apple\.Preview doesn't know how to print\./);
  assert.match(output, /Printing .*wide\.png failed: /);
});
