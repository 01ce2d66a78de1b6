'use strict';
// The credential store: passwords kept by the Secret Service and shared with other programs.
// The scene runs in a host of its own inside a private session bus with a throw-away keyring
// (scripts/keyring-session.sh), so it never touches the keyring of whoever runs the demo.
const path = require('node:path');
const { spawnSync } = require('node:child_process');

const { buildDir, runInPrivateSession } = require('./lib/privateSession');

const SCENE = `
  const path = require('node:path');
  const { execFileSync } = require('node:child_process');
  const native = require(path.join(process.env.VELQUARIN_BUILD_DIR, 'VelquarinNative.node'));
  const say = (text) => console.log(text);
  const account = 'demo@example.com';
  say('getPasswordForAccount before storing -> ' + native.getPasswordForAccount(account));
  say('setPasswordForAccount("first secret") -> ' + native.setPasswordForAccount('first secret', account));
  say('setPasswordForAccount("second secret") -> ' + native.setPasswordForAccount('second secret', account));
  say('getPasswordForAccount -> ' + native.getPasswordForAccount(account));
  const seen = execFileSync('secret-tool', ['lookup', 'service', 'Velquarin 3', 'account', account]);
  say('secret-tool lookup service "Velquarin 3" account ' + account + ' -> ' + seen);
  execFileSync('secret-tool', ['store', '--label', 'demo', 'service', 'Velquarin 3', 'account', account],
    { input: 'written by secret-tool' });
  say('after secret-tool store, getPasswordForAccount -> ' + native.getPasswordForAccount(account));
  say('setPasswordForAccount(null, account) -> ' + native.setPasswordForAccount(null, account));
  native.removeAllPasswords();
  say('after removeAllPasswords -> ' + native.getPasswordForAccount(account));
`;

module.exports = {
  title: 'Credential store',
  async run({ say }) {
    const run = runInPrivateSession('keyring-session.sh', SCENE);
    if (run.status !== 0) {
      say(`no private keyring could be started here (${(run.stderr || '').trim().split('\n').pop()})`);
    } else {
      for (const line of run.stdout.trim().split('\n')) say(line);
    }

    const noBus = spawnSync(process.execPath, ['-e', `
      const native = require(${JSON.stringify(path.join(buildDir, 'VelquarinNative.node'))});
      console.log(native.getPasswordForAccount('demo@example.com'));`], {
      env: { ...process.env, DBUS_SESSION_BUS_ADDRESS: 'unix:path=/nonexistent/velquarin-demo-bus' },
      encoding: 'utf8',
      timeout: 30000,
    });
    say(`without a session bus, getPasswordForAccount -> ${noBus.stdout.trim()}`);
  },
};
