// Declarations of the module's exports: `require('velquarin-native')`.
// docs/API.md is generated from this file and platform.d.ts (scripts/gen-api-doc.js).
// Every function checks its argument count and types on entry and throws a TypeError that
// names the native function, source file, line and condition when they do not hold; a call
// that holds its contract never throws.

/// <reference types="node" />

declare namespace VelquarinNative {
  // ---------------------------------------------------------------------------------------
  // Shared types

  /** Any value that JSON text can hold. */
  type JsonValue = null | boolean | number | string | JsonValue[] | JsonObject;

  /** A JSON object. */
  interface JsonObject {
    [key: string]: JsonValue;
  }

  /**
   * Compact UTF-8 JSON text whose parsed value has the shape `Shape`. At run time it is a
   * plain string: pass `JSON.stringify(value)` and read results with `JSON.parse(text)`.
   */
  type JsonText<Shape> = string;

  /**
   * A window handle: a buffer whose first 8 bytes designate a window (from the platform
   * binding's `createWindow`, or from a module callback). Handles the module hands out are
   * fresh 8-byte buffers; a stale, foreign or short buffer designates no window.
   */
  type WindowHandle = Buffer;

  /** A point in a window, in points from the lower-left corner of its content. */
  interface Point {
    x: number;
    y: number;
  }

  // ---------------------------------------------------------------------------------------
  // JSON shapes

  /** Result of reading a password: `password` is null when none is stored; `error` is the credential store's status code. */
  type PasswordReadResult = { "ok?": true; password: string | null } | { "ok?": false; error: number };

  /** Result of writing a password; `error` is the credential store's status code. */
  type PasswordWriteResult = { "ok?": true } | { "ok?": false; error: number };

  /** A user-default value as stored: a boolean, an int32 number or a string. */
  type UserDefaultValue = boolean | number | string;

  /** The migration document. Sections not selected are left out. */
  interface MigrationDocument {
    /** true when the previous version's accounts store exists. */
    "has-previous-version?": boolean;
    /** The previous version's accounts, by `order`, then `username`. */
    accounts?: PreviousAccount[];
    /** The previous version's workspaces, newest first. */
    workspaces?: PreviousWorkspace[];
    /** The preferences carried over, each as stored by the previous version. */
    prefs?: PreviousPreferences;
  }

  /** One account of the previous version, under that version's attribute names; missing values are null. */
  interface PreviousAccount {
    order: number | null;
    username: string | null;
    nickname: string | null;
    /** The account's password from the credential store, or null. */
    password: string | null;
    detectUnreadCountType: number | null;
    defaultInboxType: number | null;
    customInboxLabelName: string | null;
    isNotificationEnabled: number | null;
    unreadMessagesLocation: number | null;
    /** Addresses separated by commas. */
    autoBCC: string | null;
    notificationSound: string | null;
    isNotifyNewMessages: number | null;
    loadRapportivePlugin: number | null;
    loadClearbitConnectPlugin: number | null;
    loadBoomerangPlugin: number | null;
    loadStreakPlugin: number | null;
    loadRightInboxPlugin: number | null;
    isGmailChatBlockedAsBOOL: boolean;
    isGooglePlusBlockedAsBOOL: boolean;
    isGoogleDriveBlockedAsBOOL: boolean;
    isGoogleCalendarAlertsBlockedAsBOOL: boolean;
    numberOfDownloadItems: number;
    /** Sorted by `order`. */
    bookmarks: PreviousBookmark[];
  }

  /** A bookmark of a previous-version account; missing values are null. */
  interface PreviousBookmark {
    order: number | null;
    title: string | null;
    url: string | null;
  }

  /** A workspace of the previous version: its tabs in tab order. */
  interface PreviousWorkspace {
    "active?": boolean;
    tabs: PreviousTab[];
  }

  /** One tab of a previous-version workspace: the account and its web application. */
  interface PreviousTab {
    email: string;
    app: WebAppType;
  }

  /** The web applications of an account. */
  type WebAppType = "Gmail" | "GoogleInbox" | "Calendar" | "Contacts";

  /** The preference keys carried over from the previous version. */
  type PreviousPreferenceKey =
    | "DoNotDisturb"
    | "AskForPhotoOptimizationSettings"
    | "AutomaticallyOpenSafeDownloads"
    | "ConvertImagesToFileType"
    | "DisplayStatusItem"
    | "DownloadDestinationPath"
    | "DownloadsAskForDestination"
    | "HideTabBar"
    | "InsertImagesInline"
    | "PrintWithGmailHeader"
    | "ScaleImagesToMaxDimension"
    | "ShowStatusBar"
    | "WebViewTextSizeMultiplier"
    | "DefaultSenderAccountIdentifier";

  /** Those carried-over preferences that the previous version's preferences file holds. */
  type PreviousPreferences = { [Key in PreviousPreferenceKey]?: JsonValue };

  /** A message to compose, as scripts and the Services menu describe it. */
  interface OutgoingMessage {
    /** Present only when not empty. */
    sender?: string;
    /** Present only when not empty. */
    subject?: string;
    /** The text; every paragraph ends with a line feed. Present only when not empty. */
    body?: string;
    to: MessageRecipient[];
    cc: MessageRecipient[];
    bcc: MessageRecipient[];
    "attachment-paths": string[];
  }

  /** A recipient of an outgoing message. */
  interface MessageRecipient {
    name: string | null;
    email: string | null;
  }

  /** How to compose an outgoing message. */
  interface ComposeOptions {
    /** null unless a script set it. */
    "optimize-attachments?": boolean | null;
    "directly-send?": boolean;
    "image-attach-method": string | null;
    "image-file-type": string | null;
    "image-size": string | null;
  }

  /** Texts of the address-book picker; a missing key shows the key itself. */
  interface AddressPickerTranslations {
    "window-title"?: string;
    "accept-button-label"?: string;
    "cancel-button-label"?: string;
    "edit-in-contacts-button-label"?: string;
  }

  /** A member of an address-book group; "name" is left out when the member has none. */
  interface GroupRecipient {
    name?: string;
    email: string;
  }

  /** The user's typing settings; keys without a value are left out. */
  interface TextReplacementSettings {
    /** The replacement items, each as the system stores it; empty when the application switched replacements off. */
    "text-replacements"?: JsonObject[];
    "dash-substitution?"?: boolean;
    "period-substitution?"?: boolean;
  }

  /** How a desktop notification was activated. */
  type NotificationActivationType =
    | "none"
    | "contents-clicked"
    | "action-button-clicked"
    | "replied"
    | "additional-action-clicked"
    | "unknown";

  /** What happened to a desktop notification. */
  type NotificationEventType = NotificationActivationType | "dismissed" | "response-changed";

  /** Which menu the status-menu content is for: the status item's menu (full form) or the dock menu (compact form). */
  type StatusMenuType = "status-item" | "dock";

  /** Content of the status item's menu and of the dock menu; every key is optional. */
  interface StatusMenuContent {
    /** The accounts, in display order. */
    accounts?: StatusMenuAccount[];
    translations?: StatusMenuTranslations;
  }

