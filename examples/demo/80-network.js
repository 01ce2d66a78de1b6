'use strict';
// HTTP request objects and reachability: a request to a server the demo starts on
// 127.0.0.1 (one redirect refused, one followed), then the network state.
const http = require('node:http');

function request(native, url, options, say) {
  return new Promise((resolve) => {
    const req = native.createRequest(url, options);
    req.on('response', (r) =>
      say(`  response ${r.statusCode}${r.location ? ` -> location ${r.location}` : ''}`));
    req.on('data', (chunk) => say(`  data: ${chunk.byteLength} bytes`));
    req.on('end', (r) => {
      say(`  end: ${JSON.stringify(Buffer.from(r.buffer).toString())}`);
      resolve();
    });
    req.on('error', (text) => {
      say(`  error: ${text}`);
      resolve();
    });
    req.start();
  });
}

module.exports = {
  title: 'Network: HTTP request objects and reachability',
  async run({ native, platform, say }) {
    const server = http.createServer((req, res) => {
      if (req.url === '/old') return res.writeHead(302, { Location: '/new' }).end('moved');
      res.end(`hello from ${req.url}`);
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const base = `http://127.0.0.1:${server.address().port}`;
    try {
      say(`GET ${base}/old with followRedirects false`);
      await request(native, `${base}/old`, { followRedirects: false }, say);
      say(`GET ${base}/old, redirects followed`);
      await request(native, `${base}/old`, {}, say);
      say('a URL that is not http or https');
      await request(native, 'file:///etc/hostname', {}, say);
    } finally {
      await new Promise((resolve) => server.close(resolve));
    }
    say(`isNetworkReachable() -> ${native.isNetworkReachable()}` +
      ` (flags 0x${(platform.reachabilityFlags() ?? 0).toString(16)})`);
  },
};
