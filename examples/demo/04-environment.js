'use strict';
// The application environment: bundle facts, languages, appearance, system version, paths.
module.exports = {
  title: 'Application environment',
  async run({ native, platform, say }) {
    say(`bundle ${native.bundleId()} build ${native.getBuildNumber()} at ${native.getBundlePath()}`);
    say(`preferred languages: ${native.getPreferredLanguages()}`);
    say(`system version ${native.macOSVersion()}, translated: ${native.isRosetta()}`);

    const id = platform.observe('AppleInterfaceThemeChangedNotification',
      () => say(`the desktop changed its appearance: isDarkMode() -> ${native.isDarkMode()}`),
      { distributed: true });
    const before = platform.appearance();
    say(`the desktop is ${before}; switching it`);
    platform.setAppearance(before === 'dark' ? 'light' : 'dark');
    platform.setAppearance(before);
    platform.removeObserver(id);

    say(`convertToPosixPath('~/Mail/x.eml') -> ${native.convertToPosixPath('~/Mail/x.eml')}`);
  },
};
