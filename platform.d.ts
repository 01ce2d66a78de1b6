// Declarations of the platform binding: `require('velquarin-native/platform')`.
// It is how a host observes the module's notifications and how hosts, tests and demos act as
// the desktop around the module. A call with arguments of the wrong type throws a TypeError.

/// <reference types="node" />

import VelquarinNative = require("./index");

declare namespace VelquarinPlatform {
  type JsonObject = VelquarinNative.JsonObject;
  type WindowHandle = VelquarinNative.WindowHandle;
  type ModuleNotifications = VelquarinNative.ModuleNotifications;
  type HostNotifications = VelquarinNative.HostNotifications;

  /** Identifies an observer for {@link removeObserver}. */
  type ObserverId = number;

  /** Which notification centre: the process's default centre, or the one shared with other processes. */
  interface CenterOptions {
    /** true for the distributed centre; false by default. */
    distributed?: boolean;
  }

  /** How a notification is posted: its centre and its object. */
  interface PostOptions extends CenterOptions {
    /** Plain data handed to observers as the notification's object (a search string). */
    object?: unknown;
  }

  /**
   * Called on the main thread for each notification observed: its name, its user info
   * (null for none) and its object: a window's handle, a string (the search notification's),
   * whatever plain data {@link post} was given as object, else null.
   */
  type Observer<UserInfo = JsonObject | null> = (name: string, userInfo: UserInfo, object: WindowHandle | string | null) => void;

  /** A window of the platform. */
  interface WindowInfo {
    handle: WindowHandle;
    className: string;
    title: string;
  }

  /** How {@link createWindow} makes a window. */
  interface WindowOptions {
    title?: string;
    /** Declares the class below this one first (a class keeps its first superclass). */
    superclass?: string;
    /** The delegate's class; "AtomNSWindowDelegate" by default, "" for none. */
    delegateClass?: string;
    /** The whole window in screen points; {x: 100, y: 100, width: 800, height: 622} by default. */
    frame?: Frame;
    /** A panel takes the keyboard but never becomes main. */
    panel?: boolean;
    /** false: created off screen. */
    visible?: boolean;
    /** Style bits: titled 1, closable 2, miniaturisable 4, resizable 8 (all by default). */
    styleMask?: number;
  }

  /** A window's state, from {@link windowState}. */
  interface WindowState {
    className: string;
    title: string;
    visible: boolean;
    panel: boolean;
    frame: Frame;
    /** The area below the title bar (22 points for a titled window). */
    contentRect: Frame;
    /** Whether the last frame change was animated. */
    lastChangeAnimated: boolean;
    /** The content view's opacity, 0 to 1. */
    contentAlpha: number;
    /** The first responder's view id; null when it is the window. */
    firstResponder: ViewId | null;
    sheets: { id: number; className: string }[];
    key: boolean;
    main: boolean;
  }

  /** A window's toolbar as {@link toolbar} describes it. */
  interface ToolbarState {
    identifier: string;
    visible: boolean;
    displayMode: ToolbarDisplayModeName;
    /** The selected item's identifier. */
    selected: string | null;
    showsBaselineSeparator: boolean;
    allowsExtensionItems: boolean;
    allowsUserCustomization: boolean;
    autosavesConfiguration: boolean;
    /** Whether the customisation palette is open. */
    paletteRunning: boolean;
    /** The delegate's identifier lists. */
    allowed: string[];
    default: string[];
    selectable: string[];
    items: ToolbarItemState[];
  }

  type ToolbarDisplayModeName = 'default' | 'iconAndLabel' | 'icon' | 'label';

  /** One item of a toolbar; images are PNG bytes. */
  interface ToolbarItemState {
    identifier: string;
    /** "NSToolbarItem", or the standard item's identifier. */
    className: string;
    label: string;
    paletteLabel: string;
    toolTip: string;
    enabled: boolean;
    image: Buffer | null;
    imageIsTemplate: boolean;
    minSize: { width: number; height: number };
    maxSize: { width: number; height: number };
    /** The push button shown as the item's view. */
    button: { bezelStyle: number; image: Buffer | null; imageIsTemplate: boolean; enabled: boolean } | null;
    /** The menu item shown when the toolbar shows labels only. */
    menuForm: { title: string; action: string; keyEquivalent: string } | null;
  }

  /** The accessory at the right end of a window's title bar (the add-tab button). */
  interface AddTabButtonState {
    hidden: boolean;
    hovering: boolean;
    width: number;
    height: number;
  }

  /** What {@link dragTitleBarIcon} did. */
  interface TitleBarDrag {
    allowed: boolean;
    /** The drag pasteboard's types and their texts. */
    types: string[];
    strings: Record<string, string>;
  }

  /** A modifier key by name. */
  type ModifierName = "command" | "shift" | "option" | "control" | "capsLock" | "function" | "numericPad" | "help";

  /**
   * An input event. The key is a hardware key code of the desktop's ANSI keyboard (2 is D,
   * 123 left arrow) or a DOM `code` ("KeyD", "ArrowLeft"); its characters come from the
   * keyboard layout unless given. The window is the key window and the location (10, 10)
   * in it unless given.
   */
  interface EventDescription {
    keyCode?: number;
    code?: string;
    modifiers?: ModifierName[] | number;
    characters?: string;
    charactersIgnoringModifiers?: string;
    location?: DragPoint;
    window?: WindowHandle;
  }

  /** What the dispatch of an event did. */
  interface DispatchReport {
    /** A local monitor kept the event from the dispatch. */
    swallowed: boolean;
    /** A web view took the key. */
    webView: boolean;
    /** The title of the menu item the key fired; null for none. */
    menuItem: string | null;
  }

  /** A key a web view took. */
  interface WebViewKey {
    selector: "keyDown:" | "keyUp:" | "flagsChanged:";
    view: ViewId;
    keyCode: number;
    modifierFlags: number;
    characters: string;
    charactersIgnoringModifiers: string;
  }

  /** A view of a window's tree, by its number. */
  type ViewId = number;

  /** A rectangle in points; the origin is the lower-left corner of the superview (of the screen for a screen or window frame). */
  interface Frame {
    x: number;
    y: number;
    width: number;
    height: number;
  }

  /** A point in a window, in points from its lower-left corner. */
  interface DragPoint {
    x: number;
    y: number;
  }

  /** What a user drag carries: file paths, text, or both. */
  interface DragContents {
    paths?: string[];
    text?: string;
  }

  /** The drag messages a web view's own handlers take. */
  type DragSelector = "draggingEntered:" | "draggingUpdated:" | "draggingExited:" | "performDragOperation:";

  /** One drag message a web view's own handler received. */
  interface RecordedDrag {
    selector: DragSelector;
    /** The web view. */
    view: ViewId;
    /** The drag's window; null for a drag that names none (dropFiles). */
    window: WindowHandle | null;
    location: DragPoint;
    /** The types on the drag pasteboard. */
    types: string[];
    /** Its file paths, when it has any. */
    paths: string[];
    /** What the web view answered. */
    answer: number;
  }

  /**
   * One pasteboard item: its types in order, each with its data (a string is written as
   * UTF-8) or null for a type declared without data.
   */
  type PasteboardItemData = Record<string, string | Buffer | null>;

  /** A pasteboard: "general" (the desktop clipboard when there is one), "find", "drag", or a name. */
  type PasteboardName = "general" | "find" | "drag" | string;

  /**
   * Observes a notification the module posts, with its user info typed.
   * @param name the notification's name.
   * @param observer called for each post.
   * @param options which centre.
   * @returns the observer's id.
   * @category Notifications
   */
  function observe<Name extends keyof ModuleNotifications>(
    name: Name,
    observer: Observer<ModuleNotifications[Name]>,
    options?: CenterOptions,
  ): ObserverId;
  /**
   * Observes other notifications by name, or every notification with null. Integers in the
   * user info beyond 2^53 arrive as bigints, so no digit is lost.
   * @param name the notification's name; null for every name.
   * @param observer called for each post.
   * @param options which centre.
   * @returns the observer's id.
   * @category Notifications
   */
  function observe<Name extends string>(
    name: Exclude<Name, keyof ModuleNotifications> | null,
    observer: Observer,
    options?: CenterOptions,
  ): ObserverId;

  /**
   * Stops an observer; an unknown id does nothing.
   * @param id the observer's id.
   * @returns nothing.
   * @category Notifications
   */
  function removeObserver(id: ObserverId): void;

