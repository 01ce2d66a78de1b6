'use strict';
// The main menu as the host builds it and the module changes it, the notices of its menus,
// and the dock menu the delegate gives the dock.
module.exports = {
  title: 'Main menu and dock menu',
  async run({ native, platform, say }) {
    platform.setMainMenu([
      { title: 'File', submenu: [
        { title: 'New Message', key: 'n', action: 'compose', representedObject: { commandId: 1 } },
        { title: 'Print', key: 'p', action: 'print', representedObject: { commandId: 2 } },
      ] },
      { title: 'View', submenu: [{ title: 'Toolbar' }, { title: 'Tabs' }, { title: 'Show All Tabs' }] },
    ], (action) => say(`the host's menu action "${action}" fired`));
    native.setupMenuWillShowNotification();
    const id = platform.observe('ZqAppMenuWillOpen', (name, userInfo) =>
      say(`${name}: ${JSON.stringify(userInfo)} — the host updates its items now`));

    native.updateMainMenuMenuItemWithCommandId(2, JSON.stringify({ accelerator: 'Cmd+Shift+P' }));
    native.updateMainMenuMenuItem(JSON.stringify([1, 'Tabs', 0]), JSON.stringify({ title: 'Show Every Tab' }));
    platform.openMainMenu(1);
    platform.closeMainMenu();
    for (const menu of platform.mainMenuItems()) {
      say(`${menu.title}: ${menu.submenu.map((entry) =>
        `${entry.title}${entry.keyEquivalent ? ` [${entry.keyEquivalent}, mask ${entry.modifierMask}]` : ''}`).join(', ')}`);
    }
    platform.chooseMainMenuItem([0, 0]);
    platform.removeObserver(id);

    native.setStatusItemMenuNeedsUpdateCallbackFunction(() => JSON.stringify({
      translations: { 'get-new-mail': 'Get New Mail', 'do-not-disturb?': 'Do Not Disturb',
        'compose-new-message': 'New Message', 'open-with-counter-format': '%@ (%lu)', 'open-format': '%@' },
      accounts: [{ id: 1, label: 'Work', 'unread-counter-value': 2 }],
    }));
    const dock = platform.dockMenu();
    say(`dock menu: ${dock.filter((entry) => !entry.separator).map((entry) => entry.title).join(' | ')}`);
  },
};
