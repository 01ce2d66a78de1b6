'use strict';
// User defaults and start at login, in a throw-away config folder so the demo leaves the
// user's own settings and autostart folder alone.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

module.exports = {
  title: 'User defaults and start at login',
  async run({ native, platform, say }) {
    const saved = process.env.XDG_CONFIG_HOME;
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'velquarin-demo-'));
    process.env.XDG_CONFIG_HOME = folder;
    try {
      const id = platform.observe('UserDefaultsDidChangeNotification', (name, info) =>
        say(`observed ${name} for ${info.key}`));
      native.setUserDefault('DisplayStatusItem', true);
      native.setUserDefault('DoNotDisturb', 0);
      native.setUserDefault('SidebarWidth', 240);
      native.setUserDefault('SidebarWidth', 240.5); // not an int32: logged, nothing stored
      platform.removeObserver(id);
      for (const key of ['DisplayStatusItem', 'DoNotDisturb', 'SidebarWidth', 'Missing']) {
        say(`getUserDefault(${key}) -> ${JSON.stringify(native.getUserDefault(key))}`);
      }
      platform.defaultsWrite('RecentSearches', ['from:alice', 'has:attachment']);
      say(`an array written by other code reads as ${native.getUserDefault('RecentSearches')}`);
      native.synchronizeUserDefaults();
      say(`synchronized to ${platform.defaultsPath()}`);

      say(`start at login: ${native.getStartAtLogin()}`);
      say(`setStartAtLogin(true) -> ${native.setStartAtLogin(true)}`);
      for (const item of platform.loginItems()) say(`login item ${item.name}: ${item.file}`);
      say(`setStartAtLogin(false) -> ${native.setStartAtLogin(false)}`);
    } finally {
      if (saved === undefined) delete process.env.XDG_CONFIG_HOME;
      else process.env.XDG_CONFIG_HOME = saved;
      fs.rmSync(folder, { recursive: true, force: true });
    }
  },
};