  /**
   * Posts a notification the module observes, with its user info typed.
   * @param name the notification's name.
   * @param userInfo its user info.
   * @param options which centre.
   * @returns nothing.
   * @category Notifications
   */
  function post<Name extends keyof HostNotifications>(
    name: Name,
    userInfo: HostNotifications[Name],
    options?: CenterOptions,
  ): void;
  /**
   * Posts another notification as the rest of the desktop would; observers on the main
   * thread run before it returns.
   * @param name the notification's name.
   * @param userInfo plain data (bigints for integers beyond 2^53); a value that is not an
   *   object posts none.
   * @param options which centre, and the notification's object.
   * @returns nothing.
   * @category Notifications
   */
  function post<Name extends string>(
    name: Exclude<Name, keyof HostNotifications>,
    userInfo?: JsonObject | null,
    options?: PostOptions,
  ): void;

  /**
   * Opens a window of a class, as the host's framework would, without showing it.
   * @param className the window's class, as "AtomNSWindow" for a browser window.
   * @param title the title.
   * @returns the new window's handle.
   * @category Windows
   */
  function createWindow(className: string, title?: string): WindowHandle;

  /**
   * Opens a window of a class and, unless `visible` is false, shows it in front and makes it
   * key (and main, unless it is a panel), as a host shows its windows.
   * @param className the window's class, as "AtomNSWindow" for a browser window.
   * @param options the window's title, class and delegate, frame and kind.
   * @returns the new window's handle.
   * @category Windows
   */
  function createWindow(className: string, options: WindowOptions): WindowHandle;

  /**
   * Shows a window in front and makes it key, as the host does when it focuses one.
   * @param window the window.
   * @returns false when the handle designates no window.
   * @category Windows
   */
  function showWindow(window: WindowHandle): boolean;

  /**
   * Clicks a window: the application becomes active and the window key (and main, unless it
   * is a panel).
   * @param window the window.
   * @param event the click's modifiers and location.
   * @returns false when the handle designates no window.
   * @category Windows
   */
  function clickWindow(window: WindowHandle, event?: EventDescription): boolean;

  /**
   * Miniaturises a window: it leaves the screen; when it was key or main the front-most
   * other window takes over.
   * @param window the window.
   * @returns false when the handle designates no window.
   * @category Windows
   */
  function miniaturizeWindow(window: WindowHandle): boolean;

  /**
   * What a window shows and holds now.
   * @param window the window.
   * @returns its state, or null when the handle designates no window.
   * @category Windows
   */
  function windowState(window: WindowHandle): WindowState | null;

  /**
   * The windows on screen.
   * @returns their handles, front first.
   * @category Windows
   */
  function orderedWindows(): WindowHandle[];

  /**
   * The key window: the one taking the keyboard.
   * @returns its handle; null when there is none or the application is hidden or inactive.
   * @category Windows
   */
  function keyWindow(): WindowHandle | null;

  /**
   * The main window: the front document window (never a panel).
   * @returns its handle; null when there is none or the application is hidden or inactive.
   * @category Windows
   */
  function mainWindow(): WindowHandle | null;

  /**
   * Attaches a sheet (an alert, say) to a window.
   * @param window the window.
   * @param className the sheet's class; "NSPanel" by default.
   * @returns the sheet's id, or null when the handle designates no window.
   * @category Windows
   */
  function beginSheet(window: WindowHandle, className?: string): number | null;

  /**
   * Ends a sheet of a window.
   * @param window the window.
   * @param sheet the id {@link beginSheet} gave.
   * @returns false when the window has no such sheet.
   * @category Windows
   */
  function endSheet(window: WindowHandle, sheet: number): boolean;

  /**
   * The user drags the document icon of a window's title bar; the window's delegate decides
   * and fills the drag pasteboard.
   * @param window the window.
   * @param modifiers the modifier keys held (the drag is the application's current event).
   * @returns whether the drag was allowed and what the drag pasteboard holds; null when the
   * handle designates no window.
   * @category Windows
   */
  function dragTitleBarIcon(window: WindowHandle, modifiers?: ModifierName[] | number): TitleBarDrag | null;

  /**
   * Whether the framework groups windows into tabs on its own (the module turns it off).
   * @returns the flag.
   * @category Windows
   */
  function allowsAutomaticWindowTabbing(): boolean;

  /**
   * A window's toolbar and its items.
   * @param window the window.
   * @returns the toolbar, or null when the window has none (or the handle designates none).
   * @category Toolbars
   */
  function toolbar(window: WindowHandle): ToolbarState | null;

  /**
   * The user clicks a shown toolbar item: "customize" opens the palette, other standard items
   * do nothing, disabled items ignore it; in label mode the item's menu form is validated first.
   * @param window the window.
   * @param item the item's identifier or its index among the shown items.
   * @returns false when there is no such item.
   * @category Toolbars
   */
  function clickToolbarItem(window: WindowHandle, item: string | number): boolean;

  /**
   * The user chooses how the toolbar shows its items.
   * @param window the window.
   * @param mode icons, labels or both.
   * @returns false when the window has no toolbar.
   * @category Toolbars
   */
  function setToolbarDisplayMode(window: WindowHandle, mode: ToolbarDisplayModeName): boolean;

  /**
   * The user's "Customize Toolbar…" command.
   * @param window the window.
   * @returns false when the toolbar does not allow customisation or its palette is open.
   * @category Toolbars
   */
  function openToolbarPalette(window: WindowHandle): boolean;

  /**
   * The user closes the customisation palette.
   * @param window the window.
   * @param identifiers the arrangement left, when the user changed it (unknown ones are skipped).
   * @returns false when no palette was open.
   * @category Toolbars
   */
  function endToolbarPalette(window: WindowHandle, identifiers?: string[]): boolean;

  /**
   * The add-tab button of a window's title bar.
   * @param window the window.
   * @returns its state, or null when the window has none.
   * @category Toolbars
   */
  function addTabButton(window: WindowHandle): AddTabButtonState | null;

  /**
   * The user clicks the shown add-tab button; on an inactive window the first click only
   * activates it.
   * @param window the window.
   * @returns whether the click reached the button.
   * @category Toolbars
   */
  function clickAddTabButton(window: WindowHandle): boolean;

  /**
   * The pointer enters or leaves the shown add-tab button.
   * @param window the window.
   * @param inside whether the pointer is over the button.
   * @returns false when no button shows.
   * @category Toolbars
   */
  function hoverAddTabButton(window: WindowHandle, inside: boolean): boolean;

  /**
   * Draws the add-tab button of a window's title bar as it looks now.
   * @param window the window.
   * @param scale pixels per point, from 1 to 4; 1 by default.
   * @returns PNG bytes, or null when the window has no button.
   * @category Toolbars
   */
  function renderAddTabButton(window: WindowHandle, scale?: number): Buffer | null;

  /**
   * Draws a window's title bar (title, shown accessories) and its toolbar when shown: template
   * images tinted to the appearance, disabled items faded, the selected item on a backdrop.
   * @param window the window.
   * @param scale pixels per point, from 1 to 4; 1 by default.
   * @returns PNG bytes, or null when the handle designates no window.
   * @category Toolbars
   */
  function renderWindow(window: WindowHandle, scale?: number): Buffer | null;

  /**
   * The desktop's periodic check of every window's shown toolbar items.
   * @returns nothing.
   * @category Toolbars
   */
  function updateWindows(): void;

  /**
   * The user presses a key. The event goes through the application's dispatch: local
   * monitors, the module's routing, then the key window's responders (a web view takes
   * every key) and, for command or control keys nobody took, the main menu.
   * @param event the key (by key code or DOM code), modifiers, characters, location, window.
   * @returns what the dispatch did.
   * @category Keyboard and events
   */
  function keyDown(event: EventDescription): DispatchReport;

  /**
   * The user releases a key.
   * @param event the key, modifiers, characters, location and window.
   * @returns what the dispatch did.
   * @category Keyboard and events
   */
  function keyUp(event: EventDescription): DispatchReport;

  /**
   * The modifier keys change.
   * @param event the modifier key pressed or released and the modifiers held now.
   * @returns what the dispatch did.
   * @category Keyboard and events
   */
  function flagsChanged(event: EventDescription): DispatchReport;

  /**
   * A mouse event by its type number (1 left down, 2 left up, 3 right down, 4 right up,
   * 5 moved, 6 left dragged, 7 right dragged, 22 scroll, 25 other down, 26 other up).
   * @param type the event type.
   * @param event its modifiers, location and window.
   * @returns what the dispatch did.
   * @category Keyboard and events
   */
  function mouseEvent(type: number, event?: EventDescription): DispatchReport;

