// A host's use of every declaration, compiled with `tsc --noEmit --strict` by
// tests/js/types.test.js (never run). The @ts-expect-error lines are misuses that the
// declarations must refuse.

import native = require("velquarin-native");
import platform = require("velquarin-native/platform");

function use(..._values: unknown[]): void {}
// JSON text is a plain string: the host names the shape it expects.
function parse<Shape>(text: string): Shape {
  return JSON.parse(text) as Shape;
}

const window: native.WindowHandle = platform.createWindow("AtomNSWindow", "Inbox");

// Logging and environment
native.setupCrashReporter();
native.testCrash();
const release: string = native.getReleaseString();
const bundlePath: string = native.getBundlePath();
const languages: string[] = parse<string[]>(native.getPreferredLanguages());
const bundleId: string | null = native.bundleId();
const build: string | null = native.getBuildNumber();
const dark: boolean = native.isDarkMode();
const translated: boolean = native.isRosetta();
const version: string = native.macOSVersion();
const posixPath: string = native.convertToPosixPath("~/Documents");
use(release, bundlePath, languages, bundleId, build, dark, translated, version, posixPath);

// Credential store
const read = parse<native.PasswordReadResult>(native.getPasswordForAccount("ann@example.com"));
if (read["ok?"]) {
  const password: string | null = read.password;
  use(password);
} else {
  const status: number = read.error;
  use(status);
}
const written = parse<native.PasswordWriteResult>(native.setPasswordForAccount("secret", "ann@example.com"));
use(written["ok?"], native.setPasswordForAccount("secret", "ann@example.com", { unused: true }));
native.removePasswordForAccount("ann@example.com");
native.removeAllPasswords();
// @ts-expect-error the password comes first and must be a string
native.setPasswordForAccount(null, "ann@example.com");

// User defaults and start at login
native.setUserDefault("DisplayStatusItem", true);
native.setUserDefault("Count", 7);
native.setUserDefault("Name", "text");
native.setUserDefault("Gone", null);
const stored: boolean | number | string | null | undefined = native.getUserDefault("Count");
native.removeUserDefault("Count");
native.synchronizeUserDefaults();
const startsAtLogin: boolean = native.getStartAtLogin() && native.setStartAtLogin(false);
native.migrateStartAtLogin();
use(stored, startsAtLogin);
// @ts-expect-error objects cannot be stored
native.setUserDefault("Bad", { a: 1 });

// Migration
const hasPrevious: boolean = native.hasPreviousVersion();
const migrationText = native.getMigrationInfo(null) ?? native.getMigrationInfo(undefined);
if (migrationText !== null) {
  const migration = parse<native.MigrationDocument>(migrationText);
  const first = migration.accounts?.[0];
  const drive: boolean | undefined = first?.isGoogleDriveBlockedAsBOOL;
  const app: native.WebAppType | undefined = migration.workspaces?.[0]?.tabs[0]?.app;
  use(migration["has-previous-version?"], first?.bookmarks[0]?.url, drive, app, migration.prefs?.HideTabBar);
}
use(hasPrevious, native.getMigrationInfo("accounts prefs"));
// @ts-expect-error exactly one argument is required
native.getMigrationInfo();

// Composing and scripting
native.setComposeOutgoingMessageCallbackFunction((messageText, optionsText) => {
  const message = parse<native.OutgoingMessage>(messageText);
  const options = parse<native.ComposeOptions>(optionsText);
  use(message.to.map((recipient) => recipient.email), message.body, options["directly-send?"]);
});
native.loadFScript();
const stateReset: null = native.setCurrentURL("velquarin://m/1", "https://mail.example.com/1", "Subject");
native.setCurrentURL();
native.setCurrentStateCallbackFunction((name) => (name === "current-message-text" ? "the text" : null));
native.setSearchServiceCallbackFunction((searchString) => use(searchString.length));
native.performService("Make Sticky", "some text");
native.pickEmailAddresses(window, JSON.stringify({ "window-title": "Pick" } satisfies native.AddressPickerTranslations));
const group = native.recipientsForGroupName("Team");
if (group !== null) use(parse<native.GroupRecipient[]>(group).map((member) => member.name ?? member.email));
const replacements = native.getTextReplacements();
if (replacements !== null) use(parse<native.TextReplacementSettings>(replacements)["text-replacements"]?.length);
use(stateReset);
// @ts-expect-error the compose callback receives strings
native.setComposeOutgoingMessageCallbackFunction((message: native.OutgoingMessage) => use(message));