  /** One account line of the status menu. */
  interface StatusMenuAccount {
    /** Handed back unchanged as "account-db-id". */
    id?: string | number;
    label?: string;
    /** Any other type counts as 0. */
    "unread-counter-value"?: number;
    /** Six hexadecimal digits RRGGBB, without "#". */
    "hex-color"?: string;
    "requires-oauth?"?: boolean;
    /** The newest unread messages, in display order. */
    "unread-messages"?: StatusMenuMessage[];
  }

  /** One unread message of the status menu. */
  interface StatusMenuMessage {
    "from-line"?: string;
    subject?: string;
    /** Shown as the item's tool tip. */
    snippet?: string;
    /** Handed back unchanged as "unique-id". */
    "unique-id"?: string | number;
  }

  /** Every visible text of the status menu. */
  interface StatusMenuTranslations {
    "get-new-mail"?: string;
    "do-not-disturb?"?: string;
    "compose-new-message"?: string;
    /** Compact form; one argument, the label. */
    "sign-in-format"?: string;
    /** Compact form; two arguments, the label and the count. */
    "open-with-counter-format"?: string;
    /** Compact form; one argument, the label. */
    "open-format"?: string;
    /** Full form: the sign-in line under an account. */
    "sign-in"?: string;
  }

  /** A window's toolbar. */
  interface ToolbarDefinition {
    /** Also the name under which an autosaved arrangement is kept. */
    identifier: string;
    /** Every item the toolbar may hold, in order. */
    items: ToolbarItemDefinition[];
    options: ToolbarOptions;
  }

  /** Toolbar options; each is on only when true. */
  interface ToolbarOptions {
    "allows-extension-items?"?: boolean;
    "allows-user-customization?"?: boolean;
    "autosaves-configuration?"?: boolean;
  }

  /** One toolbar item: either an "identifier" of the host's or a standard "type". */
  interface ToolbarItemDefinition {
    /** What the callbacks are told. */
    identifier?: string;
    /** A standard item; wins over "identifier". */
    type?: ToolbarStandardItemType;
    label?: string;
    /** Defaults to "label". */
    "palette-label"?: string;
    /** An image of the application; in dark appearance the name followed by "--wdark" is preferred. */
    "image-name"?: string;
    /** A push button (needs an image). */
    "button?"?: boolean;
    /** Defaults to "label". */
    tooltip?: string;
    "selected?"?: boolean;
    "default?"?: boolean;
    "selectable?"?: boolean;
  }

  /** The standard toolbar items. */
  type ToolbarStandardItemType =
    | "space"
    | "flexible-space"
    | "separator"
    | "colors"
    | "customize-toolbar"
    | "print"
    | "cloud-sharing";

  /** Path to a main-menu item: a number indexes the current item list; a string skips to the items after the item of that title. */
  type MenuNavigationPath = Array<number | string>;

  /** Attributes to set on a main-menu item, applied in the object's order. */
  interface MenuItemAttributes {
    /** Also renames the item's submenu. */
    title?: string;
    visible?: boolean;
    /** Parts joined by "+": "Cmd", "Ctrl", "Opt", "Shift", then the key; null clears it. */
    accelerator?: string | null;
  }

  /** Modifier state of the event being handled. */
  interface EventModifiers {
    "mouse?": boolean;
    "keyboard?": boolean;
    "function-modifier?": boolean;
    "control-modifier?": boolean;
    "option-modifier?": boolean;
    "command-modifier?": boolean;
    "shift-modifier?": boolean;
  }

  /** The key event that opens a menu. */
  interface MenuEventDescription extends EventModifiers {
    /** The hardware key code. */
    "key-code": number;
    /** The characters (ignoring modifiers unless command is held). */
    chars: string;
  }

  /** Window changes reported to the host. */
  type WindowNotificationName = "did-resign-main" | "did-become-main" | "did-resign-key" | "did-become-key";

  /** Steps of a file drag over a window. */
  type DragEventName = "dragging-entered" | "dragging-updated" | "dragging-exited" | "perform-drag-operation";

  /** An application that handles a file type or URL scheme. */
  interface ApplicationEntry {
    /** The application's absolute path (on Linux its `.desktop` file). */
    path: string;
    /** The application's name (on Linux the entry's `Name` in the user's language). */
    name: string;
    /** The bundle identifier (on Linux the desktop-file id without ".desktop"). */
    "bundle-id": string;
    /** The default handler. */
    "default?": boolean;
    /** The host application itself. */
    "our-entry?": boolean;
    /** The icon's PNG file, or "" without an icon directory. */
    "image-path": string;
  }

  /** Names of image file types. */
  type ImageFileTypeName = "TIFF" | "BMP" | "GIF" | "JPEG" | "JPG" | "PNG" | "JPEG2000";

  /** Options of the save sheet. */
  interface SaveDialogOptions {
    /** The directory the sheet starts in. */
    "destination-path"?: string | null;
    /** The proposed file name. */
    filename?: string | null;
  }

  /** The applications a message can be handed to. */
  type ClipTarget =
    | "evernote"
    | "devonthink"
    | "devonthink-pdf"
    | "omnifocus"
    | "receipts"
    | "todoist"
    | "things"
    | "clipboard";

  /** The message to clip; every value is converted to text. */
  interface ClipOptions {
    /** The client's own link to the message. */
    url?: string;
    /** The message's link in the mail service's web interface. */
    "web-url"?: string;
    /** The subject. */
    title?: string;
    /** The HTML body. */
    html?: string;
    /** A saved HTML file of the message. */
    "html-path"?: string;
    /** The account, as the host names it. */
    account?: string;
    /** The message saved as an RFC 822 file. */
    "eml-path"?: string;
    /** Saved attachments; must be an array. */
    attachments: string[];
  }

  /** A parameter sent with the update feed request. */
  interface FeedParameter {
    key: string;
    value: string;
    displayKey: string;
    displayValue: string;
  }

  /** Options of the support window. */
  interface SupportWindowOptions {
    /** Title of the attachment menu entry; "Current HTML Page" when missing or empty. */
    "current-html-page-menu-title"?: string;
  }

  /** Options of {@link createRequest}; keys of another type fall back to their defaults. */
  interface RequestOptions {
    /** Header fields; entries whose value is not a string are skipped. */
    headers?: { [name: string]: string };
    /** The HTTP method; "GET" by default. */
    method?: string;
    /** Whether redirects are followed; true by default. */
    followRedirects?: boolean;
    /** Timeout in seconds (fractions allowed); the platform's default otherwise. */
    timeout?: number;
  }

  // ---------------------------------------------------------------------------------------
  // Callbacks

  /**
   * Stored by {@link setCurrentStateCallbackFunction}; called synchronously when the module
   * needs a value of the page on screen, with the name of the value wanted.
   * @returns the value; null or undefined for none, anything else is converted to text.
   */
  type CurrentStateCallback = (name: "current-message-text") => string | null | undefined;

  /**
   * Stored by {@link setComposeOutgoingMessageCallbackFunction}; called when a script, the
   * Services menu or the dock asks to compose a message.
   */
  type ComposeOutgoingMessageCallback = (
    message: JsonText<OutgoingMessage>,
    options: JsonText<ComposeOptions>,
  ) => void;

  /** Stored by {@link setSearchServiceCallbackFunction}; called with the text the user chose to search for. */
  type SearchServiceCallback = (searchString: string) => void;