  /**
   * What a host does with a key its page left: a copy at (0, 0) is offered to the main
   * menu's key equivalents.
   * @param event the key to copy; the application's current event by default.
   * @returns whether the menu handled it, and which item fired.
   * @category Keyboard and events
   */
  function resendUnhandledKey(event?: EventDescription): DispatchReport & { handled: boolean };

  /**
   * The keys a window's web views took since the last call for that window.
   * @param window the window.
   * @returns the keys, oldest first.
   * @category Keyboard and events
   */
  function webViewKeys(window: WindowHandle): WebViewKey[];

  /**
   * The layout keys are typed on from now on (an XKB layout and variant, as "us" and
   * "dvorak"); null goes back to the system's (XKB_DEFAULT_LAYOUT, /etc/default/keyboard,
   * else "us").
   * @param layout the layout, or null.
   * @param variant the variant.
   * @returns false when there is no such layout (nothing changes).
   * @category Keyboard and events
   */
  function setKeyboardLayout(layout: string | null, variant?: string): boolean;

  /**
   * The layout keys are typed on now.
   * @returns the layout and variant.
   * @category Keyboard and events
   */
  function keyboardLayout(): { layout: string; variant: string };

  /** A key with modifiers, as events describe them, for system-wide hot keys. */
  interface HotKeyCombination {
    keyCode?: number;
    code?: string;
    modifiers?: ModifierName[] | number;
  }

  /**
   * The user presses a combination anywhere on the desktop (the in-process path beside X11
   * key grabs); a registered hot key's action runs on the main queue.
   * @param combination the key and modifiers.
   * @returns whether one of the process's hot keys fired.
   * @category Global hot keys
   */
  function pressGlobalKey(combination: HotKeyCombination): boolean;

  /**
   * Combinations other programs hold: registering one of them is refused and recording
   * reports it as "used-system-wide".
   * @param combinations the list (empty for none).
   * @returns nothing.
   * @category Global hot keys
   */
  function setHotKeysTakenElsewhere(combinations: HotKeyCombination[]): void;

  /**
   * The desktop's own shortcuts, as the system lists them; null when the list cannot be read.
   * A disabled entry takes nothing.
   * @param list the entries, each enabled unless `enabled` is false.
   * @returns nothing.
   * @category Global hot keys
   */
  function setSystemHotKeys(list: (HotKeyCombination & { enabled?: boolean })[] | null): void;

  /**
   * The process's registered hot keys.
   * @returns each with its key code, hot-key modifier bits (command 0x100, shift 0x200,
   * option 0x800, control 0x1000), signature and number.
   * @category Global hot keys
   */
  function registeredHotKeys(): { keyCode: number; modifiers: number; signature: number; id: number }[];

  /**
   * What serves the hot keys.
   * @returns "x11" (key grabs on the X display) or "in-process" (pressGlobalKey only).
   * @category Global hot keys
   */
  function hotKeyBackend(): "x11" | "in-process";

  /**
   * Hides the application: key and main resign until it is unhidden.
   * @returns nothing.
   * @category Keyboard and events
   */
  function hideApplication(): void;

  /**
   * Unhides the application: key and main come back.
   * @returns nothing.
   * @category Keyboard and events
   */
  function unhideApplication(): void;

  /**
   * The application becomes active ("ApplicationDidBecomeActiveNotification").
   * @param event the event that activates it (a click), the current event then.
   * @returns nothing.
   * @category Keyboard and events
   */
  function activateApplication(event?: EventDescription): void;

  /**
   * The application goes inactive: key and main resign until it is active again.
   * @returns nothing.
   * @category Keyboard and events
   */
  function deactivateApplication(): void;

  /**
   * The application's state.
   * @returns whether it is hidden and active and has a current event.
   * @category Keyboard and events
   */
  function applicationState(): { hidden: boolean; active: boolean; hasCurrentEvent: boolean };

  /**
   * Asks the application object "zqPasteIfPossible", as the host's paste command does.
   * @returns its answer; null when the application has no such method.
   * @category Keyboard and events
   */
  function pasteIfPossible(): boolean | null;

  /**
   * Closes a window; observers of "WindowWillCloseNotification" see it go.
   * @param window the window.
   * @returns false when the handle designates no window.
   * @category Windows
   */
  function closeWindow(window: WindowHandle): boolean;

  /**
   * The open windows.
   * @returns the windows, in the order they were opened.
   * @category Windows
   */
  function windows(): WindowInfo[];

  /**
   * Runs the queued main-queue work and the due timers now.
   * @returns how many ran.
   * @category Main queue and clock
   */
  function drainMainQueue(): number;

  /**
   * Moves the platform clock forward and fires the timers now due.
   * @param seconds how far; finite and not negative.
   * @returns the clock afterwards.
   * @category Main queue and clock
   */
  function advanceClock(seconds: number): number;

  /**
   * Waits until the background queue (clips, previews, image work) has nothing queued or
   * running, then runs the main-queue work it left behind. Blocks the calling thread.
   * @param seconds the longest wait, from 0 to 600.
   * @returns false when work was still running at the end.
   * @category Main queue and clock
   */
  function waitForBackgroundWork(seconds: number): boolean;

  /**
   * The platform clock.
   * @returns seconds since the Unix epoch.
   * @category Main queue and clock
   */
  function now(): number;

  /**
   * The number of timers waiting on the main queue.
   * @returns the count.
   * @category Main queue and clock
   */
  function pendingTimers(): number;

  /**
   * Makes another bundle directory the main bundle (also `VELQUARIN_BUNDLE_PATH`).
   * @param path the bundle directory.
   * @returns nothing.
   * @category Main bundle
   */
  function setMainBundlePath(path: string): void;

  /**
   * The main bundle's directory.
   * @returns the path.
   * @category Main bundle
   */
  function mainBundlePath(): string;

  /** The desktop's light or dark appearance. */
  type AppearanceName = 'light' | 'dark';

  /**
   * Switches the desktop's appearance; observers of the distributed centre see
   * "AppleInterfaceThemeChangedNotification" when it changes.
   * @param name the new appearance.
   * @returns nothing.
   * @category Appearance and system
   */
  function setAppearance(name: AppearanceName): void;

  /**
   * The current appearance.
   * @returns 'light' or 'dark'.
   * @category Appearance and system
   */
  function appearance(): AppearanceName;

  /**
   * Reads the desktop's colour-scheme preference again.
   * @returns the appearance it gives.
   * @category Appearance and system
   */
  function reloadAppearance(): AppearanceName;

  /**
   * Pins the system version the module sees; null returns to the operating system's.
   * @param version a dotted version string, or null.
   * @returns nothing.
   * @category Appearance and system
   */
  function setSystemVersion(version: string | null): void;

  /** The updater as the user sees it. */
  interface UpdaterState {
    /** The window shown: none, a check in progress, an offered update, no update, an error. */
    window: 'none' | 'checking' | 'updateAvailable' | 'upToDate' | 'error';
    /** Whether a feed request is being prepared or loading. */
    checking: boolean;
    /** The automatic-checks flag, as kept in the user defaults. */
    automaticallyChecks: boolean;
    /** Seconds between automatic checks. */
    interval: number;
    /** Why the last check failed; empty before any failure. */
    lastError: string;
    /** The last feed request's URL with its parameters. */
    lastRequestURL: string;
    /** The version (build number) of the update offered, or null. */
    update: string | null;
  }

  /**
   * The updater's window, the update it offers and its last request.
   * @returns the state.
   * @category Updates
   */
  function updaterState(): UpdaterState;

  /**
   * Presses a button of the updater's window: "install" or "later" when an update is offered,
   * "ok" for the up-to-date and error windows. Installing downloads nothing: it records a
   * marker, ends the process with status 0, and the next process reports the relaunch.
   * @param choice the button.
   * @returns false when the window shown has no such button.
   * @category Updates
   */
  function answerUpdater(choice: 'install' | 'later' | 'ok'): boolean;

  /** The support and feedback window and the message prepared in it. */
  interface SupportWindowState {
    /** The window's handle, as window notifications carry it. */
    handle: Buffer;
    title: string;
    /** Whether it is the main window. */
    main: boolean;
    /** The support service's host and form, from the build's configuration. */
    apiHost: string;
    formIdentifier: string;
    productName: string;
    threadId: string | null;
    body: string | null;
    /** The message's metadata; null when none was given. */
    metaData: unknown;
    /** The subjects offered, in order. */
    subjects: Array<'problem' | 'featureRequest' | 'other'>;
    /** The attached files' paths, in order. */
    attachments: string[];
    /** The titles of the attachment menu's entries. */
    menu: string[];
  }

