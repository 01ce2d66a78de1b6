'use strict';
// A window toolbar from the host's JSON: its items, a click, validation, the appearance
// switching an image, the customisation palette and the add-tab button drawn.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const definition = {
  identifier: 'demo-main-window',
  options: { 'allows-user-customization?': true },
  items: [
    { identifier: 'compose', label: 'Compose', 'image-name': 'TB_Compose', 'button?': true, 'default?': true },
    { identifier: 'archive', label: 'Archive', 'image-name': 'TB_Archive', 'default?': true },
    { identifier: 'search', label: 'Search', tooltip: 'Find messages', 'default?': true },
    { type: 'flexible-space', 'default?': true },
    { type: 'customize-toolbar', 'default?': true },
  ],
};

module.exports = {
  title: 'Window toolbar and the add-tab button',
  async run({ native, platform, say }) {
    const window = platform.createWindow('AtomNSWindow', { title: 'Inbox' });
    native.setToolbarCallbackFunctions(
      (id, identifier) => identifier !== 'archive',
      (id, identifier) => say(`the host is told: window ${id} chose "${identifier}"`),
      (id) => say(`the host is told: window ${id} wants a new tab`));
    native.addToolbarToWindow(window, 1, JSON.stringify(definition));
    native.validateToolbarItems(1);
    for (const item of platform.toolbar(window).items) {
      say(`  ${item.identifier}: "${item.label}"${item.button ? ' (button)' : ''}${item.enabled ? '' : ' (disabled)'}`);
    }
    platform.clickToolbarItem(window, 'compose');
    platform.clickToolbarItem(window, 'archive');
    platform.setAppearance('dark');
    platform.drainMainQueue();
    say('dark appearance: the compose button shows its dark variant');
    native.showAddTabButton(1);
    platform.clickAddTabButton(window);
    const picture = path.join(os.tmpdir(), 'velquarin-add-tab.png');
    fs.writeFileSync(picture, platform.renderAddTabButton(window, 2));
    say(`the add-tab button is drawn in ${picture}`);
    platform.clickToolbarItem(window, 'NSToolbarCustomizeToolbarItem');
    say(`palette open: ${platform.toolbar(window).paletteRunning}, add-tab hidden: ${platform.addTabButton(window).hidden}`);
    platform.endToolbarPalette(window, ['search', 'compose']);
    platform.advanceClock(0.1);
    say(`after the palette: ${platform.toolbar(window).items.map((item) => item.identifier).join(', ')}`);
    platform.setAppearance('light');
    platform.closeWindow(window);
  },
};