  /**
   * Stored by {@link setNotificationCallbackFunction}; called for every activation,
   * dismissal and reply-text change of a desktop notification. `response` is the reply
   * text, or "" without one.
   */
  type NotificationCallback = (identifier: string, type: NotificationEventType, response: string) => void;

  /**
   * Stored by {@link setStatusItemMenuNeedsUpdateCallbackFunction}; called each time the
   * status item's menu or the dock menu is about to open. `includeMessages` is true for
   * the full form (with messages).
   * @returns the menu content; text that does not parse gives a menu of the three commands.
   */
  type StatusItemMenuCallback = (type: StatusMenuType, includeMessages: boolean) => JsonText<StatusMenuContent>;

  /**
   * Stored by {@link setToolbarCallbackFunctions}; called whenever a toolbar item (or its
   * menu form) is validated.
   * @returns whether the item is enabled; any other value disables it.
   */
  type ToolbarValidationCallback = (windowId: number, itemIdentifier: string) => boolean;

  /** Stored by {@link setToolbarCallbackFunctions}; called when a toolbar item is chosen. */
  type ToolbarActionCallback = (windowId: number, itemIdentifier: string) => void;

  /** Stored by {@link setToolbarCallbackFunctions}; called when the add-tab button is pressed. */
  type ToolbarAddTabCallback = (windowId: number) => void;

  /**
   * Stored by {@link setKeyboardModifierKeysCallbackFunction}; called on every change of
   * the modifier keys and when the application becomes active.
   */
  type ModifierKeysCallback = (
    fn: boolean,
    control: boolean,
    option: boolean,
    command: boolean,
    shift: boolean,
    capsLock: boolean,
    help: boolean,
    numericPad: boolean,
  ) => void;

  /**
   * Stored by {@link setWindowNotificationCallbackFunction}; called when a browser window
   * becomes or stops being the main or key window.
   */
  type WindowNotificationCallback = (name: WindowNotificationName, window: WindowHandle) => void;

  /** Stored by {@link setQueryWindowTraitCallbackFunction}; the module never calls it. */
  type QueryWindowTraitCallback = (...args: any[]) => unknown;

  /**
   * Stored by {@link setDragAndDropCallbackFunction}; called at each step of a drag of
   * files over a window (never for drags without file paths, nor for {@link dropFiles}).
   */
  type DragAndDropCallback = (event: DragEventName, window: WindowHandle, paths: JsonText<string[]>) => void;

  /** Passed to {@link quickLook}; called with the path of each file the panel shows, the first one included. */
  type QuickLookCallback = (path: string) => void;

  /**
   * Passed to {@link generatePreview}; called once with the PNG file's path, or with no
   * argument when no preview could be made or another preview is in progress.
   */
  type PreviewCallback = (previewPath?: string) => void;

  /**
   * Passed to {@link showFileDialog}; called once with the chosen path, or with no argument
   * when the user cancelled or another dialog is in progress.
   */
  type SaveDialogCallback = (path?: string) => void;

  /**
   * Passed to {@link annotateImage}; called with the saved image's path, or with no argument
   * when the user cancelled, the image did not load or the file could not be written.
   */
  type AnnotateImageCallback = (path?: string) => void;

  /**
   * Passed to {@link takeScreenRecording}; called with the recording's own path or the saved
   * screenshot's, or with no argument when the user gave up or the file could not be written.
   */
  type ScreenRecordingCallback = (path?: string) => void;

  /**
   * Registered by {@link registerAppleEventForTimingApp}; called synchronously each time
   * the time-tracking application asks what the client shows.
   * @returns the strings to answer; any other value is converted to text, and text that
   * does not parse answers an empty list.
   */
  type TimingCallback = () => JsonText<string[]>;

  /**
   * Stored by {@link setNetworkReachabilityCallbackFunction}; called for each change the
   * system reports (two calls in a row may carry the same value).
   */
  type NetworkReachabilityCallback = (reachable: boolean) => void;

  /**
   * Stored by {@link setAppcastParameterCallback}; called synchronously before each update
   * feed request. Its parameters come before the module's own.
   * @returns the parameters; a result that is not a string, or text that does not parse,
   * adds none.
   */
  type AppcastParameterCallback = (sendingSystemProfile: boolean) => JsonText<FeedParameter[]>;

  /** Listener of "response": the request with `statusCode` (and `location` for a redirect not followed). */
  type HttpResponseListener = (request: HttpRequest) => void;

  /** Listener of "data": a copy of one chunk of the body. */
  type HttpDataListener = (chunk: ArrayBuffer) => void;

  /** Listener of "end": the request with `buffer` holding the whole body. */
  type HttpEndListener = (request: HttpRequest) => void;

  /** Listener of "error": the platform's description of the failure. */
  type HttpErrorListener = (description: string) => void;

  /**
   * One HTTP request made by {@link createRequest}. Listeners are called in the order they
   * were added, each with a null receiver; after "end" or "error" no event follows and the
   * listeners are released.
   */
  interface HttpRequest {
    /** Adds a listener for response heads; any other event name, or another argument count, adds nothing. */
    on(event: "response", listener: HttpResponseListener): void;
    /** Adds a listener for body chunks. */
    on(event: "data", listener: HttpDataListener): void;
    /** Adds a listener for the end of the transfer. */
    on(event: "end", listener: HttpEndListener): void;
    /** Adds a listener for a failed transfer. */
    on(event: "error", listener: HttpErrorListener): void;
    /** Starts the transfer; events arrive later on the main thread. */
    start(): void;
    /** The HTTP status code of the last response head, 0 for a response that is not HTTP; set before each "response". */
    readonly statusCode?: number;
    /** The absolute URL of a redirect that is not followed; set before its "response". */
    readonly location?: string;
    /** The whole body; set before "end". */
    readonly buffer?: ArrayBuffer;
  }

  // ---------------------------------------------------------------------------------------
  // Notifications