  /**
   * The open support window and its message.
   * @returns the state, or null when the window is not open.
   * @category Support and feedback
   */
  function supportWindow(): SupportWindowState | null;

  /**
   * The user picks an entry of the support window's attachment menu.
   * @param index the entry's position.
   * @returns false when the window is not open or has no such entry.
   * @category Support and feedback
   */
  function chooseSupportMenuItem(index: number): boolean;

  /**
   * The user closes the support window; the next opening makes a new one.
   * @returns nothing.
   * @category Support and feedback
   */
  function closeSupportWindow(): void;

  /** What the user draws on a screenshot: a filled rectangle, or one line of text in it. */
  interface SupportAnnotation {
    /** x, y, width, height in pixels from the lower-left corner. */
    rect: [number, number, number, number];
    /** red, green, blue, alpha from 0 to 1; black when left out. */
    color?: [number, number, number, number];
    text?: string;
  }

  /** An open annotation editor. */
  interface ImageEditorInfo {
    id: number;
    title: string;
    width: number;
    height: number;
    /** How many annotations are drawn. */
    annotations: number;
  }

  /**
   * The open annotation editors, oldest first.
   * @returns the editors.
   * @category Support and feedback
   */
  function imageEditors(): ImageEditorInfo[];

  /**
   * The user renames the screenshot and draws on it.
   * @param id the editor.
   * @param edits a new title, and annotations added to those drawn.
   * @returns false for an unknown editor or a malformed annotation.
   * @category Support and feedback
   */
  function editImage(id: number, edits: { title?: string; annotations?: SupportAnnotation[] }): boolean;

  /**
   * The user saves or cancels an annotation editor.
   * @param id the editor.
   * @param save whether the edited screenshot is kept.
   * @returns false for an unknown editor.
   * @category Support and feedback
   */
  function finishImageEditor(id: number, save: boolean): boolean;

  /**
   * The user ends a screen capture: a screenshot of an X display's root window or from an
   * image file (an editor opens), a recording file (passed on as it is), or nothing.
   * @param result {screenshot: display name}, {image: path}, {recording: path} or null.
   * @returns false when no capture is open or no image could be had.
   * @category Support and feedback
   */
  function finishScreenCapture(
    result: { screenshot: string } | { image: string } | { recording: string } | null,
  ): boolean;

  /**
   * The system version the module sees.
   * @returns the version string.
   * @category Appearance and system
   */
  function systemVersion(): string;

  /** An error presented to the user. */
  interface PresentedAlert {
    /** The alert's message. */
    message: string;
    /** Its informative text. */
    details: string;
    /** "warning", "informational" or "critical". */
    style: string;
    /** Its buttons' titles; the first is the default one. */
    buttons: string[];
  }

  /**
   * The alerts presented to the user so far (the last 64), oldest first; modal ones were
   * answered with their default button at once.
   * @returns the alerts.
   * @category Application
   */
  function presentedAlerts(): PresentedAlert[];

  /**
   * Dismisses every presented alert.
   * @returns nothing.
   * @category Application
   */
  function clearPresentedAlerts(): void;

  /**
   * Replaces what happens when the application terminates: `handler` is called on the main
   * thread with the exit status instead of the process exiting; null restores exiting.
   * @param handler the replacement, or null.
   * @returns nothing.
   * @category Application
   */
  function setTerminateHandler(handler: ((status: number) => void) | null): void;

  /** A log level as the log file writes it. */
  type LogLevelName = 'error' | 'warning' | 'info' | 'debug' | 'verbose';

  /**
   * Logs a line as if the module had logged it at that place.
   * @param level the line's level.
   * @param file the source file (path below src/, no extension).
   * @param functionName the function.
   * @param line the line number.
   * @param text the message.
   * @returns nothing.
   * @category Logging
   */
  function log(level: LogLevelName, file: string, functionName: string, line: number, text: string): void;

  /**
   * Waits until every line logged so far is written.
   * @returns true once they are.
   * @category Logging
   */
  function flushLogs(): boolean;

  /**
   * The folder of the log files.
   * @returns its path, or null before logging is set up.
   * @category Logging
   */
  function logFolder(): string | null;

  /**
   * The log file being written.
   * @returns its path, or null when none is open.
   * @category Logging
   */
  function logFile(): string | null;

  /** Which defaults domain: the application's own (default) or the global one. */
  interface DefaultsOptions {
    /** 'global' for the global domain. */
    domain?: 'application' | 'global';
  }

  /** A value of the defaults store as JavaScript sees it (data as Buffer, dates as Date). */
  type DefaultsValue =
    | boolean | number | string | Buffer | Date | DefaultsValue[] | { [key: string]: DefaultsValue };

  /**
   * The stored value of a key, as other code of the application wrote it.
   * @param key the key.
   * @param options the domain.
   * @returns the value, or undefined when absent.
   * @category User defaults
   */
  function defaultsRead(key: string, options?: DefaultsOptions): DefaultsValue | undefined;

  /**
   * Stores a value as other code of the application would; null or undefined removes the key.
   * @param key the key.
   * @param value the value.
   * @param options the domain, and for numbers whether to store an 'integer' or a 'real'.
   * @returns nothing.
   * @category User defaults
   */
  function defaultsWrite(
    key: string,
    value: DefaultsValue | null | undefined,
    options?: DefaultsOptions & { type?: 'integer' | 'real' },
  ): void;

  /**
   * Removes a key.
   * @param key the key.
   * @param options the domain.
   * @returns nothing.
   * @category User defaults
   */
  function defaultsRemove(key: string, options?: DefaultsOptions): void;

  /**
   * Writes pending changes now.
   * @param options the domain.
   * @returns false when they stay pending.
   * @category User defaults
   */
  function defaultsSynchronize(options?: DefaultsOptions): boolean;

  /**
   * Every key and value of a domain.
   * @param options the domain.
   * @returns the dictionary.
   * @category User defaults
   */
  function defaultsDictionary(options?: DefaultsOptions): { [key: string]: DefaultsValue };

  /**
   * Whether changes wait to be written.
   * @param options the domain.
   * @returns true when some do.
   * @category User defaults
   */
  function defaultsHasPendingChanges(options?: DefaultsOptions): boolean;

  /**
   * The domain's property-list file.
   * @param options the domain.
   * @returns its path.
   * @category User defaults
   */
  function defaultsPath(options?: DefaultsOptions): string;

  /** A login item of the session. */
  interface LoginItem {
    /** Its autostart file. */
    file: string;
    /** Its display name. */
    name: string;
    /** The application location it names. */
    location: string;
  }

  /**
   * The session's autostart folder.
   * @returns its path, or null when there is none.
   * @category Start at login
   */
  function loginItemsFolder(): string | null;

  /**
   * The session's login items in list order.
   * @returns the items, or null when the list cannot be opened.
   * @category Start at login
   */
  function loginItems(): LoginItem[] | null;

  /** A save sheet as the user sees it. */
  interface SavePanelInfo {
    /** The folder it shows. */
    directory: string;
    /** The proposed file name. */
    filename: string;
  }

  /**
   * The save sheet open on a window.
   * @param window the window.
   * @returns the sheet, or null when the window shows none.
   * @category Dialogs and screen
   */
  function savePanel(window: WindowHandle): SavePanelInfo | null;

  /**
   * Ends a window's save sheet as the user would: saves to `path` (a bare name lands in the
   * sheet's folder) or cancels when there is none.
   * @param window the window.
   * @param path the chosen path, or nothing to cancel.
   * @returns false when the window shows no save sheet.
   * @category Dialogs and screen
   */
  function endSavePanel(window: WindowHandle, path?: string): boolean;

  /** The shared Quick Look panel as the user sees it. */
  interface QuickLookPanelInfo {
    /** The window whose controller drives it. */
    window: WindowHandle;
    /** How many files it has. */
    items: number;
    /** The index of the file shown. */
    index: number;
    /** The file shown, or null when it has none. */
    path: string | null;
  }

  /**
   * The Quick Look panel.
   * @returns the panel, or null when it is closed.
   * @category Previews, sharing and printing
   */
  function quickLookPanel(): QuickLookPanelInfo | null;

