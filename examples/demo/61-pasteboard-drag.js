'use strict';
// The pasteboard and drags into the web view: save and restore the clipboard around a
// temporary use, the find string, a user's file drag the host hears about, and a drop the
// host makes itself.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

module.exports = {
  title: 'Pasteboard, drag and drop',
  async run({ native, platform, say }) {
    say(`the general pasteboard lives in: ${platform.pasteboardBackend()}`);
    platform.writePasteboard('general', [{ 'public.utf8-plain-text': 'what the user copied' }]);
    say(`saveGeneralPasteboard() -> ${native.saveGeneralPasteboard()}`);
    platform.writePasteboard('general', [{ 'public.html': '<b>a temporary use</b>' }]);
    say(`meanwhile public.html -> ${native.getValueOfPasteboardType('public.html')}`);
    say(`restoreGeneralPasteboard() -> ${native.restoreGeneralPasteboard()}`);
    say(`and the text is back: ${native.getValueOfPasteboardType('NSStringPboardType')}`);
    native.setFindStringToPasteboard('invoice');
    say(`find string: ${native.getFindStringFromPasteboard()}`);

    const full = { x: 0, y: 0, width: 800, height: 600 };
    const window = platform.createWindow('AtomNSWindow', 'Velquarin');
    const container = platform.addView(platform.contentView(window), 'BRYInspectableWebContentsView', full);
    platform.addView(container, 'WebContentsViewCocoa', full);
    native.setDragAndDropCallbackFunction((event, handle, paths) =>
      say(`  host heard ${event} with ${paths}`));
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-demo-')), 'report.pdf');
    fs.writeFileSync(file, '%PDF-1.4');
    say('the user drags report.pdf over the window and drops it:');
    platform.beginDrag(window, { paths: [file] }, { x: 100, y: 100 });
    platform.moveDrag({ x: 120, y: 110 });
    say(`  the drop answered ${platform.dropDrag()}`);
    say(`dropFiles(window, {x: 10, y: 10}, [report.pdf]) -> ${native.dropFiles(window, '{"x":10,"y":10}', JSON.stringify([file]))}`);
    say(`the web view saw: ${platform.takeWebViewDrags().map((drag) => drag.selector).join(' ')}`);
    platform.closeWindow(window);
  },
};