  /**
   * Notifications the module posts on the process's default notification centre, by name,
   * with the user info observers receive (null for none). Observe them with the platform
   * binding's `observe`.
   */
  interface ModuleNotifications {
    /** A log line, once the crash reporter runs. */
    ZqSentryBreadcrumbNotification: { level: "error" | "warning" | "info" | "debug"; message: string };
    /** A crash-reporter event, handed over instead of being sent. */
    ZqSentryEventNotification: { event: JsonObject };
    /** A request to compose a message; the module hands it to the compose callback. */
    ZqComposeOutgoingMessageNotification: { message: OutgoingMessage; options: ComposeOptions };
    /** The addresses chosen in the address-book picker, each in its address-field form. */
    ZqContactEmailAddressesPicked: { addresses: JsonText<string[]> };
    /** A desktop notification was delivered. */
    ZqNotificationDidDeliver: { identifier: string };
    /** A desktop notification was activated. */
    ZqNotificationDidActivate: { identifier: string; type: NotificationActivationType };
    /** A desktop notification was activated (posted after the callback). */
    ZqNotificationActivation: { "unique-id": string; type: NotificationActivationType };
    /** A desktop notification was dismissed. */
    ZqNotificationDidDismiss: { identifier: string };
    /** The status or dock menu's "get-new-mail" command. */
    ZqGetNewMessagesNotification: null;
    /** The status or dock menu's "do-not-disturb?" command; the mode changes only when the host writes "DoNotDisturb". */
    ZqToggleDoNotDisturbNotification: null;
    /** The status or dock menu's "compose-new-message" command. */
    ZqComposeNewMessageNotification: null;
    /** An account line of the status or dock menu was chosen. */
    ZqActivateTabForAccountNotification: { "account-db-id": string | number };
    /** A sign-in line of the status or dock menu was chosen. */
    ZqOpenOAuthWindowForAccountNotification: { "account-db-id": string | number };
    /** A message line of the status menu was chosen. */
    ZqOpenMessageWithUniqueNotificationId: { "unique-id": string | number };
    /** A top-level menu is about to open; "event" is empty when the user opened it. */
    ZqAppMenuWillOpen: { event: MenuEventDescription | { [key: string]: never }; menu: string };
    /** A top-level menu closed. */
    ZqAppMenuDidClose: { [key: string]: never };
    /** A tab-switching key combination was pressed. */
    ZqDispatchNotificationName: { action: "window/set-previous-tab-active" | "window/set-next-tab-active" };
    /** Paste was asked for while the general pasteboard holds file URLs. */
    ZqPasteFilesIntoCurrentWebContents: null;
    /** The state of the shortcut recorder. */
    ZqKeyboardShortcutMonitorUpdated: {
      /** The shortcut's description, or "". */
      shortcut: string;
      /** Why the shortcut cannot be used, or "". */
      error: string;
      "existing?": boolean;
      "valid?": boolean;
      "monitoring?": boolean;
    };
    /** A bound global shortcut was pressed. */
    ZqGlobalShortcutAction: { "defaults-key": string };
    /** The network reachability changed. */
    kZqReachabilityChangedNotification: null;
    /** The update feed was loaded: the properties of each item, in feed order. */
    ZqReceivedAppcastNotification: { appcast: JsonObject[] };
    /** The application was relaunched after an update. */
    ZqApplicationDidRelaunchAfterUpdateNotification: null;
    /** The support window's attachment menu entry was chosen. */
    ZqAttachFilesToReplies: { type: string };
  }

  /** Notifications the host posts for the module, with their user info. */
  interface HostNotifications {
    /** The number of accounts; the status item shows only while it is positive. */
    ZqNumberOfAccountsChanged: { "num-accounts": number };
  }

  // ---------------------------------------------------------------------------------------
  // Functions

  /**
   * Starts the crash reporter. From then on every log line is posted as a breadcrumb and
   * every crash-reporter event as a notification; nothing is sent anywhere.
   * @returns nothing.
   * @category Logging and crash reporting
   * @posts "ZqSentryBreadcrumbNotification"
   * @posts "ZqSentryEventNotification"
   */
  function setupCrashReporter(): void;

  /**
   * Crashes the process through the crash reporter; does nothing before
   * {@link setupCrashReporter}.
   * @returns nothing.
   * @category Logging and crash reporting
   */
  function testCrash(): void;

  /**
   * The release name of this build: the short version and the build number, as "3.1 (3100)".
   * @returns the release string.
   * @category Logging and crash reporting
   */
  function getReleaseString(): string;

  /**
   * The main bundle's path.
   * @returns the path.
   * @category Application environment
   */
  function getBundlePath(): string;

  /**
   * The user's preferred languages.
   * @returns language tags in the user's order.
   * @category Application environment
   */
  function getPreferredLanguages(): JsonText<string[]>;

  /**
   * The main bundle's identifier.
   * @returns the identifier; null when the bundle has none.
   * @category Application environment
   */
  function bundleId(): string | null;

  /**
   * The main bundle's build version.
   * @returns the build version; null when it is missing.
   * @category Application environment
   */
  function getBuildNumber(): string | null;

  /**
   * Whether the desktop uses a dark appearance.
   * @returns true in dark mode.
   * @category Application environment
   */
  function isDarkMode(): boolean;

  /**
   * Whether the process runs translated for another processor.
   * @returns true when translated.
   * @category Application environment
   */
  function isRosetta(): boolean;

  /**
   * The operating system's version.
   * @returns a dotted version string.
   * @category Application environment
   */
  function macOSVersion(): string;

  /**
   * Expands a leading "~" and turns a colon-separated path into a slash-separated one.
   * @param path a file path.
   * @returns the slash-separated path.
   * @category Application environment
   */
  function convertToPosixPath(path: string): string;

  /**
   * Reads an account's password from the credential store.
   * @param account the account name.
   * @returns the read result.
   * @category Credential store
   */
  function getPasswordForAccount(account: string): JsonText<PasswordReadResult>;

  /**
   * Stores an account's password in the credential store, adding or replacing its item.
   * The empty string is stored as an empty password.
   * @param password the password (first).
   * @param account the account name (second).
   * @param ignored not read.
   * @returns the write result.
   * @category Credential store
   */
  function setPasswordForAccount(password: string, account: string, ignored?: unknown): JsonText<PasswordWriteResult>;

  /**
   * Removes an account's password from the credential store; the outcome is only logged.
   * @param account the account name.
   * @returns nothing.
   * @category Credential store
   */
  function removePasswordForAccount(account: string): void;

  /**
   * Removes every password of the application from the credential store.
   * @returns nothing.
   * @category Credential store
   */
  function removeAllPasswords(): void;

  /**
   * Stores a user default: a boolean, an int32 number or a string; null removes the key.
   * Any other value (undefined, other numbers, objects) stores nothing and logs an error.
   * @param key the defaults key.
   * @param value the value.
   * @returns nothing.
   * @category User defaults and start at login
   */
  function setUserDefault(key: string, value: UserDefaultValue | null): void;

  /**
   * Reads a user default. Stored numbers 0 and 1 read as booleans; other numbers as int32.
   * @param key the defaults key.
   * @returns the value; null when the key is absent; undefined for arrays, dictionaries, dates and data.
   * @category User defaults and start at login
   */
  function getUserDefault(key: string): UserDefaultValue | null | undefined;

  /**
   * Removes a user default.
   * @param key the defaults key.
   * @returns nothing.
   * @category User defaults and start at login
   */
  function removeUserDefault(key: string): void;

  /**
   * Writes pending user-default changes to disk now.
   * @returns nothing.
   * @category User defaults and start at login
   */
  function synchronizeUserDefaults(): void;

  /**
   * Whether the application starts at login.
   * @returns true when its login item exists.
   * @category User defaults and start at login
   */
  function getStartAtLogin(): boolean;

  /**
   * Replaces the previous major version's login item by the application's own.
   * @returns nothing.
   * @category User defaults and start at login
   */
  function migrateStartAtLogin(): void;

  /**
   * Adds or removes the application's login item.
   * @param enabled whether to start at login.
   * @returns the state read back after the change.
   * @category User defaults and start at login
   */
  function setStartAtLogin(enabled: boolean): boolean;

  /**
   * Whether the previous major version left accounts to take over.
   * @returns true when its accounts store exists and lists at least one account.
   * @category Migration
   */
  function hasPreviousVersion(): boolean;

  /**
   * The previous major version's accounts, workspaces and preferences. Nothing is written.
   * @param sections null or undefined for every section; else each of "accounts",
   * "workspaces" and "prefs" that occurs in the text is included.
   * @returns the migration document; null when it cannot be written as JSON.
   * @category Migration
   */
  function getMigrationInfo(sections: string | null | undefined): JsonText<MigrationDocument> | null;