  /**
   * A key event in the Quick Look panel: its controller sees it first (arrows on key up),
   * then Escape (key down, 53) closes the panel.
   * @param keyCode the key code (125 down arrow, 126 up arrow).
   * @param eventType 10 key down, 11 key up.
   * @returns whether it was handled.
   * @category Previews, sharing and printing
   */
  function quickLookKey(keyCode: number, eventType: number): boolean;

  /**
   * Closes the Quick Look panel, ending its controller's control.
   * @returns nothing.
   * @category Previews, sharing and printing
   */
  function closeQuickLookPanel(): void;

  /**
   * The picture of the file the Quick Look panel shows.
   * @param size the largest side in pixels, 1 to 4096.
   * @returns PNG bytes, or null when nothing is shown.
   * @category Previews, sharing and printing
   */
  function quickLookPanelImage(size: number): Buffer | null;

  /**
   * How long a thumbnail program (the PDF and SVG renderer, an installed thumbnailer) may run
   * before it is killed and the file's icon is used; 10 seconds unless set.
   * @param seconds more than 0, at most 3600.
   * @returns nothing.
   * @category Previews, sharing and printing
   */
  function setPreviewTimeLimit(seconds: number): void;

  /** A sharing service the picker offers. */
  interface SharingServiceInfo {
    /** "open-with:<application id>" or "show-in-folder". */
    id: string;
    /** What the user reads. */
    title: string;
  }

  /** The sharing picker as the user sees it. */
  interface SharingPickerInfo {
    window: WindowHandle;
    /** The files shared. */
    items: string[];
    services: SharingServiceInfo[];
    /** The anchor in the window's content view (zero size). */
    anchor: { x: number; y: number; width: number; height: number };
    /** The preferred edge: 0 min X, 1 min Y, 2 max X, 3 max Y. */
    edge: number;
  }

  /**
   * The sharing picker shown.
   * @returns the picker, or null when none is shown.
   * @category Previews, sharing and printing
   */
  function sharingPicker(): SharingPickerInfo | null;

  /**
   * Chooses a service of the sharing picker as the user would, or dismisses it.
   * @param id a service id of the picker, or null to dismiss.
   * @returns ok, or the reason it failed.
   * @category Previews, sharing and printing
   */
  function chooseSharingService(id: string | null): { ok: boolean; error?: string };

  /** The print panel as the user sees it. */
  interface PrintPanelInfo {
    /** The file to print. */
    path: string;
    /** The print server's queues. */
    printers: string[];
    defaultPrinter: string | null;
    selectedPrinter: string | null;
  }

  /** A print job sent to the print server. */
  interface PrintJobInfo {
    /** The server's job id; 0 when it refused the job. */
    id: number;
    printer: string;
    path: string;
    title: string;
    copies: number;
    /** Why it was refused, or null. */
    error: string | null;
  }

  /**
   * The print panel shown.
   * @returns the panel, or null when none is shown.
   * @category Previews, sharing and printing
   */
  function printPanel(): PrintPanelInfo | null;

  /**
   * Ends the print panel as the user would: prints on a listed printer (sent in the
   * background; see printJobs) or cancels.
   * @param printer a listed printer, or null to cancel.
   * @param options copies, 1 to 999 (1 unless given).
   * @returns false when no panel is shown or the printer or copies are not acceptable.
   * @category Previews, sharing and printing
   */
  function endPrintPanel(printer: string | null, options?: { copies?: number }): boolean;

  /**
   * The jobs sent from print panels so far, in the order the server answered.
   * @returns the jobs.
   * @category Previews, sharing and printing
   */
  function printJobs(): PrintJobInfo[];

  /**
   * Sets the main screen's pixels per point, from 1 to 16; when it changes, each open window
   * posts "WindowDidChangeBackingPropertiesNotification".
   * @param factor the scale factor.
   * @returns nothing.
   * @category Dialogs and screen
   */
  function setBackingScaleFactor(factor: number): void;

  /**
   * The main screen's pixels per point.
   * @returns the scale factor.
   * @category Dialogs and screen
   */
  function backingScaleFactor(): number;

  /**
   * Sets the main screen's area, where windows are centred; 1920 x 1080 at the origin until set.
   * @param frame the area; width and height from 1 to 100000.
   * @returns nothing.
   * @category Dialogs and screen
   */
  function setMainScreenFrame(frame: Frame): void;

  /**
   * The main screen's area.
   * @returns the area in points.
   * @category Dialogs and screen
   */
  function mainScreenFrame(): Frame;

  /**
   * Makes every file write of the platform fail with an error number, as a failing disk
   * would (28 is a full disk); null restores normal writing.
   * @param code the error number, or null.
   * @returns nothing.
   * @category Dialogs and screen
   */
  function simulateWriteFailure(code: number | null): void;

  /**
   * How long the module waits for the credential store before a call fails with a status.
   * @param seconds the limit in seconds.
   * @returns the previous limit.
   * @category Credential store
   */
  function setKeychainTimeout(seconds: number): number;

  /**
   * Transfers started whose last event has not been delivered yet.
   * @returns the count.
   * @category Network
   */
  function httpTransfersInFlight(): number;

  /**
   * Receive buffers kept for the next transfers; none once no transfer has run for a second.
   * @returns the count.
   * @category Network
   */
  function httpReceiveBuffersKept(): number;

  /**
   * Caps every response body at a size, so the too-large path can be reached without
   * gigabytes of data; null removes the cap.
   * @param bytes the largest body, or null.
   * @returns nothing.
   * @category Network
   */
  function setHTTPMaximumBodySize(bytes: number | null): void;

  /**
   * Makes every response body block larger than a size fail to allocate, as when memory runs
   * out while receiving; null lifts it.
   * @param bytes the largest block that can still be allocated, or null.
   * @returns nothing.
   * @category Network
   */
  function failHTTPBodyAllocationsAbove(bytes: number | null): void;

  /**
   * The reachability flag word of the general-internet target now.
   * @returns the flags, or null when the kernel cannot be asked.
   * @category Network
   */
  function reachabilityFlags(): number | null;

  /**
   * How many targets listen to the kernel's change messages.
   * @returns the count.
   * @category Network
   */
  function reachabilityMonitors(): number;

  /** An item of the menu bar's status area. */
  interface StatusItemInfo {
    /** The text beside the icon; null for none. */
    title: string | null;
    /** Its width in points. */
    length: number;
    /** The icon as PNG bytes; null for none. */
    image: Buffer | null;
    /** A template icon is shown in the menu bar's text colour, only its shape counts. */
    imageIsTemplate: boolean;
    /** Whether the item highlights while its menu is open. */
    highlightMode: boolean;
    /** Highlighted now (its menu is open). */
    highlighted: boolean;
    /** Whether it has a menu. */
    hasMenu: boolean;
  }

  /** An entry of an open menu. */
  interface MenuItemInfo {
    /** The text shown (the attributed title's text when there is one). */
    title: string;
    /** A separator line. */
    separator: boolean;
    /** Whether it can be chosen. */
    enabled: boolean;
    /** Whether it shows a check mark. */
    checked: boolean;
    /** The check state. */
    state: "on" | "off" | "mixed";
    /** The action name sent when chosen ("" for none). */
    action: string;
    /** Whether its target is still alive. */
    hasTarget: boolean;
    /** The tool tip ("" for none). */
    toolTip: string;
    /** The font size of its title in points. */
    fontSize: number;
    /** Its key equivalent ("" for none). */
    keyEquivalent: string;
    /** The modifiers its key equivalent needs, by bit: shift 1 << 17, control 1 << 18, option 1 << 19, command 1 << 20. */
    modifierMask: number;
    /** A hidden item is not shown (its key equivalent still works). */
    hidden: boolean;
    /** Its tag. */
    tag: number;
    /** Its image as PNG bytes; null for none. */
    image: Buffer | null;
    /** The value it carries, as the module gave it; integers beyond 2^53 as bigints. */
    representedObject: unknown;
    /** Its submenu's entries; null for none. */
    submenu: MenuItemInfo[] | null;
  }

  /**
   * The items of the menu bar's status area, left to right.
   * @returns the items.
   * @category Menus and status bar
   */
  function statusItems(): StatusItemInfo[];

  /**
   * Clicks a status item: its menu is filled (the module asks the host for the content) and
   * shown. Another menu that is open closes first.
   * @param index the item's place in {@link statusItems}; 0 by default.
   * @returns false when there is no such item or menu, or the item left the bar while its
   *   menu was being filled.
   * @category Menus and status bar
   */
  function openStatusItemMenu(index?: number): boolean;

