// The module entry: start-up, the exported functions with their argument contracts, and
// their registration on the exports object.

#include <napi.h>

#include "Exports.h"
#include "Utilities/ZqApplicationIsolate.h"
#include "Utilities/ZqConvert.h"
#include "Utilities/ZqLog.h"
#include "Utilities/ZqStartupStep.h"
#include "UvLoopDriver.h"
#include "appearance/Appearance.h"
#include "glib/GLibLibrary.h"

namespace zq::entries {

Napi::Value loadFScript(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::loadFScript(args);
}

Napi::Value setCurrentURL(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::setCurrentURL(args);
}

Napi::Value setCurrentStateCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsFunction());
  return exports::setCurrentStateCallbackFunction(args);
}

Napi::Value getBundlePath(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::getBundlePath(args);
}

Napi::Value getPreferredLanguages(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::getPreferredLanguages(args);
}

Napi::Value getPasswordForAccount(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::getPasswordForAccount(args);
}

Napi::Value setPasswordForAccount(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2 || args.Length() == 3);
  return exports::setPasswordForAccount(args);
}

Napi::Value removePasswordForAccount(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::removePasswordForAccount(args);
}

Napi::Value removeAllPasswords(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::removeAllPasswords(args);
}

Napi::Value deliverUserNotification(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 10);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString() || args[1]->IsNullOrUndefined());
  ZQ_CONTRACT(args[2]->IsString() || args[2]->IsNullOrUndefined());
  ZQ_CONTRACT(args[3]->IsString() || args[3]->IsNullOrUndefined());
  ZQ_CONTRACT(args[4]->IsString() || args[4]->IsNullOrUndefined());
  ZQ_CONTRACT(args[6]->IsString() || args[6]->IsNullOrUndefined());
  ZQ_CONTRACT(args[8]->IsString() || args[8]->IsNullOrUndefined());
  return exports::deliverUserNotification(args);
}

Napi::Value removeUserNotifications(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::removeUserNotifications(args);
}

Napi::Value removeUserNotification(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::removeUserNotification(args);
}

Napi::Value setNotificationCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::setNotificationCallbackFunction(args);
}

Napi::Value getSoundNames(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::getSoundNames(args);
}

Napi::Value playSoundWithName(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::playSoundWithName(args);
}

Napi::Value reenableWindowUpdates(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::reenableWindowUpdates(args);
}

Napi::Value setWindowNotificationCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::setWindowNotificationCallbackFunction(args);
}

Napi::Value hasMainWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::hasMainWindow(args);
}

Napi::Value hasKeyWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::hasKeyWindow(args);
}

Napi::Value hasSheets(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsObject());
  return exports::hasSheets(args);
}

Napi::Value closeMainWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::closeMainWindow(args);
}

Napi::Value closeKeyWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::closeKeyWindow(args);
}

Napi::Value hideWindowContent(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsInt32());
  return exports::hideWindowContent(args);
}

Napi::Value updateMainMenuMenuItem(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString());
  return exports::updateMainMenuMenuItem(args);
}

Napi::Value updateMainMenuMenuItemWithCommandId(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsInt32());
  ZQ_CONTRACT(args[1]->IsString());
  return exports::updateMainMenuMenuItemWithCommandId(args);
}

Napi::Value isWebImagePath(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args[0]->IsString());
  const auto path = convertToString(args.at(0));
  ZQ_CONTRACT(path);
  return exports::isWebImagePath(args);
}

Napi::Value scaleImage(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsInt32());
  ZQ_CONTRACT(args[3]->IsInt32());
  return exports::scaleImage(args);
}

Napi::Value saveGeneralPasteboard(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::saveGeneralPasteboard(args);
}

Napi::Value restoreGeneralPasteboard(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::restoreGeneralPasteboard(args);
}

Napi::Value writeFileContentsToGeneralPasteboard(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::writeFileContentsToGeneralPasteboard(args);
}

Napi::Value getValueOfPasteboardType(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::getValueOfPasteboardType(args);
}

Napi::Value doesPasteboardContainImage(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::doesPasteboardContainImage(args);
}

Napi::Value dropFiles(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsString());
  return exports::dropFiles(args);
}

Napi::Value setDragAndDropCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::setDragAndDropCallbackFunction(args);
}

Napi::Value setKeyboardModifierKeysCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::setKeyboardModifierKeysCallbackFunction(args);
}

Napi::Value openSupportAndFeedbackWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 5);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsNull() || args[2]->IsString());
  ZQ_CONTRACT(args[3]->IsNull() || args[3]->IsString());
  ZQ_CONTRACT(args[4]->IsNull() || args[4]->IsString());
  return exports::openSupportAndFeedbackWindow(args);
}

Napi::Value attachFilesToSupportAndFeedbackWindow(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::attachFilesToSupportAndFeedbackWindow(args);
}

Napi::Value annotateImage(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::annotateImage(args);
}

Napi::Value imageFromPasteboard(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::imageFromPasteboard(args);
}

Napi::Value takeScreenRecording(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::takeScreenRecording(args);
}

Napi::Value setupCrashReporter(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::setupCrashReporter(args);
}

Napi::Value testCrash(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::testCrash(args);
}

Napi::Value checkForUpdates(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsBoolean());
  ZQ_CONTRACT(args[1]->IsBoolean());
  return exports::checkForUpdates(args);
}

Napi::Value setAppcastParameterCallback(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsFunction());
  return exports::setAppcastParameterCallback(args);
}

Napi::Value fetchAppcast(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::fetchAppcast(args);
}

Napi::Value setQueryWindowTraitCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  return exports::setQueryWindowTraitCallbackFunction(args);
}

Napi::Value getFindTextFromPasteboard(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::getFindStringFromPasteboard(args);
}

Napi::Value getFindStringFromPasteboard(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  return exports::setFindStringToPasteboard(args);
}

Napi::Value applicationsForFileExtension(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  return exports::applicationsForFileExtension(args);
}

Napi::Value applicationsForScheme(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  return exports::applicationsForScheme(args);
}

Napi::Value bundleId(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::bundleId(args);
}

Napi::Value defaultApplicationForScheme(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::defaultApplicationForScheme(args);
}

Napi::Value setDefaultApplicationForScheme(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString());
  return exports::setDefaultApplicationForScheme(args);
}

Napi::Value iconForFileExtension(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsInt32());
  ZQ_CONTRACT(args[2]->IsString());
  return exports::iconForFileExtension(args);
}

Napi::Value openFile(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  return exports::openFile(args);
}

Napi::Value openInfoForFile(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  return exports::openInfoForFile(args);
}

Napi::Value quickLook(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 4);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsInt32());
  ZQ_CONTRACT(args[3]->IsFunction());
  return exports::quickLook(args);
}

Napi::Value shareFiles(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsString());
  return exports::shareFiles(args);
}

Napi::Value generatePreview(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 4);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsInt32());
  ZQ_CONTRACT(args[2]->IsString());
  ZQ_CONTRACT(args[3]->IsFunction());
  return exports::generatePreview(args);
}

Napi::Value isApplicationInstalled(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::isApplicationInstalled(args);
}

Napi::Value iconForApplication(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsInt32());
  ZQ_CONTRACT(args[2]->IsString());
  return exports::iconForApplication(args);
}

Napi::Value applicationName(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::applicationName(args);
}

Napi::Value importIntoApplication(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsString());
  return exports::importIntoApplication(args);
}

Napi::Value printPath(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::printPath(args);
}

Napi::Value clipPage(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  ZQ_CONTRACT(args[1]->IsObject());
  return exports::clipPage(args);
}

Napi::Value installedClipperApps(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::installedClipperApps(args);
}

Napi::Value setSearchServiceCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsFunction());
  return exports::setSearchServiceCallbackFunction(args);
}

Napi::Value setComposeOutgoingMessageCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsFunction());
  return exports::setComposeOutgoingMessageCallbackFunction(args);
}

Napi::Value setNetworkReachabilityCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsFunction());
  return exports::setNetworkReachabilityCallbackFunction(args);
}

Napi::Value isNetworkReachable(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::isNetworkReachable(args);
}

Napi::Value setUserDefault(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::setUserDefault(args);
}

Napi::Value getUserDefault(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::getUserDefault(args);
}

Napi::Value removeUserDefault(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::removeUserDefault(args);
}

Napi::Value synchronizeUserDefaults(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::synchronizeUserDefaults(args);
}