// Notifications, sounds, status item
native.deliverUserNotification("msg-1", "Title", null, "Body", undefined, false, null, true, "Open", null);
native.deliverUserNotification("msg-2", null, null, null, "New Mail", true, "Reply", false, null, "1700000000");
native.deliverUserNotification("msg-3", null, null, null, null, null, null, null, null, Date.now() / 1000);
native.removeUserNotification("msg-1");
native.removeUserNotifications();
native.setNotificationCallbackFunction((identifier, type, response) => {
  if (type === "replied") use(identifier, response);
});
const sounds: string[] = native.getSoundNames();
const played: boolean = native.playSoundWithName(sounds[0] ?? "New Mail");
native.setStatusItemTitle("3", null);
native.setStatusItemTitle(null, true);
native.setStatusItemMenuNeedsUpdateCallbackFunction((type, includeMessages) => {
  const content: native.StatusMenuContent = {
    accounts: [{ id: 1, label: "Work", "unread-counter-value": 2, "hex-color": "4F8CF8", "unread-messages": [] }],
    translations: { "get-new-mail": "Get New Mail", "sign-in": includeMessages ? "Sign in" : "" },
  };
  return type === "dock" ? JSON.stringify({}) : JSON.stringify(content);
});
use(played);
// @ts-expect-error nine arguments break the contract
native.deliverUserNotification("msg-4", null, null, null, null, false, null, false, null);
// @ts-expect-error the menu callback must answer JSON text
native.setStatusItemMenuNeedsUpdateCallbackFunction(() => ({ accounts: [] }));

// Toolbar
const toolbar: native.ToolbarDefinition = {
  identifier: "main",
  items: [{ identifier: "compose", label: "Compose", "image-name": "Compose", "button?": true, "default?": true }, { type: "flexible-space" }],
  options: { "allows-user-customization?": true },
};
native.addToolbarToWindow(window, 1, JSON.stringify(toolbar));
native.setToolbarCallbackFunctions(
  (windowId, itemIdentifier) => windowId === 1 && itemIdentifier !== "",
  (windowId, itemIdentifier) => use(windowId, itemIdentifier),
  (windowId) => use(windowId),
);
native.validateToolbarItems(1);
native.selectToolbarItem(1, "compose");
native.toggleToolbarVisibility(1);
const toolbarVisible: boolean = native.isToolbarVisible(1);
native.customizeToolbar(1);
native.changeImageOfToolbarItem(1, "compose", "ComposeBusy");
native.showAddTabButton(1);
native.hideAddTabButton(1);
use(toolbarVisible);
// @ts-expect-error the validation callback must answer a boolean
native.setToolbarCallbackFunctions(() => "yes", () => {}, () => {});

// Main menu, keyboard, windows
const renamed: 0 | 1 = native.updateMainMenuMenuItem(JSON.stringify([3, "Marker", 0]), JSON.stringify({ title: "Mark" }));
const hidden: 0 | 1 = native.updateMainMenuMenuItemWithCommandId(42, JSON.stringify({ visible: false, accelerator: "Cmd+Shift+D" }));
native.setupMenuWillShowNotification();
native.setKeyboardModifierKeysCallbackFunction((fn, control, option, command, shift, capsLock, help, numericPad) =>
  use(fn, control, option, command, shift, capsLock, help, numericPad),
);
const modifiers = native.modifierKeys();
if (modifiers !== null) use(parse<native.EventModifiers>(modifiers)["command-modifier?"]);
const appHidden: boolean = native.isAppHidden();
native.reenableWindowUpdates();
native.setWindowNotificationCallbackFunction((name, handle) => use(name === "did-become-key", handle.length));
native.setQueryWindowTraitCallbackFunction((trait: string) => trait === "fullscreen");
const windowState: boolean = native.hasMainWindow() || native.hasKeyWindow() || native.hasSheets(window);
native.closeMainWindow();
native.closeKeyWindow();
native.hideWindowContent(window, 0);
native.resizeWindowContent(window, 800, 600);
use(renamed, hidden, appHidden, windowState);
// @ts-expect-error window handles are buffers
native.hasSheets("window");