  /**
   * Stores the function that receives compose requests, replacing the earlier one.
   * @param callback the compose callback.
   * @returns nothing.
   * @category Scripted outgoing messages
   */
  function setComposeOutgoingMessageCallbackFunction(callback: ComposeOutgoingMessageCallback): void;

  /**
   * Looks for the optional F-Script framework in `~/Library/Frameworks`; logs where it looked
   * (info "Couldn't find FScript at path ..." when it is not there). Nothing is ever loaded:
   * this platform runs no code from the user's home folder.
   * @returns nothing.
   * @category Current page state
   */
  function loadFScript(): void;

  /**
   * Reports the page on screen; the three values replace the earlier ones together, and a
   * missing, null or undefined value stores none.
   * @param url the current URL.
   * @param webUrl the page's URL in the mail service's web interface.
   * @param title the page title.
   * @returns null.
   * @category Current page state
   */
  function setCurrentURL(url?: string | null, webUrl?: string | null, title?: string | null): null;

  /**
   * Stores the function the module asks for values of the page on screen, replacing the
   * earlier one.
   * @param callback the current-state callback.
   * @returns null.
   * @category Current page state
   */
  function setCurrentStateCallbackFunction(callback: CurrentStateCallback): null;

  /**
   * Stores the function that receives searches from the Services menu, replacing the
   * earlier one.
   * @param callback the search callback.
   * @returns nothing.
   * @category Services
   */
  function setSearchServiceCallbackFunction(callback: SearchServiceCallback): void;

  /**
   * Invokes another application's service on a text; nothing happens when either argument
   * is empty. Whether the service ran is not reported.
   * @param serviceName the service's name as the Services menu lists it.
   * @param text the text to hand over.
   * @returns nothing.
   * @category Services
   */
  function performService(serviceName: string, text: string): void;

  /**
   * Opens the address-book picker; the choice arrives later as a notification. The first
   * call's translations stay for the whole run.
   * @param window the window the picker is for.
   * @param translations the picker's texts.
   * @returns nothing.
   * @category Recipients and address book
   * @posts "ZqContactEmailAddressesPicked"
   */
  function pickEmailAddresses(window: WindowHandle, translations: JsonText<AddressPickerTranslations>): void;

  /**
   * The members of the address-book group of that exact name, subgroups after the group's
   * own members.
   * @param groupName the group's name.
   * @returns the recipients; null when no group has that name.
   * @category Recipients and address book
   */
  function recipientsForGroupName(groupName: string): JsonText<GroupRecipient[]> | null;

  /**
   * The user's text replacements and substitution settings.
   * @returns the settings; null when they cannot be written as JSON.
   * @category Text replacements
   */
  function getTextReplacements(): JsonText<TextReplacementSettings> | null;

  /**
   * Shows a desktop notification now, or schedules it. With both a reply field and an
   * action button asked for, the reply field wins.
   * @param identifier the key by which the notification is found and reported.
   * @param title the title.
   * @param subtitle the subtitle.
   * @param informativeText the body.
   * @param soundName the sound to play.
   * @param hasReplyButton whether it has a reply field (truthiness).
   * @param responsePlaceholder the reply field's hint text.
   * @param hasActionButton whether it has an action button (truthiness).
   * @param actionButtonTitle the action button's title.
   * @param deliverAt seconds since 1970 as decimal text (a number is accepted); a time not
   * in the future schedules it 10 seconds ahead; missing delivers now.
   * @returns nothing.
   * @category User notifications
   * @posts "ZqNotificationDidDeliver"
   * @posts "ZqNotificationDidActivate"
   * @posts "ZqNotificationActivation"
   * @posts "ZqNotificationDidDismiss"
   */
  function deliverUserNotification(
    identifier: string,
    title: string | null | undefined,
    subtitle: string | null | undefined,
    informativeText: string | null | undefined,
    soundName: string | null | undefined,
    hasReplyButton: boolean | null | undefined,
    responsePlaceholder: string | null | undefined,
    hasActionButton: boolean | null | undefined,
    actionButtonTitle: string | null | undefined,
    deliverAt: string | number | null | undefined,
  ): void;

  /**
   * Removes every scheduled and delivered notification of the application.
   * @returns nothing.
   * @category User notifications
   */
  function removeUserNotifications(): void;

  /**
   * Removes the notification with that identifier, delivered or scheduled.
   * @param identifier the notification's identifier.
   * @returns nothing.
   * @category User notifications
   */
  function removeUserNotification(identifier: string): void;

  /**
   * Stores the function told about activations, dismissals and reply-text changes,
   * replacing the earlier one.
   * @param callback the notification callback.
   * @returns nothing.
   * @category User notifications
   */
  function setNotificationCallbackFunction(callback: NotificationCallback): void;

  /**
   * The names of the playable alert sounds, sorted; computed once per run.
   * @returns the names (an array, not JSON text).
   * @category Sounds
   */
  function getSoundNames(): string[];

  /**
   * Plays the sound of that exact name, stopping the one playing.
   * @param name a name from {@link getSoundNames}.
   * @returns true when the sound was found and started.
   * @category Sounds
   */
  function playSoundWithName(name: string): boolean;

  /**
   * Sets the text beside the status item's icon and its error state.
   * @param title the text; null for none.
   * @param hasErrors whether to show the error icon; null counts as false.
   * @returns nothing.
   * @category Status item
   */
  function setStatusItemTitle(title: string | null, hasErrors: boolean | null): void;

  /**
   * Stores the function that supplies the status and dock menus' content, replacing the
   * earlier one. Choosing a menu entry posts a notification.
   * @param callback the menu-content callback.
   * @returns nothing.
   * @category Status item
   * @posts "ZqGetNewMessagesNotification"
   * @posts "ZqToggleDoNotDisturbNotification"
   * @posts "ZqComposeNewMessageNotification"
   * @posts "ZqActivateTabForAccountNotification"
   * @posts "ZqOpenOAuthWindowForAccountNotification"
   * @posts "ZqOpenMessageWithUniqueNotificationId"
   */
  function setStatusItemMenuNeedsUpdateCallbackFunction(callback: StatusItemMenuCallback): void;

  /**
   * Gives a window the toolbar its definition describes; later calls name the window by
   * its id. A definition without "identifier", "items" or "options" breaks the contract.
   * @param window the window.
   * @param windowId the host's number for the window.
   * @param definition the toolbar.
   * @returns nothing.
   * @category Toolbar
   */
  function addToolbarToWindow(window: WindowHandle, windowId: number, definition: JsonText<ToolbarDefinition>): void;

  /**
   * Stores the three toolbar callbacks, shared by all windows, replacing the earlier ones.
   * @param validate the validation callback.
   * @param action the action callback.
   * @param addTab the add-tab callback.
   * @returns nothing.
   * @category Toolbar
   */
  function setToolbarCallbackFunctions(
    validate: ToolbarValidationCallback,
    action: ToolbarActionCallback,
    addTab: ToolbarAddTabCallback,
  ): void;

  /**
   * Validates the visible toolbar items now (each asks the validation callback). An
   * unknown window id does nothing here and in the other toolbar functions.
   * @param windowId the window's id.
   * @returns nothing.
   * @category Toolbar
   */
  function validateToolbarItems(windowId: number): void;