Napi::Value getStartAtLogin(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::getStartAtLogin(args);
}

Napi::Value migrateStartAtLogin(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::migrateStartAtLogin(args);
}

Napi::Value setStartAtLogin(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsBoolean());
  return exports::setStartAtLogin(args);
}

Napi::Value setStatusItemTitle(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsString() || args[0]->IsNull());
  ZQ_CONTRACT(args[1]->IsBoolean() || args[1]->IsNull());
  return exports::setStatusItemTitle(args);
}

Napi::Value setStatusItemMenuNeedsUpdateCallbackFunction(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsFunction());
  return exports::setStatusItemMenuNeedsUpdateCallbackFunction(args);
}

Napi::Value setupMenuWillShowNotification(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::setupMenuWillShowNotification(args);
}

Napi::Value getBuildNumber(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::getBuildNumber(args);
}

Napi::Value getReleaseString(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::getReleaseString(args);
}

Napi::Value pickEmailAddresses(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 2);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsString());
  return exports::pickEmailAddresses(args);
}

Napi::Value recipientsForGroupName(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::recipientsForGroupName(args);
}

Napi::Value hasPreviousVersion(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::hasPreviousVersion(args);
}

Napi::Value getMigrationInfo(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString() || args[0]->IsNullOrUndefined());
  return exports::getMigrationInfo(args);
}

Napi::Value getTextReplacements(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::getTextReplacements(args);
}

Napi::Value startMonitoringKeyboardShortcuts(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::startMonitoringKeyboardShortcuts(args);
}

Napi::Value stopMonitoringKeyboardShortcuts(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::stopMonitoringKeyboardShortcuts(args);
}

Napi::Value bindGlobalShortcutWithDefaultsKey(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::bindGlobalShortcutWithDefaultsKey(args);
}

Napi::Value globalShortcutDescriptionForDefaultsKey(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::globalShortcutDescriptionForDefaultsKey(args);
}

Napi::Value modifierKeys(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::modifierKeys(args);
}

Napi::Value uninstallPDFServices(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::uninstallPDFServices(args);
}

Napi::Value showFileDialog(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 3);
  ZQ_CONTRACT(args[0]->IsObject());
  ZQ_CONTRACT(args[1]->IsString());
  ZQ_CONTRACT(args[2]->IsFunction());
  return exports::showFileDialog(args);
}

Napi::Value registerAppleEventForTimingApp(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsFunction());
  return exports::registerAppleEventForTimingApp(args);
}

Napi::Value isAppHidden(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  return exports::isAppHidden(args);
}

Napi::Value isDarkMode(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::isDarkMode(args);
}

Napi::Value isRosetta(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::isRosetta(args);
}

Napi::Value macOSVersion(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 0);
  return exports::macOSVersion(args);
}

Napi::Value convertToPosixPath(const Napi::CallbackInfo& info) {
  ZqArgs args(info);
  ZQ_CONTRACT(args.Length() == 1);
  ZQ_CONTRACT(args[0]->IsString());
  return exports::convertToPosixPath(args);
}

}  // namespace zq::entries

