'use strict';
// HTTP request objects against servers this file starts on 127.0.0.1.
const test = require('node:test');
const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const https = require('node:https');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { spawnSync } = require('node:child_process');
const { loadModule, loadPlatform, runChild } = require('./support');

const native = loadModule();
const platform = loadPlatform();

// A server on 127.0.0.1 that records what it was asked and closes when test `t` ends;
// `routes` maps a path to a handler.
async function serve(t, routes, { secure } = {}) {
  const seen = [];
  const handler = (req, res) => {
    seen.push({ method: req.method, url: req.url, headers: req.headers, port: req.socket.remotePort });
    const route = routes[req.url.split('?')[0]] || routes['*'];
    if (route) return route(req, res);
    res.writeHead(404).end('no such route');
  };
  const server = secure ? https.createServer(secure, handler) : http.createServer(handler);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `${secure ? 'https' : 'http'}://127.0.0.1:${server.address().port}`;
  const sockets = new Set();
  let connections = 0;
  server.on('connection', (socket) => {
    connections += 1;
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  const close = () => {
    for (const socket of sockets) socket.destroy();
    return new Promise((resolve) => server.close(resolve));
  };
  t.after(close);
  return { seen, url: (p) => base + p, connections: () => connections, close };
}

// Starts a request and records every event until a terminal one, then a little longer, so
// an event that should not come has the chance to.
function fetchEvents(url, ...options) {
  return new Promise((resolve) => {
    const events = [];
    const request = native.createRequest(url, ...options);
    let done = false;
    const finish = () => {
      if (done) return;
      done = true;
      setTimeout(() => resolve({ events, request }), 30);
    };
    request.on('response', (object) => {
      assert.equal(object, request);
      events.push({ type: 'response', statusCode: object.statusCode, location: object.location });
    });
    request.on('data', (chunk) => {
      assert.ok(chunk instanceof ArrayBuffer);
      events.push({ type: 'data', bytes: Buffer.from(chunk) });
    });
    request.on('end', (object) => {
      assert.equal(object, request);
      events.push({ type: 'end', buffer: Buffer.from(object.buffer) });
      finish();
    });
    request.on('error', (text) => {
      events.push({ type: 'error', text });
      finish();
    });
    request.start();
  });
}

const types = (events) => events.map((event) => event.type);
const joinedData = (events) =>
  Buffer.concat(events.filter((event) => event.type === 'data').map((event) => event.bytes));
const only = (events, type) => events.filter((event) => event.type === type);

test('a plain GET: one response, data chunks that join to the buffer, one end', async (t) => {
  const body = 'x'.repeat(70000);
  const server = await serve(t, { '/plain': (req, res) => res.end(body) });
  const { events, request } = await fetchEvents(server.url('/plain'));
  assert.deepEqual(types(events).filter((type) => type !== 'data'), ['response', 'end']);
  assert.equal(events[0].statusCode, 200);
  assert.equal(events[0].location, undefined);
  assert.equal(request.statusCode, 200);
  assert.ok(request.buffer instanceof ArrayBuffer);
  assert.equal(only(events, 'end')[0].buffer.toString(), body);
  assert.deepEqual(joinedData(events), only(events, 'end')[0].buffer);
  const [{ method, headers }] = server.seen;
  assert.equal(method, 'GET');
  // No extra fields, no cookies: only what every request carries.
  assert.deepEqual(Object.keys(headers).sort(), ['accept', 'accept-encoding', 'host', 'user-agent']);
});

test('headers: strings pass, other types are skipped, injections and bad names are dropped', async (t) => {
  const server = await serve(t, { '/h': (req, res) => res.end('ok') });
  await fetchEvents(server.url('/h'), {
    headers: {
      'X-Kept': 'yes',
      'X-Empty': '',
      'X-Number': 5,
      'X-Object': { a: 1 },
      'Bad Name': 'x',
      'X-Split': 'a\r\nInjected: 1',
      'X-Line': 'a\nInjected: 2',
      'X-Nul': 'a\u0000b',
    },
    method: 'GET',
  });
  const { headers } = server.seen[0];
  assert.equal(headers['x-kept'], 'yes');
  assert.equal(headers['x-empty'], '');
  for (const name of ['x-number', 'x-object', 'bad name', 'x-split', 'x-line', 'x-nul', 'injected']) {
    assert.equal(headers[name], undefined, name);
  }
});

test('options that are not an object, or keys of the wrong type, fall back to defaults', async (t) => {
  const server = await serve(t, { '/d': (req, res) => res.end(req.method) });
  for (const options of ['GET', null, 42, { method: 7, followRedirects: 'no', headers: 'x' }]) {
    const { events } = await fetchEvents(server.url('/d'), options);
    assert.equal(only(events, 'end')[0].buffer.toString(), 'GET');
  }
  const { events } = await fetchEvents(server.url('/d'), { method: 'DELETE' });
  assert.equal(only(events, 'end')[0].buffer.toString(), 'DELETE');
});

test('a refused redirect reports itself twice, then its own body; the target is never asked', async (t) => {
  const server = await serve(t, {
    '/from': (req, res) => res.writeHead(302, { Location: '/to?x=1' }).end('moved here'),
    '/to': (req, res) => res.end('target'),
  });
  const { events, request } = await fetchEvents(server.url('/from'), { followRedirects: false });
  assert.deepEqual(types(events).filter((type) => type !== 'data'), ['response', 'response', 'end']);
  assert.deepEqual(events[0], { type: 'response', statusCode: 302, location: server.url('/to?x=1') });
  assert.equal(events[1].statusCode, 302);
  assert.equal(only(events, 'end')[0].buffer.toString(), 'moved here');
  assert.equal(request.location, server.url('/to?x=1'));
  assert.deepEqual(server.seen.map((r) => r.url), ['/from']);
});

test('followed redirects: one response with the final status, methods change as user agents do', async (t) => {
  const server = await serve(t, {
    '/a': (req, res) => res.writeHead(301, { Location: '/b' }).end(),
    '/b': (req, res) => res.writeHead(307, { Location: '/c' }).end(),
    '/c': (req, res) => res.writeHead(201).end(`final ${req.method}`),
    '/see-other': (req, res) => res.writeHead(303, { Location: '/c' }).end('x'),
  });
  const { events, request } = await fetchEvents(server.url('/a'), { method: 'PUT' });
  assert.deepEqual(only(events, 'response'), [{ type: 'response', statusCode: 201, location: undefined }]);
  assert.equal(request.location, undefined);
  assert.equal(only(events, 'end')[0].buffer.toString(), 'final PUT');
  const posted = await fetchEvents(server.url('/see-other'), { method: 'POST' });
  assert.equal(only(posted.events, 'end')[0].buffer.toString(), 'final GET');
});

test('redirects stop at the limit and never leave http and https', async (t) => {
  let hops = 0;
  const server = await serve(t, {
    '/loop': (req, res) => {
      hops += 1;
      res.writeHead(302, { Location: `/loop?${hops}` }).end();
    },
    '/to-file': (req, res) => res.writeHead(302, { Location: 'file:///etc/passwd' }).end(),
  });
  const loop = await fetchEvents(server.url('/loop'));
  assert.deepEqual(types(loop.events), ['error']);
  assert.match(loop.events[0].text, /Code=-1007 "too many HTTP redirects"/);
  assert.equal(hops, 17);  // the first request and 16 followed redirects
  const file = await fetchEvents(server.url('/to-file'));
  assert.deepEqual(types(file.events), ['error']);
  assert.match(file.events[0].text, /Code=-1002 "unsupported URL"/);
});

test('credentials do not follow a redirect to another origin', async (t) => {
  const other = await serve(t, { '/land': (req, res) => res.end('landed') });
  const server = await serve(t, {
    '/same': (req, res) => res.writeHead(302, { Location: '/land' }).end(),
    '/land': (req, res) => res.end('landed'),
    '/away': (req, res) => res.writeHead(302, { Location: other.url('/land') }).end(),
  });
  const headers = { Authorization: 'Bearer secret', 'X-Other': 'kept' };
  await fetchEvents(server.url('/same'), { headers });
  assert.equal(server.seen[1].headers.authorization, 'Bearer secret');
  await fetchEvents(server.url('/away'), { headers });
  assert.equal(other.seen[0].headers.authorization, undefined);
  assert.equal(other.seen[0].headers['x-other'], 'kept');
});

test('on() takes exactly two arguments and exact lower-case names; listeners run in order; one start counts', async (t) => {
  const server = await serve(t, { '/o': (req, res) => res.end('o') });
  const request = native.createRequest(server.url('/o'));
  const calls = [];
  const never = () => calls.push('never');
  assert.equal(request.on('end'), undefined);
  request.on('end', never, 'extra');
  request.on('END', never);
  request.on('Response', never);
  request.on('finish', never);
  const ended = new Promise((resolve) => {
    request.on('end', (object) => calls.push(['first', object]));
    request.on('end', (object) => {
      calls.push(['second', object]);
      resolve();
    });
  });
  request.start();
  request.start(); // a second start is ignored: the request runs once
  await ended;
  await new Promise((resolve) => setTimeout(resolve, 20));
  assert.deepEqual(calls, [['first', request], ['second', request]]);
  // After the end nothing is kept or emitted; adding a listener is harmless.
  request.on('end', never);
  request.start();
  await new Promise((resolve) => setTimeout(resolve, 50));
  assert.deepEqual(calls.length, 2);
  assert.equal(server.seen.length, 1);
});

test('a listener added while an event is emitted waits for the next event', async (t) => {
  const server = await serve(t, { '/r': (req, res) => res.writeHead(302, { Location: '/x' }).end() });
  const request = native.createRequest(server.url('/r'), { followRedirects: false });
  const seen = [];
  request.on('response', (r) => {
    seen.push(`first ${r.statusCode}`);
    if (seen.length === 1) request.on('response', () => seen.push('added'));
  });
  await new Promise((resolve) => {
    request.on('end', resolve);
    request.start();
  });
  // Two responses: the added listener hears only the second.
  assert.deepEqual(seen, ['first 302', 'first 302', 'added']);
});

test('failures and successes exclude each other; HTTP errors are responses', async (t) => {
  const server = await serve(t, { '/missing': (req, res) => res.writeHead(404).end('gone') });
  const refused = await serve(t, {});
  const refusedURL = refused.url('/');
  await refused.close();
  const failed = await fetchEvents(refusedURL);
  assert.deepEqual(types(failed.events), ['error']);
  assert.match(failed.events[0].text,
    /^Error Domain=NSURLErrorDomain Code=-1004 "Could not connect to the server\." UserInfo=\{/);
  assert.equal(failed.request.statusCode, undefined);
  const missing = await fetchEvents(server.url('/missing'));
  assert.deepEqual(types(missing.events).filter((type) => type !== 'data'), ['response', 'end']);
  assert.equal(missing.events[0].statusCode, 404);
  assert.equal(only(missing.events, 'end')[0].buffer.toString(), 'gone');
});

test('a connection lost in the middle of the body is an error, not an end', async (t) => {
  const server = await serve(t, {
    '/cut': (req, res) => {
      res.writeHead(200, { 'Content-Length': '1000' });
      res.write('only part of it');
      setTimeout(() => res.socket.destroy(), 20);
    },
  });
  const { events } = await fetchEvents(server.url('/cut'));
  assert.deepEqual(types(events).filter((type) => type !== 'data'), ['response', 'error']);
  assert.match(only(events, 'error')[0].text, /Code=-1005 "The network connection was lost\."/);
});

test('empty bodies give no data event and a zero-length buffer; HEAD asks for no body', async (t) => {
  const server = await serve(t, {
    '/empty': (req, res) => res.end(),
    '/none': (req, res) => res.writeHead(204).end(),
    '/head': (req, res) => res.writeHead(200, { 'Content-Length': '12' }).end(req.method === 'HEAD' ? undefined : 'twelve bytes'),
  });
  for (const [p, options] of [['/empty'], ['/none'], ['/head', { method: 'HEAD' }]]) {
    const { events } = await fetchEvents(server.url(p), options);
    assert.deepEqual(types(events), ['response', 'end'], p);
    assert.equal(only(events, 'end')[0].buffer.length, 0, p);
  }
  assert.equal(server.seen[2].method, 'HEAD');
});

test('bodies arrive decoded as the server encoded them', async (t) => {
  const text = 'The quick brown fox. '.repeat(2000);
  const encoders = { gzip: zlib.gzipSync, deflate: zlib.deflateSync, br: zlib.brotliCompressSync };
  const server = await serve(t, {
    '*': (req, res) => {
      const encoding = req.url.slice(1);
      assert.ok(req.headers['accept-encoding'].includes(encoding));
      res.writeHead(200, { 'Content-Encoding': encoding }).end(encoders[encoding](text));
    },
  });
  for (const encoding of Object.keys(encoders)) {
    const { events } = await fetchEvents(server.url(`/${encoding}`));
    assert.equal(only(events, 'end')[0].buffer.toString(), text, encoding);
    assert.equal(joinedData(events).toString(), text, encoding);
  }
});

test('a 100 MiB body: chunks join to the buffer', async (t) => {
  const size = 100 * 1024 * 1024;
  const block = crypto.randomBytes(1 << 20);
  const server = await serve(t, {
    '/big': (req, res) => {
      res.writeHead(200, { 'Content-Length': String(size) });
      let sent = 0;
      const pump = () => {
        while (sent < size) {
          sent += block.length;
          if (!res.write(block)) return res.once('drain', pump);
        }
        res.end();
      };
      pump();
    },
  });
  const request = native.createRequest(server.url('/big'));
  const streamed = crypto.createHash('sha256');
  let streamedBytes = 0;
  request.on('data', (chunk) => {
    streamed.update(new Uint8Array(chunk));
    streamedBytes += chunk.byteLength;
  });
  const buffer = await new Promise((resolve, reject) => {
    request.on('end', (object) => resolve(object.buffer));
    request.on('error', (text) => reject(new Error(text)));
    request.start();
  });
  assert.equal(buffer.byteLength, size);
  assert.equal(streamedBytes, size);
  const expected = crypto.createHash('sha256');
  for (let i = 0; i < size / block.length; ++i) expected.update(block);
  const digest = expected.digest('hex');
  assert.equal(streamed.digest('hex'), digest);
  assert.equal(crypto.createHash('sha256').update(new Uint8Array(buffer)).digest('hex'), digest);
});

test('a body larger than the receiver can hold fails instead of growing', async (t) => {
  const server = await serve(t, {
    '/announced': (req, res) => res.end('y'.repeat(5000)),
    '/chunked': (req, res) => {
      res.write('z'.repeat(800));
      setTimeout(() => res.end('z'.repeat(800)), 20);
    },
  });
  platform.setHTTPMaximumBodySize(1000);
  try {
    const announced = await fetchEvents(server.url('/announced'));
    assert.deepEqual(types(announced.events), ['error']);
    assert.match(announced.events[0].text, /Code=-1103/);
    const chunked = await fetchEvents(server.url('/chunked'));
    assert.deepEqual(types(chunked.events).filter((type) => type !== 'data'), ['response', 'error']);
    assert.ok(joinedData(chunked.events).length <= 1000);
  } finally {
    platform.setHTTPMaximumBodySize(null);
  }
});

test('running out of memory while receiving fails the transfer, and the next one works', async (t) => {
  const server = await serve(t, {
    '/announced': (req, res) => res.end('y'.repeat(5000)),
    '/chunked': (req, res) => {
      res.write('z'.repeat(800));
      setTimeout(() => res.end('z'.repeat(800)), 20);
    },
  });
  platform.failHTTPBodyAllocationsAbove(1000);
  try {
    // The announced length cannot be reserved, nor can the body grow past the ceiling.
    const announced = await fetchEvents(server.url('/announced'));
    assert.deepEqual(types(announced.events).filter((type) => type !== 'data'), ['response', 'error']);
    assert.match(only(announced.events, 'error')[0].text, /Code=-1103 .*out of memory while receiving/);
    const chunked = await fetchEvents(server.url('/chunked'));
    assert.deepEqual(types(chunked.events).filter((type) => type !== 'data'), ['response', 'error']);
    assert.match(only(chunked.events, 'error')[0].text, /Code=-1103 .*out of memory while receiving/);
    assert.deepEqual(joinedData(chunked.events), Buffer.from('z'.repeat(800)));
  } finally {
    platform.failHTTPBodyAllocationsAbove(null);
  }
  const again = await fetchEvents(server.url('/chunked'));
  assert.deepEqual(types(again.events).filter((type) => type !== 'data'), ['response', 'end']);
  assert.equal(only(again.events, 'end')[0].buffer.length, 1600);
  assert.equal(platform.httpTransfersInFlight(), 0);
});

test('many requests started in one turn share kept-alive connections and all complete', async (t) => {
  const server = await serve(t, { '*': (req, res) => res.end(`body of ${req.url}`) });
  const get = (p) => new Promise((resolve, reject) => {
    const request = native.createRequest(server.url(p));
    request.on('end', (r) => resolve(Buffer.from(r.buffer).toString()));
    request.on('error', reject);
    request.start();
  });
  // 50 workers, 600 requests: every answer matches its own request, and no more connections
  // are opened than requests are ever in flight.
  let next = 0;
  const worker = async () => {
    while (next < 600) {
      const p = `/item/${next++}`;
      assert.equal(await get(p), `body of ${p}`);
    }
  };
  await Promise.all(Array.from({ length: 50 }, worker));
  assert.equal(server.seen.length, 600);
  assert.ok(server.connections() <= 50, `${server.connections()} connections`);
  // The ended transfers' receive buffers wait for the next ones, and go once all is quiet.
  assert.ok(platform.httpReceiveBuffersKept() >= 1, 'no receive buffer kept');
  await new Promise((resolve) => setTimeout(resolve, 1300));
  assert.equal(platform.httpReceiveBuffersKept(), 0);
});

test('requests that follow each other on one connection each send only their own method and fields', async (t) => {
  const server = await serve(t, { '*': (req, res) => res.end(req.url) });
  const steps = [
    ['/1', { method: 'DELETE', headers: { Authorization: 'Bearer one', 'X-First': 'a' } }, 'DELETE'],
    ['/2', { method: 'HEAD', headers: { Range: 'bytes=0-1' } }, 'HEAD'],
    ['/3', { method: 'PUT', headers: { Cookie: 'c=1' } }, 'PUT'],
    ['/4', {}, 'GET'],
  ];
  const curlOwn = new Set(['host', 'user-agent', 'accept', 'accept-encoding']);
  for (const [p, options, method] of steps) {
    const { events } = await fetchEvents(server.url(p), options);
    assert.equal(only(events, 'end')[0]?.buffer.toString(), method === 'HEAD' ? '' : p, JSON.stringify(events));
    const { method: sentMethod, headers } = server.seen.at(-1);
    const sent = Object.entries(headers).filter(([name]) => !curlOwn.has(name));
    const given = Object.entries(options.headers || {}).map(([name, value]) => [name.toLowerCase(), value]);
    assert.deepEqual([sentMethod, sent], [method, given], p);
  }
  assert.equal(new Set(server.seen.map((s) => s.port)).size, 1, 'one connection carried them all');
});

test('an idle connection the server closes is not reused, and waiting on it costs nothing', async (t) => {
  const server = await serve(t, {
    '/short': (req, res) => res.end('short', () => setTimeout(() => req.socket.end(), 20)),
  });
  const first = await fetchEvents(server.url('/short'));
  assert.deepEqual(types(first.events).filter((type) => type !== 'data'), ['response', 'end']);
  // The server drops the idle connection meanwhile: its socket turns readable (and stays so).
  const cpu = process.cpuUsage();
  await new Promise((resolve) => setTimeout(resolve, 500));
  const used = process.cpuUsage(cpu);
  assert.ok((used.user + used.system) / 1000 < 150, `${(used.user + used.system) / 1000} ms of CPU while idle`);
  const second = await fetchEvents(server.url('/short'));
  assert.deepEqual(types(second.events).filter((type) => type !== 'data'), ['response', 'end']);
  assert.equal(only(second.events, 'end')[0].buffer.toString(), 'short');
  assert.equal(server.connections(), 2);
});

test('the timeout counts idle time, not total time', async (t) => {
  const server = await serve(t, {
    '/silent': () => {},  // never answers
    '/trickle': (req, res) => {
      res.writeHead(200);
      let left = 6;
      const timer = setInterval(() => {
        res.write('.');
        if (--left === 0) {
          clearInterval(timer);
          res.end();
        }
      }, 100);
    },
  });
  const started = Date.now();
  const silent = await fetchEvents(server.url('/silent'), { timeout: 0.3 });
  assert.deepEqual(types(silent.events), ['error']);
  assert.match(silent.events[0].text, /Code=-1001 "The request timed out\."/);
  assert.ok(Date.now() - started >= 290);
  // 600 ms in all, never more than 100 ms without a byte.
  const trickle = await fetchEvents(server.url('/trickle'), { timeout: 0.35 });
  assert.equal(only(trickle.events, 'end')[0].buffer.toString(), '......');
});

test('timeouts that are not positive numbers mean 60 seconds of the platform clock', async (t) => {
  const server = await serve(t, { '/silent': () => {} });
  for (const timeout of [0, -5, NaN, Infinity, '1']) {
    const pending = fetchEvents(server.url('/silent'), { timeout });
    await new Promise((resolve) => setTimeout(resolve, 50));
    platform.advanceClock(59);
    await new Promise((resolve) => setTimeout(resolve, 50));
    assert.equal(platform.httpTransfersInFlight(), 1, `still waiting with timeout ${timeout}`);
    platform.advanceClock(2);
    const { events } = await pending;
    assert.match(events[0].text, /Code=-1001/, `timeout ${timeout}`);
  }
});

test('methods and URLs that could smuggle a request fail with an error event', async (t) => {
  const server = await serve(t, { '*': (req, res) => res.end('reached') });
  const method = await fetchEvents(server.url('/m'), { method: 'GET /admin HTTP/1.1\r\nX: y' });
  assert.deepEqual(types(method.events), ['error']);
  assert.match(method.events[0].text, /Code=-1 /);
  for (const [url, code] of [['file:///etc/passwd', -1002], ['ftp://127.0.0.1/', -1002],
    ['not a url', -1002], ['http://exa mple.test/', -1000]]) {
    const { events } = await fetchEvents(url);
    assert.deepEqual(types(events), ['error'], url);
    assert.match(events[0].text, new RegExp(`Code=${code} `), url);
  }
  assert.equal(server.seen.length, 0);
  // A transfer that failed before it began leaves nothing behind for the next one.
  const next = await fetchEvents(server.url('/after'));
  assert.equal(only(next.events, 'end')[0]?.buffer.toString(), 'reached');
});

test('a listener may start another request from inside "data"', async (t) => {
  const server = await serve(t, { '/outer': (req, res) => res.end('outer'), '/inner': (req, res) => res.end('inner') });
  const inner = await new Promise((resolve) => {
    const outer = native.createRequest(server.url('/outer'));
    outer.on('data', () => {
      const nested = native.createRequest(server.url('/inner'));
      nested.on('end', (object) => resolve(Buffer.from(object.buffer).toString()));
      nested.start();
    });
    outer.start();
  });
  assert.equal(inner, 'inner');
});

test('cookies are neither kept nor sent', async (t) => {
  const server = await serve(t, {
    '/set': (req, res) => res.writeHead(302, { 'Set-Cookie': 'session=1', Location: '/check' }).end(),
    '/check': (req, res) => res.end(req.headers.cookie || 'none'),
  });
  const { events } = await fetchEvents(server.url('/set'));
  assert.equal(only(events, 'end')[0].buffer.toString(), 'none');
  const again = await fetchEvents(server.url('/check'));
  assert.equal(only(again.events, 'end')[0].buffer.toString(), 'none');
});

test('HTTPS trusts the configured authority and rejects an untrusted certificate', async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-tls-'));
  const openssl = (...args) => spawnSync('openssl', args, { cwd: dir, stdio: ['ignore', 'ignore', 'pipe'] });
  const curve = ['-newkey', 'ec', '-pkeyopt', 'ec_paramgen_curve:prime256v1', '-nodes'];
  const made = [
    openssl('req', '-x509', ...curve, '-keyout', 'ca.key', '-out', 'ca.crt', '-days', '2',
      '-subj', '/CN=Velquarin Test Authority', '-addext', 'basicConstraints=critical,CA:TRUE',
      '-addext', 'keyUsage=critical,keyCertSign'),
    openssl('req', ...curve, '-keyout', 'server.key', '-out', 'server.csr', '-subj', '/CN=127.0.0.1'),
    fs.writeFileSync(path.join(dir, 'ext.cnf'), 'subjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n'),
    openssl('x509', '-req', '-in', 'server.csr', '-CA', 'ca.crt', '-CAkey', 'ca.key',
      '-CAcreateserial', '-out', 'server.crt', '-days', '2', '-extfile', 'ext.cnf'),
    openssl('req', '-x509', ...curve, '-keyout', 'rogue.key', '-out', 'rogue.crt', '-days', '2',
      '-subj', '/CN=127.0.0.1', '-addext', 'subjectAltName=IP:127.0.0.1'),
  ];
  if (made.some((result) => result && (result.error || result.status !== 0))) {
    t.skip('openssl could not make the test certificates');
    return;
  }
  const read = (name) => fs.readFileSync(path.join(dir, name));
  const trusted = await serve(t, { '/tls': (req, res) => res.end('secure') },
    { secure: { key: read('server.key'), cert: read('server.crt') } });
  const rogue = await serve(t, { '/tls': (req, res) => res.end('rogue') },
    { secure: { key: read('rogue.key'), cert: read('rogue.crt') } });
  const previous = process.env.SSL_CERT_FILE;
  process.env.SSL_CERT_FILE = path.join(dir, 'ca.crt');
  try {
    const good = await fetchEvents(trusted.url('/tls'));
    assert.equal(only(good.events, 'end')[0]?.buffer.toString(), 'secure',
      JSON.stringify(good.events));
    const bad = await fetchEvents(rogue.url('/tls'));
    assert.deepEqual(types(bad.events), ['error']);
    assert.match(bad.events[0].text, /Code=-1202 "The certificate for this server is invalid\./);
    assert.equal(rogue.seen.length, 0);
    // A plain hop redirected to https is checked against the same authority. The "end"
    // listener is first added once the response is in.
    const plain = await serve(t, { '/hop': (req, res) => res.writeHead(302, { Location: trusted.url('/tls') }).end() });
    const hopped = await new Promise((resolve) => {
      const request = native.createRequest(plain.url('/hop'));
      request.on('response', () => request.on('end', (r) => resolve(Buffer.from(r.buffer).toString())));
      request.on('error', resolve);
      request.start();
    });
    assert.equal(hopped, 'secure');
    delete process.env.SSL_CERT_FILE;  // the system store decides again, on the same handle
    const untrusted = await fetchEvents(trusted.url('/tls'));
    assert.deepEqual(types(untrusted.events), ['error']);
  } finally {
    if (previous === undefined) delete process.env.SSL_CERT_FILE;
    else process.env.SSL_CERT_FILE = previous;
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

// The child asks this server; each child below runs with nothing else to keep it alive.
async function childServer(t) {
  return serve(t, {
    '/slow': (req, res) => setTimeout(() => res.end('slow body'), 300),
    '/body': (req, res) => res.end('z'.repeat(300000)),
  });
}

test('a transfer in flight keeps the host alive; idle handles and the monitor do not', async (t) => {
  const server = await childServer(t);
  const result = await runChild(`
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    const request = native.createRequest(${JSON.stringify(server.url('/slow'))});
    request.on('end', (r) => process.stdout.write('end ' + Buffer.from(r.buffer)));
    request.start();
  `, { timeoutMs: 10000 });
  assert.equal(result.code, 0, result.stderr);
  assert.equal(result.stdout, 'end slow body');
});

test('a started request dropped by the host completes under forced collection, then is freed', async (t) => {
  const server = await childServer(t);
  const result = await runChild(`
    const native = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinNative.node');
    const platform = require(process.env.VELQUARIN_BUILD_DIR + '/VelquarinPlatform.node');
    const collected = [];
    const registry = new FinalizationRegistry((name) => collected.push(name));
    let ended = 0;
    (() => {
      for (let i = 0; i < 20; ++i) {
        const request = native.createRequest(${JSON.stringify(server.url('/body'))});
        request.on('data', () => gc());
        request.on('end', (r) => { ended += r.buffer.byteLength === 300000 ? 1 : 0; });
        request.start();
        registry.register(request, 'started ' + i);
      }
      registry.register(native.createRequest('http://127.0.0.1:1/'), 'never started');
    })();
    const report = () => process.stdout.write(JSON.stringify({ ended,
      collected: collected.length, inFlight: platform.httpTransfersInFlight() }));
    const giveUp = setTimeout(() => { clearInterval(poll); report(); }, 8000);
    const poll = setInterval(() => {
      gc();
      if (ended === 20 && collected.length === 21) {
        clearInterval(poll);
        clearTimeout(giveUp);
        report();
      }
    }, 20);
  `, { args: ['--expose-gc'], timeoutMs: 15000 });
  assert.equal(result.code, 0, result.stderr);
  assert.deepEqual(JSON.parse(result.stdout), { ended: 20, collected: 21, inFlight: 0 });
});