  /**
   * Makes an item the toolbar's selected item.
   * @param windowId the window's id.
   * @param itemIdentifier the item.
   * @returns nothing.
   * @category Toolbar
   */
  function selectToolbarItem(windowId: number, itemIdentifier: string): void;

  /**
   * Shows a hidden toolbar or hides a shown one.
   * @param windowId the window's id.
   * @returns nothing.
   * @category Toolbar
   */
  function toggleToolbarVisibility(windowId: number): void;

  /**
   * Whether the window's toolbar is visible.
   * @param windowId the window's id.
   * @returns true when visible; false for an unknown id.
   * @category Toolbar
   */
  function isToolbarVisible(windowId: number): boolean;

  /**
   * Opens the toolbar's customisation palette.
   * @param windowId the window's id.
   * @returns nothing.
   * @category Toolbar
   */
  function customizeToolbar(windowId: number): void;

  /**
   * Replaces the image of a button item until the next appearance change.
   * @param windowId the window's id.
   * @param itemIdentifier the item.
   * @param imageName an image of the application.
   * @returns nothing.
   * @category Toolbar
   */
  function changeImageOfToolbarItem(windowId: number, itemIdentifier: string, imageName: string): void;

  /**
   * Shows the add-tab button at the right end of the title bar.
   * @param windowId the window's id.
   * @returns nothing.
   * @category Toolbar
   */
  function showAddTabButton(windowId: number): void;

  /**
   * Hides the add-tab button.
   * @param windowId the window's id.
   * @returns nothing.
   * @category Toolbar
   */
  function hideAddTabButton(windowId: number): void;

  /**
   * Changes a main-menu item found by a navigation path.
   * @param navigationPath the path to the item: whole numbers index the current list (and
   *   enter the item's submenu), strings skip past the first item with that title.
   * @param attributes what to change; values of the wrong type are logged and skipped.
   * @returns 1 when the item was found and changed, else 0.
   * @category Main menu
   */
  function updateMainMenuMenuItem(
    navigationPath: JsonText<MenuNavigationPath>,
    attributes: JsonText<MenuItemAttributes>,
  ): 0 | 1;

  /**
   * Changes the main-menu item whose represented object carries that "commandId" (an
   * integer within int32). The items are indexed at the first call and again when the host
   * has replaced its menu or the indexed item has left it.
   * @param commandId the item's command id.
   * @param attributes what to change.
   * @returns 1 when the item was found and changed, else 0.
   * @category Main menu
   */
  function updateMainMenuMenuItemWithCommandId(commandId: number, attributes: JsonText<MenuItemAttributes>): 0 | 1;

  /**
   * Watches the main menu's top-level menus opening and closing; call it again after
   * replacing the menu.
   * @returns nothing.
   * @category Main menu
   * @posts "ZqAppMenuWillOpen"
   * @posts "ZqAppMenuDidClose"
   */
  function setupMenuWillShowNotification(): void;

  /**
   * Stores the function told about modifier-key changes, replacing the earlier one.
   * @param callback the modifier-keys callback.
   * @returns nothing.
   * @category Keyboard
   */
  function setKeyboardModifierKeysCallbackFunction(callback: ModifierKeysCallback): void;

  /**
   * The modifier state of the event being handled.
   * @returns the modifiers; null when no event is being handled.
   * @category Keyboard
   */
  function modifierKeys(): JsonText<EventModifiers> | null;

  /**
   * Whether the application is hidden.
   * @returns true when hidden.
   * @category Keyboard
   */
  function isAppHidden(): boolean;

  /**
   * Does nothing.
   * @returns nothing.
   * @category Windows
   */
  function reenableWindowUpdates(): void;

  /**
   * Stores the function told about main and key window changes of browser windows,
   * replacing the earlier one.
   * @param callback the window-notification callback.
   * @returns nothing.
   * @category Windows
   */
  function setWindowNotificationCallbackFunction(callback: WindowNotificationCallback): void;

  /**
   * Stores a window-trait function for the host; the module never calls it.
   * @param callback any function.
   * @returns nothing.
   * @category Windows
   */
  function setQueryWindowTraitCallbackFunction(callback: QueryWindowTraitCallback): void;

  /**
   * Whether the application has a main window.
   * @returns true when it has one.
   * @category Windows
   */
  function hasMainWindow(): boolean;

  /**
   * Whether the application has a key window.
   * @returns true when it has one.
   * @category Windows
   */
  function hasKeyWindow(): boolean;

  /**
   * Whether a window shows an attached sheet.
   * @param window the window.
   * @returns true when it has a sheet; false for no window.
   * @category Windows
   */
  function hasSheets(window: WindowHandle): boolean;

  /**
   * Closes the main window, if any.
   * @returns nothing.
   * @category Windows
   */
  function closeMainWindow(): void;

  /**
   * Closes the key window, if any.
   * @returns nothing.
   * @category Windows
   */
  function closeKeyWindow(): void;

  /**
   * Hides a window's content and takes its focus, then restores both after the delay.
   * @param window the window.
   * @param delayMs the delay in milliseconds.
   * @returns nothing.
   * @category Windows
   */
  function hideWindowContent(window: WindowHandle, delayMs: number): void;

  /**
   * Resizes a window's content area, keeping its top-left corner in place.
   * @param window the window.
   * @param width the content width in points.
   * @param height the content height in points.
   * @returns nothing.
   * @category Windows
   */
  function resizeWindowContent(window: WindowHandle, width: number, height: number): void;

  /**
   * Starts recording a global shortcut from the keyboard into a defaults key; the key's
   * earlier value is put aside. Escape or Delete cancels.
   * @param defaultsKey the defaults key.
   * @returns nothing.
   * @category Global shortcuts
   * @posts "ZqKeyboardShortcutMonitorUpdated"
   */
  function startMonitoringKeyboardShortcuts(defaultsKey: string): void;

  /**
   * Cancels recording and writes the key's earlier value back; once a shortcut was stored,
   * nothing is written back (the new shortcut stays) and the key is forgotten.
   * @returns nothing.
   * @category Global shortcuts
   * @posts "ZqKeyboardShortcutMonitorUpdated"
   */
  function stopMonitoringKeyboardShortcuts(): void;

  /**
   * Binds the shortcut stored under a defaults key: pressing it anywhere posts a
   * notification naming the key. A new value under the key rebinds at once.
   * @param defaultsKey the defaults key (without "." or " ").
   * @returns nothing.
   * @category Global shortcuts
   * @posts "ZqGlobalShortcutAction"
   */
  function bindGlobalShortcutWithDefaultsKey(defaultsKey: string): void;

  /**
   * Describes the shortcut stored under a defaults key with modifier glyphs, as "⇧⌘K".
   * @param defaultsKey the defaults key.
   * @returns the description; null when the key holds no shortcut.
   * @category Global shortcuts
   */
  function globalShortcutDescriptionForDefaultsKey(defaultsKey: string): string | null;

  /**
   * Saves the general pasteboard's contents; only one snapshot is kept.
   * @returns true when a snapshot was taken; false when one is already held or another
   * application's clipboard could not be read at all.
   * @category Pasteboard
   */
  function saveGeneralPasteboard(): boolean;