namespace {

using namespace zq::entries;

struct ExportedFunction {
  const char* name;
  Napi::Function::Callback entry;
};

// Registration order is the host's view of the module: keep it as it is.
constexpr ExportedFunction kExportedFunctions[] = {
    {"loadFScript", &loadFScript},
    {"setCurrentURL", &setCurrentURL},
    {"setCurrentStateCallbackFunction", &setCurrentStateCallbackFunction},
    {"getBundlePath", &getBundlePath},
    {"getPreferredLanguages", &getPreferredLanguages},
    {"getPasswordForAccount", &getPasswordForAccount},
    {"setPasswordForAccount", &setPasswordForAccount},
    {"removePasswordForAccount", &removePasswordForAccount},
    {"removeAllPasswords", &removeAllPasswords},
    {"deliverUserNotification", &deliverUserNotification},
    {"removeUserNotifications", &removeUserNotifications},
    {"removeUserNotification", &removeUserNotification},
    {"setNotificationCallbackFunction", &setNotificationCallbackFunction},
    {"getSoundNames", &getSoundNames},
    {"playSoundWithName", &playSoundWithName},
    {"addToolbarToWindow", &addToolbarToWindow},
    {"setToolbarCallbackFunctions", &setToolbarCallbackFunctions},
    {"reenableWindowUpdates", &reenableWindowUpdates},
    {"setWindowNotificationCallbackFunction", &setWindowNotificationCallbackFunction},
    {"hasMainWindow", &hasMainWindow},
    {"hasKeyWindow", &hasKeyWindow},
    {"hasSheets", &hasSheets},
    {"closeMainWindow", &closeMainWindow},
    {"closeKeyWindow", &closeKeyWindow},
    {"hideWindowContent", &hideWindowContent},
    {"validateToolbarItems", &validateToolbarItems},
    {"selectToolbarItem", &selectToolbarItem},
    {"toggleToolbarVisibility", &toggleToolbarVisibility},
    {"isToolbarVisible", &isToolbarVisible},
    {"customizeToolbar", &customizeToolbar},
    {"changeImageOfToolbarItem", &changeImageOfToolbarItem},
    {"showAddTabButton", &showAddTabButton},
    {"hideAddTabButton", &hideAddTabButton},
    {"updateMainMenuMenuItem", &updateMainMenuMenuItem},
    {"updateMainMenuMenuItemWithCommandId", &updateMainMenuMenuItemWithCommandId},
    {"isWebImagePath", &isWebImagePath},
    {"scaleImage", &scaleImage},
    {"saveGeneralPasteboard", &saveGeneralPasteboard},
    {"restoreGeneralPasteboard", &restoreGeneralPasteboard},
    {"writeFileContentsToGeneralPasteboard", &writeFileContentsToGeneralPasteboard},
    {"getValueOfPasteboardType", &getValueOfPasteboardType},
    {"doesPasteboardContainImage", &doesPasteboardContainImage},
    {"dropFiles", &dropFiles},
    {"setDragAndDropCallbackFunction", &setDragAndDropCallbackFunction},
    {"setKeyboardModifierKeysCallbackFunction", &setKeyboardModifierKeysCallbackFunction},
    {"openSupportAndFeedbackWindow", &openSupportAndFeedbackWindow},
    {"attachFilesToSupportAndFeedbackWindow", &attachFilesToSupportAndFeedbackWindow},
    {"annotateImage", &annotateImage},
    {"imageFromPasteboard", &imageFromPasteboard},
    {"takeScreenRecording", &takeScreenRecording},
    {"setupCrashReporter", &setupCrashReporter},
    {"testCrash", &testCrash},
    {"checkForUpdates", &checkForUpdates},
    {"setAppcastParameterCallback", &setAppcastParameterCallback},
    {"fetchAppcast", &fetchAppcast},
    {"setQueryWindowTraitCallbackFunction", &setQueryWindowTraitCallbackFunction},
    {"getFindStringFromPasteboard", &getFindTextFromPasteboard},
    {"setFindStringToPasteboard", &getFindStringFromPasteboard},
    {"applicationsForFileExtension", &applicationsForFileExtension},
    {"applicationsForScheme", &applicationsForScheme},
    {"bundleId", &bundleId},
    {"defaultApplicationForScheme", &defaultApplicationForScheme},
    {"setDefaultApplicationForScheme", &setDefaultApplicationForScheme},
    {"iconForFileExtension", &iconForFileExtension},
    {"openFile", &openFile},
    {"openInfoForFile", &openInfoForFile},
    {"quickLook", &quickLook},
    {"shareFiles", &shareFiles},
    {"generatePreview", &generatePreview},
    {"isApplicationInstalled", &isApplicationInstalled},
    {"iconForApplication", &iconForApplication},
    {"applicationName", &applicationName},
    {"importIntoApplication", &importIntoApplication},
    {"printPath", &printPath},
    {"clipPage", &clipPage},
    {"installedClipperApps", &installedClipperApps},
    {"setSearchServiceCallbackFunction", &setSearchServiceCallbackFunction},
    {"setComposeOutgoingMessageCallbackFunction", &setComposeOutgoingMessageCallbackFunction},
    {"setNetworkReachabilityCallbackFunction", &setNetworkReachabilityCallbackFunction},
    {"isNetworkReachable", &isNetworkReachable},
    {"setUserDefault", &setUserDefault},
    {"getUserDefault", &getUserDefault},
    {"removeUserDefault", &removeUserDefault},
    {"synchronizeUserDefaults", &synchronizeUserDefaults},
    {"getStartAtLogin", &getStartAtLogin},
    {"migrateStartAtLogin", &migrateStartAtLogin},
    {"setStartAtLogin", &setStartAtLogin},
    {"setStatusItemTitle", &setStatusItemTitle},
    {"setStatusItemMenuNeedsUpdateCallbackFunction", &setStatusItemMenuNeedsUpdateCallbackFunction},
    {"setupMenuWillShowNotification", &setupMenuWillShowNotification},
    {"getBuildNumber", &getBuildNumber},
    {"getReleaseString", &getReleaseString},
    {"pickEmailAddresses", &pickEmailAddresses},
    {"recipientsForGroupName", &recipientsForGroupName},
    {"hasPreviousVersion", &hasPreviousVersion},
    {"getMigrationInfo", &getMigrationInfo},
    {"getTextReplacements", &getTextReplacements},
    {"startMonitoringKeyboardShortcuts", &startMonitoringKeyboardShortcuts},
    {"stopMonitoringKeyboardShortcuts", &stopMonitoringKeyboardShortcuts},
    {"bindGlobalShortcutWithDefaultsKey", &bindGlobalShortcutWithDefaultsKey},
    {"globalShortcutDescriptionForDefaultsKey", &globalShortcutDescriptionForDefaultsKey},
    {"modifierKeys", &modifierKeys},
    {"uninstallPDFServices", &uninstallPDFServices},
    {"showFileDialog", &showFileDialog},
    {"registerAppleEventForTimingApp", &registerAppleEventForTimingApp},
    {"createRequest", &ZqCreateRequest},
    {"isAppHidden", &isAppHidden},
    {"writeFile", &ZqWriteFile},
    {"performService", &performService},
    {"resizeWindowContent", &resizeWindowContent},
    {"isDarkMode", &isDarkMode},
    {"isRosetta", &isRosetta},
    {"macOSVersion", &macOSVersion},
    {"convertToPosixPath", &convertToPosixPath},
};

static_assert(std::size(kExportedFunctions) == 114);

void registerFunctions(Napi::Env env, Napi::Object exports) {
  Napi::HandleScope scope(env);
  for (const auto& function : kExportedFunctions) {
    exports.Set(function.name, Napi::Function::New(env, function.entry, function.name));
  }
}

// Start-up steps that belong to later subsystems register themselves with ZqStartupStep and
// run here in their order: 3 to 18 between the isolate record and the registration.
void startUp(Napi::Env env) {
  ZqSetupLogging();                            // 1
  velquarin::node::UvLoopDriver::attach(env);  // 2: the main queue runs on this loop
  // Step 18 logs the desktop's appearance: ask for it now, on a thread of its own, while the
  // steps between run.
  velquarin::platform::Appearance::prepare();
  ZqRunStartupSteps(env, 3, 18);
}

Napi::Object Init(Napi::Env env, Napi::Object exports) {
  // GLib is opened on first use, and much stands on it: a package without its library would
  // stop the process at that first use, so it fails here, where the host can catch it.
  if (!velquarin::platform::GLibLibrary::installed()) {
    Napi::Error::New(env, std::string("VelquarinNative cannot start: ") +
                              velquarin::platform::kGLibLibraryFile +
                              " is missing beside libvelquarin-platform.so")
        .ThrowAsJavaScriptException();
    return exports;
  }
  ZqSetupLogging();
  if (!ZqSetApplicationIsolate(env)) {
    // One platform state per process: a worker thread's copy would share it unguarded.
    Napi::Error::New(env,
                     "VelquarinNative is already loaded in another environment of this "
                     "process; load it once, from the main thread")
        .ThrowAsJavaScriptException();
    return exports;
  }
  static bool started = false;
  const bool first = !started;
  if (first) {
    started = true;
    startUp(env);
  }
  registerFunctions(env, exports);                                    // 19
  if (first) ZQ_LOG_INFO("*** Velquarin Native Module Started ***");  // 20
  return exports;
}

}  // namespace

NODE_API_MODULE(VelquarinNative, Init)
