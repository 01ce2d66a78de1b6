'use strict';
// Update checks against a feed served here, then the support window and an annotated picture.
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { rgbPng } = require('./lib/png');

const NS = 'http://www.andymatuschak.org/xml-namespaces/sparkle';
const feed = `<?xml version="1.0" encoding="UTF-8"?><rss version="2.0" xmlns:sparkle="${NS}"><channel>
  <item><title>Velquarin 3.2</title><sparkle:minimumSystemVersion>1.0</sparkle:minimumSystemVersion>
    <enclosure url="https://example.invalid/3200.zip" sparkle:version="3200" sparkle:shortVersionString="3.2"/></item>
  <item><title>Velquarin 3.0</title><enclosure url="https://example.invalid/3000.zip" sparkle:version="3000"/></item>
</channel></rss>`;

async function settled(platform) {
  while (platform.updaterState().checking) await new Promise((r) => setTimeout(r, 10));
}

module.exports = {
  title: 'Update checks and the support window',
  async run({ native, platform, say }) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-demo-'));
    const server = http.createServer((req, res) => {
      say(`the feed server is asked for ${req.url}`);
      res.writeHead(200, { 'content-type': 'application/rss+xml' }).end(feed);
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const bundle = path.join(dir, 'Velquarin.bundle');
    fs.mkdirSync(path.join(bundle, 'Resources'), { recursive: true });
    fs.writeFileSync(path.join(bundle, 'Info.plist'), `<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
      <key>CFBundleIdentifier</key><string>io.velquarin.demo</string><key>CFBundleVersion</key><string>3100</string>
      <key>CFBundleShortVersionString</key><string>3.1</string>
      <key>SUFeedURL</key><string>http://127.0.0.1:${server.address().port}/appcast.xml</string></dict></plist>`);
    const savedBundle = platform.mainBundlePath();
    platform.setMainBundlePath(bundle);
    try {
      native.setAppcastParameterCallback(() => JSON.stringify([{ key: 'channel', value: 'beta' }]));
      const id = platform.observe('ZqReceivedAppcastNotification', (name, info) =>
        say(`${name}: ${info.appcast.map((item) => item.title).join(', ')}`));
      native.checkForUpdates(false, false);
      say(`the updater shows "${platform.updaterState().window}"`);
      await settled(platform);
      await new Promise((r) => setImmediate(r));
      const state = platform.updaterState();
      say(`then "${state.window}" offering build ${state.update}; the user picks later`);
      platform.answerUpdater('later');
      platform.removeObserver(id);
    } finally {
      platform.setMainBundlePath(savedBundle);
      server.close();
    }

    native.openSupportAndFeedbackWindow('[]', '{"account":"demo"}', null, 'Hello', null);
    const support = platform.supportWindow();
    say(`support window: main ${support.main}, subjects ${support.subjects.join('/')}, menu "${support.menu[0]}"`);
    platform.closeSupportWindow();

    const picture = path.join(dir, 'picture.png');
    fs.writeFileSync(picture, rgbPng(120, 80, () => [160, 160, 160]));
    const saved = new Promise((resolve) => native.annotateImage(picture, (...args) => resolve(args)));
    const [editor] = platform.imageEditors();
    platform.editImage(editor.id, { title: 'What?', annotations: [
      { rect: [10, 10, 50, 30], color: [0.9, 0.1, 0.1, 1] },
      { rect: [10, 50, 100, 20], color: [0, 0, 0, 1], text: 'here' }] });
    platform.finishImageEditor(editor.id, true);
    const [file] = await saved;
    say(`the annotated picture went to ${path.basename(file)} (${fs.statSync(file).size} bytes)`);
  },
};