  /**
   * Writes the saved snapshot back to the general pasteboard and forgets it.
   * @returns true when a snapshot was written back; false when none is held or the clipboard
   * could not be taken (the snapshot is then kept).
   * @category Pasteboard
   */
  function restoreGeneralPasteboard(): boolean;

  /**
   * Puts an image file's contents on the general pasteboard (png, jpg, jpeg, gif).
   * @param path the image file.
   * @returns true when written; false (the pasteboard untouched) for another extension, or a
   * file that is missing, not a regular file, unreadable or larger than 256 MiB.
   * @category Pasteboard
   */
  function writeFileContentsToGeneralPasteboard(path: string): boolean;

  /**
   * The strings of one type on the general pasteboard, item by item.
   * @param type a pasteboard type.
   * @returns the strings (data that is not UTF-8 left out); null when they cannot be written
   * as JSON.
   * @category Pasteboard
   */
  function getValueOfPasteboardType(type: string): JsonText<string[]> | null;

  /**
   * Whether an image can be read from the general pasteboard.
   * @returns 1 or 0.
   * @category Pasteboard
   */
  function doesPasteboardContainImage(): 0 | 1;

  /**
   * Writes the pasteboard's image (a copied local image file, else image data) as
   * "image.jpg" into a directory, replacing what was there in one step.
   * @param directory the directory.
   * @returns the file's path; null when the pasteboard holds no image, the directory is
   * empty or the file could not be written.
   * @category Pasteboard
   */
  function imageFromPasteboard(directory: string): string | null;

  /**
   * The shared find string.
   * @returns the find string; null when there is none.
   * @category Pasteboard
   */
  function getFindStringFromPasteboard(): string | null;

  /**
   * Sets the shared find string.
   * @param findString the new find string (another value is converted to text); null clears it.
   * @returns nothing.
   * @category Pasteboard
   */
  function setFindStringToPasteboard(findString: string | null): void;

  /**
   * Drops files into a window's web view as if the user had dropped them at a point.
   * @param window the window.
   * @param point where to drop; "x" and "y" may also be numeric strings (read by their
   * numeric start); anything else, or a value that is not finite, counts as 0.
   * @param paths absolute file paths.
   * @returns true when the web view accepted the drop; false when it did not, when no web
   * view was found, a JSON text did not parse, the point is not an object or the paths are
   * not an array of strings; undefined for no window.
   * @category Drag and drop
   */
  function dropFiles(window: WindowHandle, point: JsonText<Point>, paths: JsonText<string[]>): boolean | undefined;

  /**
   * Stores the function told about file drags over windows, replacing the earlier one.
   * @param callback the drag-and-drop callback.
   * @returns nothing.
   * @category Drag and drop
   */
  function setDragAndDropCallbackFunction(callback: DragAndDropCallback): void;

  /**
   * The applications that edit a file type (on Linux: open the extension's MIME type, in
   * GIO's order). Icon files are cached in the directory by bundle identifier: an existing
   * file is never redrawn.
   * @param extension the extension; a leading "." is removed and the rest lower-cased.
   * @param iconSize the icons' size in points.
   * @param iconDirectory where the icons are written (created when missing); anything but a
   * string for no icons.
   * @returns the applications; undefined when the directory cannot be created; null when
   * they cannot be written as JSON.
   * @category Applications and file types
   */
  function applicationsForFileExtension(
    extension: string,
    iconSize: number,
    iconDirectory: string,
  ): JsonText<ApplicationEntry[]> | null | undefined;

  /**
   * The applications that handle a URL scheme. A string that is not a scheme gives "[]".
   * @param scheme the scheme without colon, as "mailto"; compared lower-cased.
   * @param iconSize the icons' size in points.
   * @param iconDirectory where the icons are written; null for no icons.
   * @returns the applications; undefined when the directory cannot be created; null when
   * they cannot be written as JSON.
   * @category Applications and file types
   */
  function applicationsForScheme(
    scheme: string,
    iconSize: number,
    iconDirectory: string | null,
  ): JsonText<ApplicationEntry[]> | null | undefined;

  /**
   * The default handler of a URL scheme.
   * @param scheme the scheme without colon.
   * @returns its bundle identifier; null when the scheme has no default handler or is not
   * a scheme.
   * @category Applications and file types
   */
  function defaultApplicationForScheme(scheme: string): string | null | undefined;

  /**
   * Makes an application the default handler of a URL scheme.
   * @param scheme the scheme without colon.
   * @param bundleId the application's bundle identifier.
   * @returns 1 when the change was accepted, else 0 (also for a string that is not a scheme,
   * an application that is not installed, or a mimeapps.list that does not parse).
   * @category Applications and file types
   */
  function setDefaultApplicationForScheme(scheme: string, bundleId: string): 0 | 1;

  /**
   * Writes the icon of a file type as a PNG file named after the extension.
   * @param extension the extension, used as given.
   * @param size the icon's size in points.
   * @param directory where the file is written (created when missing).
   * @returns the file's path; undefined on failure.
   * @category Applications and file types
   */
  function iconForFileExtension(extension: string, size: number, directory: string): string | undefined;

  /**
   * Opens a file with an application.
   * @param path the file.
   * @param application the application: its name, its path (on Linux an absolute `.desktop`
   * file) or its bundle identifier; null for the file's default application.
   * @param deactivate whether the calling application steps back (ignored on Linux).
   * @returns 1 when the file was opened, else 0 (a missing file, an unknown application).
   * @category Applications and file types
   */
  function openFile(path: string, application: string | null, deactivate: boolean): 0 | 1;

  /**
   * Opens the file manager's information window for a file (on Linux through
   * org.freedesktop.FileManager1, asynchronously; a missing file is logged, nothing asked).
   * @param path the file.
   * @returns nothing.
   * @category Applications and file types
   */
  function openInfoForFile(path: string): void;

  /**
   * Whether an application with that bundle identifier is installed.
   * @param bundleId the bundle identifier.
   * @returns true when installed.
   * @category Applications and file types
   */
  function isApplicationInstalled(bundleId: string): boolean;

  /**
   * Writes an application's icon as a PNG file named after its bundle identifier.
   * @param bundleId the bundle identifier.
   * @param size the icon's size in points.
   * @param directory where the file is written (created when missing).
   * @returns the file's path; undefined on failure.
   * @category Applications and file types
   */
  function iconForApplication(bundleId: string, size: number, directory: string): string | undefined;

  /**
   * An application's name (on Linux the desktop entry's `Name` in the user's language).
   * @param bundleId the bundle identifier.
   * @returns the name; null when the application is not found.
   * @category Applications and file types
   */
  function applicationName(bundleId: string): string | null;

  /**
   * Shows files in the Quick Look panel; while it is open a later call only replaces the
   * files, the start index and the callback.
   * @param window the window whose responder chain the panel joins.
   * @param paths absolute file paths.
   * @param startIndex the file to show first.
   * @param callback called with each file shown.
   * @returns nothing.
   * @category Previews and sharing
   */
  function quickLook(window: WindowHandle, paths: JsonText<string[]>, startIndex: number, callback: QuickLookCallback): void;

  /**
   * Offers files to the sharing services, anchored at a point of the window's content.
   * @param window the window.
   * @param paths absolute file paths.
   * @param point the anchor.
   * @returns nothing.
   * @category Previews and sharing
   */
  function shareFiles(window: WindowHandle, paths: JsonText<string[]>, point: JsonText<Point>): void;