  /**
   * The entries of the open status menu.
   * @returns the entries, or null when no menu is open.
   * @category Menus and status bar
   */
  function statusMenuItems(): MenuItemInfo[] | null;

  /**
   * Picks an entry of the open menu as the user would: the menu closes, then the entry's
   * action runs.
   * @param index the entry's place, or a path of places into submenus.
   * @returns false when there is no such enabled entry with an action.
   * @category Menus and status bar
   */
  function chooseStatusMenuItem(index: number | number[]): boolean;

  /**
   * Dismisses the open menu, if any.
   * @returns nothing.
   * @category Menus and status bar
   */
  function closeStatusItemMenu(): void;

  /**
   * Draws the status area and the open menu as a person would see them.
   * @param scale pixels per point, from 1 to 4; 1 by default.
   * @returns PNG bytes.
   * @category Menus and status bar
   */
  function renderStatusBar(scale?: number): Buffer;

  /** How the status item stands on the desktop's panel (StatusNotifierItem). */
  interface TrayState {
    /** Connected to the session bus. */
    connected: boolean;
    /** The status bar holds an item, which is offered on the bus. */
    shown: boolean;
    /** The StatusNotifierWatcher accepted the item. */
    registered: boolean;
    /** A watcher is known on the bus. */
    watcher: boolean;
    /** The bus name the item is offered under while it owns one, else null. */
    busName: string | null;
    /** "Active", or "NeedsAttention" while the item shows errors. */
    status: string;
    /** The title as panels show it beside the icon. */
    label: string;
    /** The sizes of the icon pixmaps offered, in pixels. */
    iconSizes: number[];
    /** The menu's layout revision (a new one each time its items change). */
    menuRevision: number;
  }

  /**
   * How the status item stands on the desktop's panel: its registration, bus name, status and
   * icon sizes.
   * @returns the state as it is now.
   * @category Menus and status bar
   */
  function trayState(): TrayState;

  /** An item of a main-menu template, as a host framework builds the application's menu. */
  interface MenuTemplateItem {
    /** Its title; "" by default. */
    title?: string;
    /** A separator line; the other fields are then ignored. */
    separator?: boolean;
    /** Its key equivalent, case kept ("" for none). */
    key?: string;
    /** The modifiers of the key equivalent (bits as in {@link MenuItemInfo.modifierMask}); command by default. */
    modifiers?: number;
    /** Not shown; false by default. */
    hidden?: boolean;
    /** Whether it can be chosen; true by default. */
    enabled?: boolean;
    /** The action reported to the template's onAction when the item is chosen. */
    action?: string;
    /** The value the item carries (the host's {"commandId": n}). */
    representedObject?: unknown;
    /** Its submenu, whose title is the item's. */
    submenu?: MenuTemplateItem[];
  }

  /**
   * Sets the application's main menu from a template, replacing the whole menu, as the host
   * framework does when the host sets its menu.
   * @param template the top-level items, each with a submenu; null removes the main menu.
   * @param onAction told the action, title and represented object of an item with an action
   *   when it is chosen.
   * @returns nothing.
   * @category Main menu and dock
   */
  function setMainMenu(
    template: MenuTemplateItem[] | null,
    onAction?: (action: string, title: string, representedObject: unknown) => void,
  ): void;

  /**
   * The main menu's items, hidden ones included.
   * @returns the top-level items with their submenus; null when there is no main menu.
   * @category Main menu and dock
   */
  function mainMenuItems(): MenuItemInfo[] | null;

  /**
   * Opens a top-level menu of the main menu as the user would (its delegate hears it), and
   * along a path nested submenus too. A menu that is open closes first.
   * @param index the top-level item's place, or a path of places into submenus.
   * @returns false when the path does not lead to submenus.
   * @category Main menu and dock
   */
  function openMainMenu(index: number | number[]): boolean;

  /**
   * Closes the open main-menu menus, innermost first.
   * @returns nothing.
   * @category Main menu and dock
   */
  function closeMainMenu(): void;

  /**
   * Picks a main-menu item as the user would: open menus close, then its action runs.
   * @param path the item's places from the top level, e.g. [0, 2].
   * @returns false for a missing, hidden or disabled item or one without an action.
   * @category Main menu and dock
   */
  function chooseMainMenuItem(path: number | number[]): boolean;

  /**
   * Opens the dock menu: the application delegate is asked for it, as at each opening.
   * @returns its items; null when the delegate offers none.
   * @category Main menu and dock
   */
  function dockMenu(): MenuItemInfo[] | null;

  /**
   * Picks an item of the dock menu opened last; the menu then closes.
   * @param index the item's place.
   * @returns false when there is no open dock menu or no such enabled item with an action.
   * @category Main menu and dock
   */
  function chooseDockMenuItem(index: number): boolean;

  /**
   * Removes the application delegate, as a host framework's child process runs; call it
   * before the module loads.
   * @returns nothing.
   * @category Main menu and dock
   */
  function removeApplicationDelegate(): void;

  /**
   * Launches an action of a desktop entry, as a Linux dock does with its static actions.
   * @param desktopFile the path of the .desktop file.
   * @param action the action's identifier ("compose-new-message").
   * @returns false when the file is not a valid entry or has no such action.
   * @category Main menu and dock
   */
  function launchDesktopAction(desktopFile: string, action: string): boolean;

  /** What a service handler of the application answered. */
  interface ServiceOutcome {
    /** Whether the application has a handler of that name. */
    handled: boolean;
    /** The error text shown to the user; null when the service ran. */
    error: string | null;
  }

  /**
   * Picks one of the application's services as the desktop would: the handler runs on the
   * named pasteboard. Write the selection first ({@link writePasteboard}), read what the
   * handler left afterwards ({@link readPasteboard}).
   * @param message the handler's name: "searchSelection", "mailSelection", "mailDocument" or "mailTo".
   * @param pasteboard the pasteboard's name (a {@link uniquePasteboard}).
   * @returns whether it was handled, and its error text.
   * @category Main menu and dock
   */
  function invokeService(message: string, pasteboard: string): ServiceOutcome;

  /**
   * Registers another application's service under the title the Services menu would list
   * it with, for the module's `performService`.
   * @param title the service's title.
   * @param service called with the name of the pasteboard it is handed; null removes it.
   * @returns nothing.
   * @category Main menu and dock
   */
  function registerService(title: string, service: ((pasteboard: string) => void) | null): void;

  /**
   * How many named pasteboards exist, the standard ones included once made.
   * @returns the count.
   * @category Main menu and dock
   */
  function namedPasteboardCount(): number;

  /** A notification as the user-notification centre holds it. */
  interface UserNotificationInfo {
    /** The key the host and the module find it by. */
    identifier: string | null;
    /** The title (the summary line). */
    title: string | null;
    /** The subtitle. */
    subtitle: string | null;
    /** The body. */
    informativeText: string | null;
    /** The name of the sound played with it. */
    soundName: string | null;
    /** Whether it shows an action button. */
    hasActionButton: boolean;
    /** The action button's title (null: the desktop's default). */
    actionButtonTitle: string | null;
    /** Whether it has a reply field. */
    hasReplyButton: boolean;
    /** The reply field's hint text. */
    responsePlaceholder: string | null;
    /** When it is (scheduled) or was (delivered) delivered, in seconds since the Unix epoch. */
    deliveryDate: number | null;
    /** Whether the application let it be shown. */
    presented: boolean;
    /** How the user last acted on it (0 not at all). */
    activationType: number;
    /** The text of its reply field. */
    response: string | null;
  }

  /**
   * The delivered notifications, oldest first.
   * @returns the notifications.
   * @category User notifications
   */
  function deliveredUserNotifications(): UserNotificationInfo[];

  /**
   * The notifications waiting for their delivery date (the clock delivers them), in
   * scheduling order.
   * @returns the notifications.
   * @category User notifications
   */
  function scheduledUserNotifications(): UserNotificationInfo[];

  /**
   * Acts as the user on a delivered notification.
   * @param identifier the notification's identifier.
   * @param type 1 body clicked, 2 action button, 3 replied, 4 additional action; other
   * int32 values are passed on as they are.
   * @param response the reply text, kept from before when missing.
   * @returns false when no delivered notification has that identifier.
   * @category User notifications
   */
  function activateUserNotification(identifier: string, type: number, response?: string | null): boolean;

