'use strict';
// Hand-off to other applications: which clip targets there are, a clip to a note
// application whose scripting interface is the platform's model, the time-tracking
// application asking for the open titles, and the print dialog's PDF entry.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

module.exports = {
  title: 'Hand-off to other applications',
  async run({ native, platform, say }) {
    say(`installedClipperApps() -> ${native.installedClipperApps()}`);

    const note = 'com.evernote.Evernote';
    platform.registerScriptableApplication(note, {
      selectors: ['createNoteFromFile:fromUrl:withText:withHtml:withEnml:title:notebook:tags:attachments:created:',
        'setSourceURL:', 'appendText:html:attachment:', 'openNoteWindowWith:', 'activate'],
    });
    native.clipPage('evernote', { title: 'Quarterly report', url: 'velquarin://message/42',
      html: '<p>The figures are in.</p>' });
    platform.waitForBackgroundWork(10);
    for (const m of platform.scriptingMessages(note)) {
      say(`  ${m.receiver} ${m.selector} ${JSON.stringify(m.arguments)}`);
    }
    platform.unregisterScriptableApplication(note);

    native.clipPage('clipboard', { title: 'Quarterly report', account: 'ann@example.com',
      url: 'velquarin://message/42', 'web-url': 'https://mail.example.com/#inbox/42',
      html: '<p>The figures are in.</p>' });
    platform.waitForBackgroundWork(10);
    const text = platform.readPasteboard('general')[0]['public.utf8-plain-text'];
    say(`the clipboard now holds:\n${Buffer.isBuffer(text) ? text.toString() : text}`);

    native.registerAppleEventForTimingApp(() => JSON.stringify(['Inbox', 'Quarterly report']));
    say(`Timing asks 'Tmng'/'Gpat' -> ${JSON.stringify(platform.sendAppleEvent('Tmng', 'Gpat'))}`);

    const folder = path.join(os.homedir(), 'Library', 'PDF Services');
    const entry = path.join(folder, 'Mail PDF with Velquarin');
    if (fs.existsSync(folder)) say(`start-up put ${entry} -> ${fs.readlinkSync(entry)}`);
    native.uninstallPDFServices();
    say(`after uninstallPDFServices() the entry exists: ${fs.existsSync(entry)}`);
  },
};