// Global shortcuts
native.startMonitoringKeyboardShortcuts("GlobalComposeShortcut");
native.stopMonitoringKeyboardShortcuts();
native.bindGlobalShortcutWithDefaultsKey("GlobalComposeShortcut");
const shortcut: string | null = native.globalShortcutDescriptionForDefaultsKey("GlobalComposeShortcut");
use(shortcut);

// Pasteboard, drag and drop
const saved: boolean = native.saveGeneralPasteboard() && native.restoreGeneralPasteboard();
const wrote: boolean = native.writeFileContentsToGeneralPasteboard("/tmp/a.png");
const values = native.getValueOfPasteboardType("public.utf8-plain-text");
if (values !== null) use(parse<string[]>(values).join("\n"));
const hasImage: 0 | 1 = native.doesPasteboardContainImage();
const imagePath: string | null = native.imageFromPasteboard("/tmp");
const findString: string | null = native.getFindStringFromPasteboard();
native.setFindStringToPasteboard("needle");
const dropped: boolean | undefined = native.dropFiles(window, JSON.stringify({ x: 10, y: 20 }), JSON.stringify(["/tmp/a.pdf"]));
native.setDragAndDropCallbackFunction((event, handle, paths) => use(event, handle, parse<string[]>(paths)[0]));
use(saved, wrote, hasImage, imagePath, findString, dropped);
// @ts-expect-error the result is 1 or 0, not a boolean
const notBoolean: boolean = native.doesPasteboardContainImage();
use(notBoolean);

// Applications and file types, previews, images, files
const editors = native.applicationsForFileExtension(".PDF", 32, "/tmp/icons");
if (typeof editors === "string") use(parse<native.ApplicationEntry[]>(editors).filter((entry) => entry["default?"]).map((entry) => entry["bundle-id"]));
const mailers = native.applicationsForScheme("mailto", 32, null);
const defaultMailer: string | null | undefined = native.defaultApplicationForScheme("mailto");
const madeDefault: 0 | 1 = native.setDefaultApplicationForScheme("mailto", "com.example.Velquarin");
const typeIcon: string | undefined = native.iconForFileExtension("pdf", 32, "/tmp/icons");
const opened: 0 | 1 = native.openFile("/tmp/a.pdf", null, true);
native.openInfoForFile("/tmp/a.pdf");
const installed: boolean = native.isApplicationInstalled("com.example.Viewer");
const appIcon: string | undefined = native.iconForApplication("com.example.Viewer", 64, "/tmp/icons");
const appName: string | null = native.applicationName("com.example.Viewer");
native.quickLook(window, JSON.stringify(["/tmp/a.pdf", "/tmp/b.png"]), 0, (path) => use(path));
native.shareFiles(window, JSON.stringify(["/tmp/a.pdf"]), JSON.stringify({ x: 5, y: 5 }));
native.generatePreview("/tmp/a.pdf", 128, "/tmp/previews", (previewPath) => use(previewPath ?? "none"));
native.printPath("/tmp/a.pdf");
const webImage: 0 | 1 = native.isWebImagePath("/tmp/b.png");
const scaled: string | null = native.scaleImage("/tmp/b.png", "JPEG", 1000, 1000);
native.showFileDialog(window, JSON.stringify({ "destination-path": null, filename: "a.pdf" }), (path) => use(path));
const writeError: string | undefined = native.writeFile("/tmp/out.bin", Buffer.from("bytes"), true);
use(mailers, defaultMailer, madeDefault, typeIcon, opened, installed, appIcon, appName, webImage, scaled, writeError);
// @ts-expect-error the preview callback may be called without a path
native.generatePreview("/tmp/a.pdf", 128, "/tmp/previews", (previewPath: string) => use(previewPath));
// @ts-expect-error "jpg" is not a type name
native.scaleImage("/tmp/b.png", "jpg", 10, 10);