  /**
   * Closes a delivered notification's alert as the user would; it leaves the delivered list.
   * @param identifier the notification's identifier.
   * @returns false when no delivered notification has that identifier.
   * @category User notifications
   */
  function dismissUserNotification(identifier: string): boolean;

  /**
   * Types into a delivered notification's reply field as the user would.
   * @param identifier the notification's identifier.
   * @param text the whole text of the field.
   * @returns false when no delivered notification has that identifier.
   * @category User notifications
   */
  function changeUserNotificationResponse(identifier: string, text: string): boolean;

  /**
   * The sound files playing now, in the order they started.
   * @returns their paths.
   * @category Sounds
   */
  function playingSounds(): string[];

  /**
   * How many times the process sounded the system beep (the sound theme's "bell").
   * @returns the count.
   * @category Sounds
   */
  function beepCount(): number;

  /**
   * How a script names an object of the application's scripting model: null for the
   * application; an element of a container by its unique ID or by its index (a missing
   * container is the application).
   */
  type ScriptReference =
    | null
    | { key: string; id: number | bigint; container?: ScriptReference }
    | { key: string; index: number; container?: ScriptReference };

  /**
   * A value of the scripting model: text, a boolean, an integer, null for a missing value,
   * a reference, a list, or (for objects without a reference, such as a signature) a record
   * of their fields. Records may be given where objects of a plain class are expected.
   */
  type ScriptValue = string | boolean | number | bigint | null | ScriptReference | ScriptValue[] | { [key: string]: ScriptValue };

  /**
   * Makes an object as a script would (make new ... at end of ... with properties): every
   * property is checked first, then the object is made, its properties set and it is added
   * through the container's element setter. A refusal throws an Error whose `code` is
   * "InvalidArgs", "UnknownObject" or "NotAllowed"; a refused make takes no id.
   * @param className the class ("OutgoingMessage", "Recipient", "Attachment").
   * @param container the object that gets it; null for the application.
   * @param key the container's element key ("outgoingMessages", "toRecipients", ...).
   * @param properties the new object's properties by key.
   * @returns the new object's reference.
   * @category Scripting
   */
  function scriptMake(className: string, container: ScriptReference, key: string, properties?: { [key: string]: ScriptValue }): ScriptReference;

  /**
   * Reads a property as a script would.
   * @param reference the object.
   * @param key the property's key ("subject", "currentMessageText", ...).
   * @returns its value; null for a missing one and for write-only properties.
   * @category Scripting
   */
  function scriptGet(reference: ScriptReference, key: string): ScriptValue;

  /**
   * Sets a property as a script would; element lists are set whole.
   * @param reference the object.
   * @param key the property's key.
   * @param value the new value.
   * @returns nothing.
   * @category Scripting
   */
  function scriptSet(reference: ScriptReference, key: string, value: ScriptValue): void;

  /**
   * Deletes an element as a script would: its container's element setter gets the list
   * without it.
   * @param reference the element.
   * @returns nothing.
   * @category Scripting
   */
  function scriptDelete(reference: ScriptReference): void;

  /**
   * Sends a class command to an object ("compose" to an outgoing message).
   * @param reference the object.
   * @param name the command.
   * @returns the command's result; null for none.
   * @category Scripting
   */
  function scriptCommand(reference: ScriptReference, name: string): ScriptValue;

  /**
   * Where scripts in other processes reach the application on the session bus.
   * @returns its unique name (null without a bus or before the connection is up), the
   *   bundle identifier while this process owns it as its name (null otherwise) and the
   *   object path.
   * @category Scripting
   */
  function scriptingBusNames(): { unique: string | null; wellKnown: string | null; path: string };

  /**
   * Replaces a pasteboard's contents, as another application would.
   * @param name the pasteboard.
   * @param items the new items.
   * @returns false when the contents could not be published to the desktop clipboard.
   * @category Pasteboard
   */
  function writePasteboard(name: PasteboardName, items: PasteboardItemData[]): boolean;

  /**
   * Reads a pasteboard's items with all their data (from another application's clipboard:
   * every type it offers, each within the time and size limits).
   * @param name the pasteboard.
   * @returns the items; null when another application's contents could not be read at all.
   * @category Pasteboard
   */
  function readPasteboard(name: PasteboardName): PasteboardItemData[] | null;

  /**
   * A pasteboard's types, without reading their data.
   * @param name the pasteboard.
   * @returns the types of every item, first appearance first.
   * @category Pasteboard
   */
  function pasteboardTypes(name: PasteboardName): string[];

  /**
   * Makes a pasteboard with a name no other has.
   * @returns its name.
   * @category Pasteboard
   */
  function uniquePasteboard(): string;

  /**
   * Forgets a named pasteboard; the general, find and drag pasteboards stay.
   * @param name the pasteboard.
   * @returns false when there was none of that name.
   * @category Pasteboard
   */
  function releasePasteboard(name: string): boolean;

  /**
   * Where the general pasteboard lives.
   * @returns "x11" for the desktop clipboard, "memory" for this process only.
   * @category Pasteboard
   */
  function pasteboardBackend(): "x11" | "memory";

  /**
   * Sets the largest data read from another application's clipboard for one type.
   * @param bytes the limit (64 MiB at start).
   * @returns nothing.
   * @category Pasteboard
   */
  function setPasteboardReadLimit(bytes: number): void;

  /**
   * A window's content view, made on first use (800 x 600 points).
   * @param window the window.
   * @returns its id; null when the handle designates no window.
   * @category Views and drags
   */
  function contentView(window: WindowHandle): ViewId | null;

  /**
   * Adds a view of a class (the host framework's web view is "WebContentsViewCocoa", its
   * container "BRYInspectableWebContentsView").
   * @param parent the superview.
   * @param className the view's class.
   * @param frame its frame in the superview.
   * @returns its id; null when there is no such parent.
   * @category Views and drags
   */
  function addView(parent: ViewId, className: string, frame?: Frame): ViewId | null;

  /**
   * Moves and resizes a view.
   * @param view the view.
   * @param frame its new frame.
   * @returns false when there is no such view.
   * @category Views and drags
   */
  function setViewFrame(view: ViewId, frame: Frame): boolean;

  /**
   * Moves a view into another superview.
   * @param view the view.
   * @param parent the new superview.
   * @returns false when either is missing or the move would put a view inside itself.
   * @category Views and drags
   */
  function moveView(view: ViewId, parent: ViewId): boolean;

  /**
   * Makes a view of the window (or the window itself, with null) its first responder.
   * @param window the window.
   * @param view the view, or null.
   * @returns false for no window or a view of another window.
   * @category Views and drags
   */
  function setFirstResponder(window: WindowHandle, view: ViewId | null): boolean;

  /**
   * Starts dragging files or text from another application into a window (ending a drag in
   * progress first): the deepest view under the point that takes drags gets it.
   * @param window the window.
   * @param contents what is dragged.
   * @param point where the pointer enters.
   * @returns the view's answer to draggingEntered: (1 for copy), 0 when no view takes it.
   * @category Views and drags
   */
  function beginDrag(window: WindowHandle, contents: DragContents, point: DragPoint): number;

  /**
   * Moves the drag in progress.
   * @param point the new location.
   * @returns the answer to draggingUpdated:; null when no drag is in progress.
   * @category Views and drags
   */
  function moveDrag(point: DragPoint): number | null;

  /**
   * Drops the drag in progress.
   * @returns the answer to performDragOperation: (non-zero: accepted); null when no drag is in progress.
   * @category Views and drags
   */
  function dropDrag(): number | null;

  /**
   * Takes the drag in progress away.
   * @returns the answer to draggingExited:; null when no drag is in progress.
   * @category Views and drags
   */
  function cancelDrag(): number | null;

  /**
   * The drag messages the web views' own handlers received since the last call.
   * @returns them, oldest first.
   * @category Views and drags
   */
  function takeWebViewDrags(): RecordedDrag[];

  /**
   * Sets what the web views answer to one drag message from now on (1 to all but
   * draggingExited:, which answers 0, at start).
   * @param selector the message.
   * @param answer the answer.
   * @returns nothing.
   * @category Views and drags
   */
  function setWebViewDragAnswer(selector: DragSelector, answer: number): void;

  /**
   * Declares the host framework's web view classes in a process started without them
   * (VELQUARIN_WEB_VIEW_CLASSES=absent).
   * @returns nothing.
   * @category Views and drags
   */
  function declareWebViewClasses(): void;


