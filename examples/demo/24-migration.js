'use strict';
// Taking over the previous version: a small store of its accounts and workspaces and its
// preferences, written into a throw-away config folder, then read back the way the host asks.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { writeStores } = require('../../bench/migration-fixture');

const PREFERENCES = '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>'
  + '<key>HideTabBar</key><true/><key>WebViewTextSizeMultiplier</key><real>1.25</real>'
  + '<key>SomethingElse</key><string>not carried over</string></dict></plist>\n';

module.exports = {
  title: 'Migration from the previous version',
  async run({ native, say }) {
    const saved = process.env.XDG_CONFIG_HOME;
    const config = fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-demo-'));
    process.env.XDG_CONFIG_HOME = config;
    try {
      say(`nothing there yet: hasPreviousVersion() -> ${native.hasPreviousVersion()}`);
      const folder = path.join(config, 'Velquarin 3');
      const files = writeStores(folder, { accounts: 3, bookmarks: 2, workspaces: 2, tabs: 3 });
      fs.mkdirSync(path.join(folder, 'Preferences'));
      fs.writeFileSync(path.join(folder, 'Preferences', 'io.velquarin.classic.plist'), PREFERENCES);
      say(`wrote ${path.basename(files.accounts)} and ${path.basename(files.workspaces)} into ${folder}`);
      say(`hasPreviousVersion() -> ${native.hasPreviousVersion()}`);

      const document = JSON.parse(native.getMigrationInfo(null));
      for (const account of document.accounts) {
        say(`account ${account.username} (order ${account.order}): bookmarks `
          + `${account.bookmarks.map((b) => b.order).join(', ')}, Drive blocked `
          + `${account.isGoogleDriveBlockedAsBOOL}, chat blocked ${account.isGmailChatBlockedAsBOOL}`);
      }
      for (const workspace of document.workspaces) {
        say(`workspace${workspace['active?'] ? ' (active)' : ''}: `
          + workspace.tabs.map((tab) => `${tab.app} of ${tab.email}`).join('; '));
      }
      say(`prefs -> ${JSON.stringify(document.prefs)}`);
      say(`getMigrationInfo("workspaces") has the keys ${Object.keys(JSON.parse(native.getMigrationInfo('workspaces')))}`);
      say(`getMigrationInfo("") -> ${native.getMigrationInfo('')}`);
    } finally {
      if (saved === undefined) delete process.env.XDG_CONFIG_HOME;
      else process.env.XDG_CONFIG_HOME = saved;
      fs.rmSync(config, { recursive: true, force: true });
    }
  },
};