  /**
   * Renders a thumbnail of a file (its icon when there is none) into a square PNG file
   * named like the file without its last extension; one preview at a time. A preview made
   * earlier for the same file, unchanged since, is reused; a file there that is not such a
   * preview is left alone (the callback gets no argument).
   * @param path the file.
   * @param size the square's side in points.
   * @param directory where the PNG file is written (created when missing).
   * @param callback called once with the result.
   * @returns nothing; the result arrives through the callback.
   * @category Previews and sharing
   */
  function generatePreview(path: string, size: number, directory: string, callback: PreviewCallback): void;

  /**
   * Opens the print panel for a file with the print server's printers, the default one
   * selected; the server is asked in the background and nothing is shown when it has no
   * printer or cannot be reached.
   * @param path the file (a regular file).
   * @returns nothing.
   * @category Previews and sharing
   */
  function printPath(path: string): void;

  /**
   * Whether a file is an image a web page can show (JPEG, JPEG 2000, TIFF, PNG, GIF).
   * @param path the file.
   * @returns 1 or 0; 0 for a missing file.
   * @category Images
   */
  function isWebImagePath(path: string): 0 | 1;

  /**
   * Shrinks an image to fit the maxima, keeping its aspect, and writes it to a new
   * temporary file named like the source. A maximum below 1 keeps the full size.
   * @param path the image file.
   * @param fileType the type to write; another name writes PNG.
   * @param maxWidth the maximum width in pixels.
   * @param maxHeight the maximum height in pixels.
   * @returns the new file's path; null when the source cannot be read.
   * @category Images
   */
  function scaleImage(path: string, fileType: ImageFileTypeName, maxWidth: number, maxHeight: number): string | null;

  /**
   * Asks where to save a file, with a save sheet on the window; one dialog at a time.
   * @param window the window.
   * @param options the sheet's directory and proposed name.
   * @param callback called once with the result.
   * @returns nothing; the path arrives through the callback.
   * @category Files and dialogs
   */
  function showFileDialog(window: WindowHandle, options: JsonText<SaveDialogOptions>, callback: SaveDialogCallback): void;

  /**
   * Writes bytes to a file, atomically (through a temporary file) when asked.
   * @param path the file.
   * @param data the bytes.
   * @param atomic whether to replace the file atomically.
   * @returns undefined on success; the error's description on failure.
   * @category Files and dialogs
   */
  function writeFile(path: string, data: Buffer, atomic: boolean): string | undefined;

  /**
   * Hands a saved file to an application chosen by bundle identifier (the note
   * application, the archive application, the photo library, the receipts application).
   * @param bundleId the application's bundle identifier.
   * @param path the file.
   * @returns nothing.
   * @category Clipping and importing
   */
  function importIntoApplication(bundleId: string, path: string): void;

  /**
   * Hands the open message to another application, in the background; returns at once.
   * @param target where to clip to.
   * @param options the message.
   * @returns nothing.
   * @category Clipping and importing
   */
  function clipPage(target: ClipTarget, options: ClipOptions): void;

  /**
   * The clip targets that are installed, "clipboard" always last.
   * @returns the targets; null when they cannot be written as JSON.
   * @category Clipping and importing
   */
  function installedClipperApps(): JsonText<ClipTarget[]> | null;

  /**
   * Registers the function that answers the time-tracking application; only the first
   * registration counts.
   * @param callback the time-tracking callback.
   * @returns nothing.
   * @category Time tracking
   */
  function registerAppleEventForTimingApp(callback: TimingCallback): void;

  /**
   * Removes the print dialog's "Mail PDF with Velquarin" entry (start-up puts it back).
   * @returns nothing.
   * @category PDF service
   */
  function uninstallPDFServices(): void;

  /**
   * Makes an HTTP request object; the transfer begins with its `start`. No cookies are sent
   * or stored; 4xx and 5xx answers are reported like any other.
   * @param url the absolute URL.
   * @param options method, headers, redirects and timeout; anything that is not an object
   * counts as none.
   * @returns the request object; undefined when it cannot be made.
   * @category HTTP requests
   * @calls HttpResponseListener
   * @calls HttpDataListener
   * @calls HttpEndListener
   * @calls HttpErrorListener
   */
  function createRequest(url: string, options?: RequestOptions | null): HttpRequest | undefined;

  /**
   * Stores the function told about network changes, replacing the earlier one.
   * @param callback the reachability callback.
   * @returns nothing.
   * @category Reachability
   */
  function setNetworkReachabilityCallbackFunction(callback: NetworkReachabilityCallback): void;

  /**
   * Whether the network is reachable now.
   * @returns true when reachable; false when reachability cannot be watched.
   * @category Reachability
   */
  function isNetworkReachable(): boolean;

  /**
   * Checks for updates: with the updater's own windows, or in the background.
   * @param inBackground true for a background check.
   * @param automatically for a background check: whether automatic checks stay on.
   * @returns nothing.
   * @category Updates
   * @posts "ZqReceivedAppcastNotification"
   * @posts "ZqApplicationDidRelaunchAfterUpdateNotification"
   */
  function checkForUpdates(inBackground: boolean, automatically: boolean): void;

  /**
   * Stores the function that adds the host's parameters to update feed requests,
   * replacing the earlier one.
   * @param callback the appcast-parameter callback.
   * @returns nothing.
   * @category Updates
   */
  function setAppcastParameterCallback(callback: AppcastParameterCallback): void;

  /**
   * Loads the update feed without user interface.
   * @returns nothing; the feed arrives as a notification.
   * @category Updates
   * @posts "ZqReceivedAppcastNotification"
   */
  function fetchAppcast(): void;

  /**
   * Opens the support and feedback window. With the thread identifier "CRASH_ON_STARTUP"
   * the application quits 2 seconds after the window stops being the main window.
   * @param attachmentPaths files to attach.
   * @param metadata metadata of the message.
   * @param threadId the support thread, or "CRASH_ON_STARTUP".
   * @param body text to prefill.
   * @param options the window's options.
   * @returns nothing.
   * @category Support and feedback
   * @posts "ZqAttachFilesToReplies"
   */
  function openSupportAndFeedbackWindow(
    attachmentPaths: JsonText<string[]>,
    metadata: JsonText<JsonObject>,
    threadId: string | null,
    body: string | null,
    options: JsonText<SupportWindowOptions> | null,
  ): void;

  /**
   * Attaches files to the open support window, in order.
   * @param paths the files.
   * @returns nothing.
   * @category Support and feedback
   */
  function attachFilesToSupportAndFeedbackWindow(paths: JsonText<string[]>): void;

  /**
   * Lets the user annotate an image; the result is saved as PNG beside it.
   * @param path the image file.
   * @param callback called with the result.
   * @returns nothing.
   * @category Support and feedback
   */
  function annotateImage(path: string, callback: AnnotateImageCallback): void;

  /**
   * Lets the user take a screen recording or an annotated screenshot ("screenshot.png" in
   * the directory).
   * @param directory where a screenshot is saved.
   * @param callback called with the result.
   * @returns nothing.
   * @category Support and feedback
   */
  function takeScreenRecording(directory: string, callback: ScreenRecordingCallback): void;
}

export = VelquarinNative;
