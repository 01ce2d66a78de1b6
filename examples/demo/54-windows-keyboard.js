'use strict';
// Browser windows and a panel taking turns as key and main window, a content resize, the
// title-bar drag, and keys routed between the web view, tab switching and the main menu.
module.exports = {
  title: 'Windows and keyboard routing',
  async run({ native, platform, say }) {
    const full = { x: 0, y: 0, width: 800, height: 600 };
    const open = (title) => {
      const window = platform.createWindow('AtomNSWindow', { title });
      const container = platform.addView(platform.contentView(window), 'BRYInspectableWebContentsView', full);
      platform.setFirstResponder(window, platform.addView(container, 'WebContentsViewCocoa', full));
      return window;
    };
    native.setWindowNotificationCallbackFunction((notice, handle) =>
      say(`window "${platform.windowState(handle).title}": ${notice}`));
    const inbox = open('Inbox');
    const drafts = open('Drafts');
    const panel = platform.createWindow('NSPanel', { title: 'Find', visible: false });
    platform.clickWindow(inbox);
    platform.clickWindow(panel);
    say(`a panel is key now; main window is still there: ${native.hasMainWindow()}`);

    native.resizeWindowContent(inbox, 1024, 700);
    const state = platform.windowState(inbox);
    say(`Inbox resized: frame ${JSON.stringify(state.frame)}, animated ${state.lastChangeAnimated}`);

    native.setCurrentURL('https://mail.example/inbox', 'https://web.example/inbox', 'Inbox');
    const drag = platform.dragTitleBarIcon(inbox, ['option']);
    say(`title-bar drag with option: allowed ${drag.allowed}, ${drag.strings['public.utf8-plain-text']}`);

    platform.setMainMenu([
      { title: 'App', submenu: [{ title: 'Preferences…', key: ',', action: 'prefs' }] },
      { title: 'Mail', submenu: [{ title: 'Reply', key: 'r', action: 'reply' }] },
    ], (action) => say(`menu action "${action}" fired`));
    platform.clickWindow(inbox);
    const id = platform.observe('ZqDispatchNotificationName', (name, info) => say(`${name}: ${info.action}`));
    native.setKeyboardModifierKeysCallbackFunction((...flags) => say(`modifiers now: ${flags.join(', ')}`));
    say(`command-comma goes to the menu first: ${JSON.stringify(platform.keyDown({ code: 'Comma', modifiers: ['command'] }))}`);
    say(`command-R reaches the page: ${JSON.stringify(platform.keyDown({ code: 'KeyR', modifiers: ['command'] }))}`);
    say(`the page leaves it, the host re-sends it: ${JSON.stringify(platform.resendUnhandledKey())}`);
    platform.keyDown({ code: 'BracketRight', modifiers: ['command', 'shift'] });
    platform.resendUnhandledKey();
    platform.flagsChanged({ code: 'ShiftLeft', modifiers: ['shift'] });
    platform.removeObserver(id);
    native.setKeyboardModifierKeysCallbackFunction(null);
    native.setWindowNotificationCallbackFunction(null);
    for (const window of [inbox, drafts, panel]) platform.closeWindow(window);
  },
};