  /** A person of the address book as read from its card; absent fields are null. */
  interface AddressBookPerson {
    /** The card's UID (without "urn:uuid:"), else its file and position; "mailto:" and the address for a group member known only by its address. */
    identifier: string;
    emails: string[];
    primaryEmail: string | null;
    /** Show-as kind (flags & 7, 1 for a company) and name ordering (flags & 56). */
    flags: number;
    title: string | null;
    firstName: string | null;
    middleName: string | null;
    lastName: string | null;
    suffix: string | null;
    organization: string | null;
    /** The card's file; empty for a member known only by its address. */
    cardFile: string;
  }

  /** A group: a group card, or the cards of one category (identifier "category:" and its name). */
  interface AddressBookGroup {
    identifier: string;
    name: string;
    members: AddressBookPerson[];
    /** The subgroups' identifiers, in member order. */
    subgroups: string[];
    cardFile: string;
  }

  /** The address book as the module reads it. */
  interface AddressBookInfo {
    /** The vCard folder: the default "AddressBookFolder", else $XDG_DATA_HOME/contacts. */
    folder: string;
    people: AddressBookPerson[];
    /** Group cards in file order, then categories in order of first use. */
    groups: AddressBookGroup[];
    /** Card files left out: larger than 16 MiB or unreadable. */
    skippedFiles: string[];
  }

  /** What is selected in the address picker, each kind in selection order. */
  interface AddressPickerSelection {
    /** E-mail values. */
    values?: string[];
    /** People, by identifier. */
    records?: string[];
    /** Groups, by identifier. */
    groups?: string[];
  }

  /** A push button of the address picker. */
  interface AddressPickerButton {
    title: string;
    frame: Frame;
    /** "\r" for Return, "\u0017" for the cancel key, "" for none. */
    keyEquivalent: string;
  }

  /** The address-book picker window. */
  interface AddressPickerInfo {
    handle: WindowHandle;
    visible: boolean;
    key: boolean;
    title: string;
    /** Titled 1, closable 2, resizable 8. */
    styleMask: number;
    /** The content area on the main screen. */
    frame: Frame;
    /** The people picker inside the content area. */
    pickerFrame: Frame;
    /** Edit in Contacts, accept, cancel. */
    buttons: AddressPickerButton[];
    displayedProperty: string;
    allowsGroupSelection: boolean;
    allowsMultipleSelection: boolean;
    /** The people listed: those with e-mail values. */
    people: { identifier: string; emails: string[]; primaryEmail: string | null }[];
    groups: { identifier: string; name: string }[];
    selection: Required<AddressPickerSelection>;
  }

  /**
   * The address book as the module would read it now (the folder is read again only after a change).
   * @returns people, groups and skipped files.
   * @category Address book
   */
  function addressBook(): AddressBookInfo;

  /**
   * Sets the address book's name ordering, used for people whose flags leave it open.
   * @param ordering 16 for last name first, 32 for first name first (the default).
   * @returns nothing.
   * @category Address book
   */
  function setDefaultNameOrdering(ordering: 16 | 32): void;

  /**
   * The address book's name ordering.
   * @returns 16 or 32.
   * @category Address book
   */
  function defaultNameOrdering(): 16 | 32;

  /**
   * The address-book picker window.
   * @returns the window and its content; null before the first pickEmailAddresses.
   * @category Address book
   */
  function addressPicker(): AddressPickerInfo | null;

  /**
   * Replaces the picker's selection as the user would.
   * @param selection values, people and groups; kinds left out are not selected.
   * @returns false (and no change) when an entry is not in the address book.
   * @category Address book
   */
  function selectInAddressPicker(selection: AddressPickerSelection): boolean;

  /**
   * Clicks a button of the shown picker.
   * @param index 0 Edit in Contacts, 1 accept, 2 cancel.
   * @returns false when the picker is hidden or has no such button.
   * @category Address book
   */
  function pressAddressPickerButton(index: number): boolean;

  /**
   * Types a key in the shown picker: "\r" accepts, "\u0017" cancels.
   * @param key the key's characters.
   * @returns false when no button takes the key, as for Escape.
   * @category Address book
   */
  function pressAddressPickerKey(key: string): boolean;

  /**
   * Double-clicks a group in the shown picker: selects it, then accepts.
   * @param identifier the group's identifier.
   * @returns false when the picker is hidden or has no such group.
   * @category Address book
   */
  function doubleClickAddressPickerGroup(identifier: string): boolean;

  /**
   * Double-clicks a name in the shown picker: selects the person and the primary value, then accepts.
   * @param identifier the person's identifier.
   * @returns false when the picker is hidden or has no such person.
   * @category Address book
   */
  function doubleClickAddressPickerName(identifier: string): boolean;

  /**
   * Clicks the picker's close button in the title bar, which cancels.
   * @returns false when the picker is hidden.
   * @category Address book
   */
  function closeAddressPicker(): boolean;

  /**
   * Resizes the picker's content area as the user would; the picker and buttons keep their margins.
   * @param width the new width, from 1 to 100000.
   * @param height the new height, from 1 to 100000.
   * @returns nothing.
   * @category Address book
   */
  function resizeAddressPicker(width: number, height: number): void;

  /** How another application's scripting interface is modelled. */
  interface ScriptableApplicationDescription {
    /** The selectors it answers ("appendText:html:attachment:", "setSourceURL:", ...). */
    selectors: string[];
    /** Selectors it answers by raising an exception, as an old version would. */
    raising?: string[];
  }

  /** A message the module sent to another application's scripting interface. */
  interface ScriptingMessage {
    /** "application", or an object id the application answered with ("<id>/<n>"). */
    receiver: string;
    selector: string;
    /** Its arguments in order; null for an absent one. */
    arguments: unknown[];
  }

  /**
   * Gives another application a scripting interface (Linux has none): it answers only the
   * given selectors, names each object it answers with ("<id>/<n>"; setters and "activate"
   * answer nothing) and records every message. Replaces an earlier registration and its
   * messages. Without one the application has no scripting interface.
   * @param id the application's bundle identifier.
   * @param description its selectors.
   * @returns nothing.
   * @category Hand-off to other applications
   */
  function registerScriptableApplication(id: string, description: ScriptableApplicationDescription): void;

  /**
   * Takes an application's scripting interface away.
   * @param id the application's bundle identifier.
   * @returns false when it had none.
   * @category Hand-off to other applications
   */
  function unregisterScriptableApplication(id: string): boolean;

  /**
   * The messages sent to an application's scripting interface (the newest 1024), in order.
   * @param id the application's bundle identifier.
   * @returns the messages; [] for an application without one.
   * @category Hand-off to other applications
   */
  function scriptingMessages(id: string): ScriptingMessage[];

  /** A request to open URLs or files with another application. */
  interface WorkspaceHandOff {
    /** The application asked for (bundle identifier or desktop entry); "" for the default handler. */
    application: string;
    /** The URLs, or the paths of files and folders. */
    items: string[];
    /** The launch options asked for (512 without activation, 0x10000 asynchronous). */
    launchOptions: number;
    /** Whether the caller asked to step back for the application. */
    deactivate: boolean;
    /** Whether GIO started the application. */
    opened: boolean;
    /** GIO's message when it did not; "" otherwise. */
    error: string;
  }

  /**
   * The workspace's hand-offs to other applications (the last 64), oldest first.
   * @returns the hand-offs.
   * @category Hand-off to other applications
   */
  function workspaceHandOffs(): WorkspaceHandOff[];

  /**
   * Forgets the recorded hand-offs.
   * @returns nothing.
   * @category Hand-off to other applications
   */
  function clearWorkspaceHandOffs(): void;

  /** The answer to an event sent with {@link sendAppleEvent}. */
  interface AppleEventOutcome {
    /** Whether a handler was registered for the event. */
    handled: boolean;
    /** The reply's direct-object list of strings; null when there is none. */
    reply: string[] | null;
  }

  /**
   * Sends the application an event as another application would (the same events arrive on
   * the session bus: io.velquarin.AppleEvents1.Send(uu) -> as on the application's object).
   * @param eventClass four characters ("Tmng") or a 32-bit number (0x546D6E67).
   * @param eventID four characters ("Gpat") or a 32-bit number.
   * @returns whether it was handled, and the reply.
   * @category Hand-off to other applications
   */
  function sendAppleEvent(eventClass: string | number, eventID: string | number): AppleEventOutcome;
}

export = VelquarinPlatform;
