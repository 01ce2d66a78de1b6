// Compiled with `tsc --noEmit --strict` by tests/js/types.test.js (never run): what the argument
// check in that test cannot see, i.e. result shapes, callback signatures and typed
// notifications. The @ts-expect-error lines are misuses the declarations must refuse.

import native = require("velquarin-native");
import platform = require("velquarin-native/platform");

function use(..._values: unknown[]): void {}
function parse<Shape>(text: string): Shape {
  return JSON.parse(text) as Shape;
}

const window: native.WindowHandle = platform.createWindow("AtomNSWindow", "Inbox");

// Results read as JSON text of a named shape.
const read = parse<native.PasswordReadResult>(native.getPasswordForAccount("ann@example.com"));
use(read["ok?"] ? read.password : read.error);
const migrationText = native.getMigrationInfo(null);
if (migrationText !== null) {
  const migration = parse<native.MigrationDocument>(migrationText);
  const app: native.WebAppType | undefined = migration.workspaces?.[0]?.tabs[0]?.app;
  use(migration.accounts?.[0]?.bookmarks[0]?.url, app, migration.prefs?.HideTabBar);
}
const editors = native.applicationsForFileExtension(".PDF", 32, "/tmp/icons");
if (typeof editors === "string") use(parse<native.ApplicationEntry[]>(editors)[0]?.["bundle-id"]);
const stored: boolean | number | string | null | undefined = native.getUserDefault("Count");
const hasImage: 0 | 1 = native.doesPasteboardContainImage();
const scaled: string | null = native.scaleImage("/tmp/b.png", "JPEG", 1000, 1000);
use(stored, hasImage, scaled);
// @ts-expect-error the result is 1 or 0, not a boolean
const notBoolean: boolean = native.doesPasteboardContainImage();
use(notBoolean);
// @ts-expect-error "jpg" is not a type name
native.scaleImage("/tmp/b.png", "jpg", 10, 10);
// @ts-expect-error objects cannot be stored
native.setUserDefault("Bad", { a: 1 });

// Callbacks and the values they receive or answer.
native.setNotificationCallbackFunction((identifier, type, response) => {
  if (type === "replied") use(identifier, response);
});
native.setStatusItemMenuNeedsUpdateCallbackFunction((type, includeMessages) => {
  const content: native.StatusMenuContent = {
    accounts: [{ id: 1, label: "Work", "unread-counter-value": 2, "hex-color": "4F8CF8", "unread-messages": [] }],
    translations: { "sign-in": includeMessages ? "Sign in" : "" },
  };
  return type === "dock" ? "{}" : JSON.stringify(content);
});
native.setComposeOutgoingMessageCallbackFunction((messageText, optionsText) => {
  const message = parse<native.OutgoingMessage>(messageText);
  use(message.to.map((recipient) => recipient.email), parse<native.ComposeOptions>(optionsText)["directly-send?"]);
});
const toolbar: native.ToolbarDefinition = {
  identifier: "main",
  items: [{ identifier: "compose", label: "Compose", "button?": true }, { type: "flexible-space" }],
  options: { "allows-user-customization?": true },
};
native.addToolbarToWindow(window, 1, JSON.stringify(toolbar));
native.setToolbarCallbackFunctions((windowId, item) => windowId === 1 && item !== "", () => {}, () => {});
native.setDragAndDropCallbackFunction((event, handle, paths) => use(event, handle, parse<string[]>(paths)[0]));
native.generatePreview("/tmp/a.pdf", 128, "/tmp/previews", (previewPath) => use(previewPath ?? "none"));
native.setAppcastParameterCallback((profile) =>
  JSON.stringify([{ key: "p", value: String(profile), displayKey: "P", displayValue: "yes" }] satisfies native.FeedParameter[]),
);
// @ts-expect-error the compose callback receives strings
native.setComposeOutgoingMessageCallbackFunction((message: native.OutgoingMessage) => use(message));
// @ts-expect-error the menu callback must answer JSON text
native.setStatusItemMenuNeedsUpdateCallbackFunction(() => ({ accounts: [] }));
// @ts-expect-error the validation callback must answer a boolean
native.setToolbarCallbackFunctions(() => "yes", () => {}, () => {});
// @ts-expect-error the preview callback may be called without a path
native.generatePreview("/tmp/a.pdf", 128, "/tmp/previews", (previewPath: string) => use(previewPath));

// Request objects.
const request = native.createRequest("http://127.0.0.1:8080/feed", { method: "GET", headers: { Accept: "text/xml" }, timeout: 2.5 });
if (request) {
  request.on("response", (response) => use(response.statusCode, response.location));
  request.on("data", (chunk) => use(chunk.byteLength));
  request.on("end", (finished) => use(finished.buffer?.byteLength));
  request.on("error", (description) => use(description.length));
  // @ts-expect-error event names are exact
  request.on("Data", () => {});
  // @ts-expect-error "data" listeners receive ArrayBuffers
  request.on("data", (chunk: string) => use(chunk));
}

// The platform binding: typed notifications of the module and of the host.
const activations = platform.observe("ZqNotificationActivation", (_name, userInfo) => {
  const type: native.NotificationActivationType = userInfo.type;
  use(userInfo["unique-id"], type);
});
platform.removeObserver(activations);
platform.post("ZqNumberOfAccountsChanged", { "num-accounts": 2 });
const open: platform.WindowInfo[] = platform.windows();
use(open[0]?.className, platform.advanceClock(60) - platform.now());
// @ts-expect-error the user info of a module notification is typed
platform.observe("ZqGlobalShortcutAction", (_name, userInfo) => use(userInfo.defaultsKey));
// @ts-expect-error the host's notifications carry their user info
platform.post("ZqNumberOfAccountsChanged", { accounts: 2 });
