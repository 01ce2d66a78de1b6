#pragma once

#include <napi.h>

#include "Utilities/ZqArgs.h"

// Each exported function checks its argument contract in its entry, then hands the call to
// its subsystem here. One block per subsystem; each is defined in the file named above it.

namespace zq::exports {

// Current page state: src/AppleScript/CurrentStateExports.cc
Napi::Value loadFScript(const ZqArgs& args);
Napi::Value setCurrentURL(const ZqArgs& args);
Napi::Value setCurrentStateCallbackFunction(const ZqArgs& args);

// Application environment: src/Extensions/EnvironmentExports.cc
Napi::Value getBundlePath(const ZqArgs& args);
Napi::Value getPreferredLanguages(const ZqArgs& args);
Napi::Value bundleId(const ZqArgs& args);
Napi::Value getBuildNumber(const ZqArgs& args);
Napi::Value isDarkMode(const ZqArgs& args);
Napi::Value isRosetta(const ZqArgs& args);
Napi::Value macOSVersion(const ZqArgs& args);
Napi::Value convertToPosixPath(const ZqArgs& args);

// Credential store: src/Keychain/KeychainExports.cc
Napi::Value getPasswordForAccount(const ZqArgs& args);
Napi::Value setPasswordForAccount(const ZqArgs& args);
Napi::Value removePasswordForAccount(const ZqArgs& args);
Napi::Value removeAllPasswords(const ZqArgs& args);

// User notifications: src/Notifications/UserNotificationExports.cc
Napi::Value deliverUserNotification(const ZqArgs& args);
Napi::Value removeUserNotifications(const ZqArgs& args);
Napi::Value removeUserNotification(const ZqArgs& args);
Napi::Value setNotificationCallbackFunction(const ZqArgs& args);

// Sounds: src/Notifications/SoundExports.cc
Napi::Value getSoundNames(const ZqArgs& args);
Napi::Value playSoundWithName(const ZqArgs& args);

// Window utilities: src/Window/WindowExports.cc
Napi::Value reenableWindowUpdates(const ZqArgs& args);
Napi::Value setWindowNotificationCallbackFunction(const ZqArgs& args);
Napi::Value hasMainWindow(const ZqArgs& args);
Napi::Value hasKeyWindow(const ZqArgs& args);
Napi::Value hasSheets(const ZqArgs& args);
Napi::Value closeMainWindow(const ZqArgs& args);
Napi::Value closeKeyWindow(const ZqArgs& args);
Napi::Value hideWindowContent(const ZqArgs& args);
Napi::Value setQueryWindowTraitCallbackFunction(const ZqArgs& args);

// Main menu: src/Menu/MenuExports.cc
Napi::Value updateMainMenuMenuItem(const ZqArgs& args);
Napi::Value updateMainMenuMenuItemWithCommandId(const ZqArgs& args);
Napi::Value setupMenuWillShowNotification(const ZqArgs& args);

// Images: src/Extensions/ImageExports.cc
Napi::Value isWebImagePath(const ZqArgs& args);
Napi::Value scaleImage(const ZqArgs& args);

// Pasteboard: src/Pasteboard/PasteboardExports.cc
Napi::Value saveGeneralPasteboard(const ZqArgs& args);
Napi::Value restoreGeneralPasteboard(const ZqArgs& args);
Napi::Value writeFileContentsToGeneralPasteboard(const ZqArgs& args);
Napi::Value getValueOfPasteboardType(const ZqArgs& args);
Napi::Value doesPasteboardContainImage(const ZqArgs& args);
Napi::Value imageFromPasteboard(const ZqArgs& args);
Napi::Value getFindStringFromPasteboard(const ZqArgs& args);
Napi::Value setFindStringToPasteboard(const ZqArgs& args);

// Drag and drop: src/WebView/DragAndDropExports.cc
Napi::Value dropFiles(const ZqArgs& args);
Napi::Value setDragAndDropCallbackFunction(const ZqArgs& args);

// Keyboard event routing: src/Application/KeyboardExports.cc
Napi::Value setKeyboardModifierKeysCallbackFunction(const ZqArgs& args);
Napi::Value modifierKeys(const ZqArgs& args);
Napi::Value isAppHidden(const ZqArgs& args);

// Support and feedback: src/Replies/SupportExports.cc
Napi::Value openSupportAndFeedbackWindow(const ZqArgs& args);
Napi::Value attachFilesToSupportAndFeedbackWindow(const ZqArgs& args);
Napi::Value annotateImage(const ZqArgs& args);
Napi::Value takeScreenRecording(const ZqArgs& args);

// Crash reporting and release: src/Logging/CrashReporterExports.cc
Napi::Value setupCrashReporter(const ZqArgs& args);
Napi::Value testCrash(const ZqArgs& args);
Napi::Value getReleaseString(const ZqArgs& args);

// Update checks: src/Application/UpdatesExports.cc
Napi::Value checkForUpdates(const ZqArgs& args);
Napi::Value setAppcastParameterCallback(const ZqArgs& args);
Napi::Value fetchAppcast(const ZqArgs& args);

// Applications and file types: src/Workspace/ApplicationsExports.cc
Napi::Value applicationsForFileExtension(const ZqArgs& args);
Napi::Value applicationsForScheme(const ZqArgs& args);
Napi::Value defaultApplicationForScheme(const ZqArgs& args);
Napi::Value setDefaultApplicationForScheme(const ZqArgs& args);
Napi::Value iconForFileExtension(const ZqArgs& args);
Napi::Value openFile(const ZqArgs& args);
Napi::Value openInfoForFile(const ZqArgs& args);
Napi::Value isApplicationInstalled(const ZqArgs& args);
Napi::Value iconForApplication(const ZqArgs& args);
Napi::Value applicationName(const ZqArgs& args);

// Previews, Quick Look, sharing and printing: src/Workspace/PreviewExports.cc
Napi::Value quickLook(const ZqArgs& args);
Napi::Value shareFiles(const ZqArgs& args);
Napi::Value generatePreview(const ZqArgs& args);
Napi::Value printPath(const ZqArgs& args);

// Clipping into other applications: src/Integrations/ClippingExports.cc
Napi::Value importIntoApplication(const ZqArgs& args);
Napi::Value clipPage(const ZqArgs& args);
Napi::Value installedClipperApps(const ZqArgs& args);

// Services: src/Services/ServicesExports.cc
Napi::Value setSearchServiceCallbackFunction(const ZqArgs& args);

// Scripted outgoing messages: src/AppleScript/OutgoingMessageExports.cc
Napi::Value setComposeOutgoingMessageCallbackFunction(const ZqArgs& args);

// Reachability: src/Reachability/ReachabilityExports.cc
Napi::Value setNetworkReachabilityCallbackFunction(const ZqArgs& args);
Napi::Value isNetworkReachable(const ZqArgs& args);

// User defaults and start at login: src/Defaults/UserDefaultsExports.cc
Napi::Value setUserDefault(const ZqArgs& args);
Napi::Value getUserDefault(const ZqArgs& args);
Napi::Value removeUserDefault(const ZqArgs& args);
Napi::Value synchronizeUserDefaults(const ZqArgs& args);
Napi::Value getStartAtLogin(const ZqArgs& args);
Napi::Value migrateStartAtLogin(const ZqArgs& args);
Napi::Value setStartAtLogin(const ZqArgs& args);

// Status item: src/StatusItem/StatusItemExports.cc
Napi::Value setStatusItemTitle(const ZqArgs& args);
Napi::Value setStatusItemMenuNeedsUpdateCallbackFunction(const ZqArgs& args);

// Recipients and address-book picker: src/Contacts/ContactsExports.cc
Napi::Value pickEmailAddresses(const ZqArgs& args);
Napi::Value recipientsForGroupName(const ZqArgs& args);

// Migration export: src/Migration/MigrationExports.cc
Napi::Value hasPreviousVersion(const ZqArgs& args);
Napi::Value getMigrationInfo(const ZqArgs& args);

// Text replacements: src/Services/TextReplacementsExports.cc
Napi::Value getTextReplacements(const ZqArgs& args);

// Global shortcuts: src/Shortcuts/ShortcutsExports.cc
Napi::Value startMonitoringKeyboardShortcuts(const ZqArgs& args);
Napi::Value stopMonitoringKeyboardShortcuts(const ZqArgs& args);
Napi::Value bindGlobalShortcutWithDefaultsKey(const ZqArgs& args);
Napi::Value globalShortcutDescriptionForDefaultsKey(const ZqArgs& args);

// PDF service: src/Integrations/PDFServicesExports.cc
Napi::Value uninstallPDFServices(const ZqArgs& args);

// Files and dialogs: src/Extensions/FileDialogExports.cc
Napi::Value showFileDialog(const ZqArgs& args);

// Time-tracking hook: src/Integrations/TimingExports.cc
Napi::Value registerAppleEventForTimingApp(const ZqArgs& args);

}  // namespace zq::exports

// Entries that live beside their subsystem, whose contract reports name that file.
namespace zq::entries {
Napi::Value addToolbarToWindow(
    const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value setToolbarCallbackFunctions(
    const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value validateToolbarItems(
    const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value selectToolbarItem(
    const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value toggleToolbarVisibility(
    const Napi::CallbackInfo& info);                           // src/Toolbar/ZqToolbarController.cc
Napi::Value isToolbarVisible(const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value customizeToolbar(const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value changeImageOfToolbarItem(
    const Napi::CallbackInfo& info);                           // src/Toolbar/ZqToolbarController.cc
Napi::Value showAddTabButton(const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value hideAddTabButton(const Napi::CallbackInfo& info);  // src/Toolbar/ZqToolbarController.cc
Napi::Value ZqCreateRequest(const Napi::CallbackInfo& info);   // src/ZqNetwork.cc
Napi::Value ZqWriteFile(const Napi::CallbackInfo& info);       // src/ZqFiles.cc
Napi::Value performService(const Napi::CallbackInfo& info);    // src/Services/ZqServicesProvider.cc
Napi::Value resizeWindowContent(const Napi::CallbackInfo& info);  // src/Window/WindowUtils.cc
}  // namespace zq::entries