// Hand-off
native.importIntoApplication("com.apple.Photos", "/tmp/photos.zip");
native.clipPage("clipboard", { title: "Subject", url: "velquarin://m/1", "web-url": "https://mail.example.com/1", attachments: [] });
const targets = native.installedClipperApps();
if (targets !== null) use(parse<native.ClipTarget[]>(targets).includes("clipboard"));
native.registerAppleEventForTimingApp(() => JSON.stringify(["Inbox - Work"]));
native.uninstallPDFServices();
// @ts-expect-error the clip options need "attachments"
native.clipPage("things", { title: "Subject" });

// Network
const request = native.createRequest("http://127.0.0.1:8080/feed", { method: "GET", headers: { Accept: "text/xml" }, followRedirects: false, timeout: 2.5 });
if (request) {
  request.on("response", (response) => use(response.statusCode, response.location));
  request.on("data", (chunk) => use(chunk.byteLength));
  request.on("end", (finished) => use(finished.buffer?.byteLength));
  request.on("error", (description) => use(description.length));
  request.start();
  // @ts-expect-error event names are exact
  request.on("Data", () => {});
  // @ts-expect-error "data" listeners receive ArrayBuffers
  request.on("data", (chunk: string) => use(chunk));
}
use(native.createRequest("http://127.0.0.1:8080/"), native.createRequest("http://127.0.0.1:8080/", null));
native.setNetworkReachabilityCallbackFunction((reachable) => use(reachable));
const reachable: boolean = native.isNetworkReachable();
use(reachable);

// Updates, support
native.checkForUpdates(true, false);
native.setAppcastParameterCallback((sendingSystemProfile) =>
  JSON.stringify([{ key: "profile", value: String(sendingSystemProfile), displayKey: "Profile", displayValue: "yes" }] satisfies native.FeedParameter[]),
);
native.fetchAppcast();
native.openSupportAndFeedbackWindow(JSON.stringify(["/tmp/log.txt"]), JSON.stringify({ account: 1 }), null, "Hello", null);
native.openSupportAndFeedbackWindow("[]", "{}", "CRASH_ON_STARTUP", null, JSON.stringify({ "current-html-page-menu-title": "Page" }));
native.attachFilesToSupportAndFeedbackWindow(JSON.stringify(["/tmp/b.png"]));
native.annotateImage("/tmp/a.png", (path) => use(path));
native.takeScreenRecording("/tmp", (path) => use(path));

// Platform binding: notifications, windows, main queue and clock, main bundle
const activations = platform.observe("ZqNotificationActivation", (name, userInfo, object) => {
  const type: native.NotificationActivationType = userInfo.type;
  use(name, userInfo["unique-id"], type, object);
});
const picked = platform.observe("ZqContactEmailAddressesPicked", (_name, userInfo) => use(parse<string[]>(userInfo.addresses)));
const shortcuts = platform.observe("ZqKeyboardShortcutMonitorUpdated", (_name, info) => use(info["valid?"], info.shortcut));
const everything = platform.observe(null, (name, userInfo, object) => use(name, userInfo?.["any"], object?.length), { distributed: false });
const menuCommands = platform.observe("ZqGetNewMessagesNotification", (_name, userInfo) => {
  const none: null = userInfo;
  use(none);
});
platform.removeObserver(activations);
platform.removeObserver(picked);
platform.removeObserver(shortcuts);
platform.removeObserver(everything);
platform.removeObserver(menuCommands);
platform.post("ZqNumberOfAccountsChanged", { "num-accounts": 2 });
platform.post("AppleInterfaceThemeChangedNotification", null, { distributed: true });
platform.post("ZqOther");
const closed: boolean = platform.closeWindow(window);
const open: platform.WindowInfo[] = platform.windows();
const ran: number = platform.drainMainQueue();
const later: number = platform.advanceClock(60) - platform.now();
const timers: number = platform.pendingTimers();
platform.setMainBundlePath(platform.mainBundlePath());
use(closed, open[0]?.className, ran, later, timers);
// @ts-expect-error the user info of a module notification is typed
platform.observe("ZqGlobalShortcutAction", (_name, userInfo) => use(userInfo.defaultsKey));
// @ts-expect-error the host's notifications carry their user info
platform.post("ZqNumberOfAccountsChanged", { accounts: 2 });
