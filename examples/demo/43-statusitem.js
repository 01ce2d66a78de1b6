'use strict';
// The menu-bar status item: shown once the host reports accounts, its menu filled from the
// host's JSON at every opening, a choice observed as a notification, a picture of it all.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const content = {
  translations: {
    'get-new-mail': 'Get New Mail', 'do-not-disturb?': 'Do Not Disturb',
    'compose-new-message': 'Compose New Message', 'sign-in': 'Sign in again…',
  },
  accounts: [
    { id: 1, label: 'Work', 'unread-counter-value': 3, 'hex-color': 'D0342C',
      'unread-messages': [
        { 'from-line': 'Ann Ried', subject: 'Lunch on Friday?', snippet: 'Shall we try the new place', 'unique-id': 'msg-1' },
        { 'from-line': 'Build bot', subject: 'Nightly build passed on all platforms, with 2 warnings left over', snippet: '', 'unique-id': 'msg-2' },
      ] },
    { id: 2, label: 'Home', 'unread-counter-value': 0, 'hex-color': '2C8A4B', 'unread-messages': [] },
    { id: 3, label: 'Old club', 'requires-oauth?': true, 'hex-color': '2C6BD0' },
  ],
};

module.exports = {
  title: 'Status item and its menu',
  async run({ native, platform, say }) {
    native.setStatusItemMenuNeedsUpdateCallbackFunction((type, includeMessage) => {
      say(`the module asks for the ${type} menu content (messages: ${includeMessage})`);
      return JSON.stringify(content);
    });
    platform.post('ZqNumberOfAccountsChanged', { 'num-accounts': 3 });
    native.setStatusItemTitle('3', false);
    const [item] = platform.statusItems();
    say(`status item: title "${item.title}", ${item.length} points wide, template icon: ${item.imageIsTemplate}`);

    const id = platform.observe('ZqOpenMessageWithUniqueNotificationId', (name, userInfo) =>
      say(`the host observed ${name} with ${JSON.stringify(userInfo)}`));
    platform.openStatusItemMenu(0);
    const items = platform.statusMenuItems();
    for (const entry of items) {
      if (!entry.separator) say(`  ${entry.checked ? '✓' : ' '} ${entry.title}${entry.enabled ? '' : ' (disabled)'}`);
    }
    const picture = path.join(os.tmpdir(), 'velquarin-status-menu.png');
    fs.writeFileSync(picture, platform.renderStatusBar(2));
    say(`the open menu is drawn in ${picture}`);
    platform.chooseStatusMenuItem(items.findIndex((entry) => entry.representedObject === 'msg-1'));
    platform.removeObserver(id);
  },
};
