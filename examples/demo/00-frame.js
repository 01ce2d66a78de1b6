'use strict';
// The module frame: the export table, argument contracts, notifications, windows, the clock.
module.exports = {
  title: 'Module frame and platform core',
  async run({ native, platform, say }) {
    const names = Object.keys(native);
    say(`the module exports ${names.length} functions, from ${names[0]} to ${names.at(-1)}`);
    try {
      native.hasMainWindow('unexpected argument');
    } catch (error) {
      say(`a broken contract throws ${error.name}: ${error.message}`);
    }
    say(`isRosetta() -> ${native.isRosetta()}`);
    say(`main bundle: ${platform.mainBundlePath()}`);

    const id = platform.observe('ZqDemoNotification', (name, userInfo) =>
      say(`observed ${name} with ${JSON.stringify(userInfo)}`));
    platform.post('ZqDemoNotification', { 'unique-id': 'demo-1' });
    platform.removeObserver(id);

    const window = platform.createWindow('AtomNSWindow', 'Velquarin');
    say(`created a window, handle ${window.toString('hex')}`);
    platform.closeWindow(window);
    say(`windows open now: ${platform.windows().length}`);
    const before = platform.now();
    platform.advanceClock(60);
    say(`advanced the platform clock by ${Math.round(platform.now() - before)} s`);
  },
};
