'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { loadModule, runChild, addonPath } = require('./support');

const EXPECTED_NAMES = [
  'loadFScript', 'setCurrentURL', 'setCurrentStateCallbackFunction', 'getBundlePath',
  'getPreferredLanguages', 'getPasswordForAccount', 'setPasswordForAccount',
  'removePasswordForAccount', 'removeAllPasswords', 'deliverUserNotification',
  'removeUserNotifications', 'removeUserNotification', 'setNotificationCallbackFunction',
  'getSoundNames', 'playSoundWithName', 'addToolbarToWindow', 'setToolbarCallbackFunctions',
  'reenableWindowUpdates', 'setWindowNotificationCallbackFunction', 'hasMainWindow',
  'hasKeyWindow', 'hasSheets', 'closeMainWindow', 'closeKeyWindow', 'hideWindowContent',
  'validateToolbarItems', 'selectToolbarItem', 'toggleToolbarVisibility', 'isToolbarVisible',
  'customizeToolbar', 'changeImageOfToolbarItem', 'showAddTabButton', 'hideAddTabButton',
  'updateMainMenuMenuItem', 'updateMainMenuMenuItemWithCommandId', 'isWebImagePath',
  'scaleImage', 'saveGeneralPasteboard', 'restoreGeneralPasteboard',
  'writeFileContentsToGeneralPasteboard', 'getValueOfPasteboardType',
  'doesPasteboardContainImage', 'dropFiles', 'setDragAndDropCallbackFunction',
  'setKeyboardModifierKeysCallbackFunction', 'openSupportAndFeedbackWindow',
  'attachFilesToSupportAndFeedbackWindow', 'annotateImage', 'imageFromPasteboard',
  'takeScreenRecording', 'setupCrashReporter', 'testCrash', 'checkForUpdates',
  'setAppcastParameterCallback', 'fetchAppcast', 'setQueryWindowTraitCallbackFunction',
  'getFindStringFromPasteboard', 'setFindStringToPasteboard', 'applicationsForFileExtension',
  'applicationsForScheme', 'bundleId', 'defaultApplicationForScheme',
  'setDefaultApplicationForScheme', 'iconForFileExtension', 'openFile', 'openInfoForFile',
  'quickLook', 'shareFiles', 'generatePreview', 'isApplicationInstalled', 'iconForApplication',
  'applicationName', 'importIntoApplication', 'printPath', 'clipPage', 'installedClipperApps',
  'setSearchServiceCallbackFunction', 'setComposeOutgoingMessageCallbackFunction',
  'setNetworkReachabilityCallbackFunction', 'isNetworkReachable', 'setUserDefault',
  'getUserDefault', 'removeUserDefault', 'synchronizeUserDefaults', 'getStartAtLogin',
  'migrateStartAtLogin', 'setStartAtLogin', 'setStatusItemTitle',
  'setStatusItemMenuNeedsUpdateCallbackFunction', 'setupMenuWillShowNotification',
  'getBuildNumber', 'getReleaseString', 'pickEmailAddresses', 'recipientsForGroupName',
  'hasPreviousVersion', 'getMigrationInfo', 'getTextReplacements',
  'startMonitoringKeyboardShortcuts', 'stopMonitoringKeyboardShortcuts',
  'bindGlobalShortcutWithDefaultsKey', 'globalShortcutDescriptionForDefaultsKey', 'modifierKeys',
  'uninstallPDFServices', 'showFileDialog', 'registerAppleEventForTimingApp', 'createRequest',
  'isAppHidden', 'writeFile', 'performService', 'resizeWindowContent', 'isDarkMode', 'isRosetta',
  'macOSVersion', 'convertToPosixPath',
];

const native = loadModule();

// Runs `call` and returns the contract report it throws.
function contractReport(call) {
  try {
    call();
  } catch (error) {
    assert.ok(error instanceof TypeError, `expected a TypeError, got ${error}`);
    return error;
  }
  assert.fail('the call did not break its contract');
}

test('the exports are exactly the 114 functions, in table order, named as exported', () => {
  assert.equal(EXPECTED_NAMES.length, 114);
  assert.deepEqual(Object.keys(native), EXPECTED_NAMES);
  assert.deepEqual(Object.getOwnPropertyNames(native), EXPECTED_NAMES);
  for (const name of EXPECTED_NAMES) {
    assert.equal(typeof native[name], 'function', name);
    assert.equal(native[name].name, name);
  }
});

test('contract reports name the function, file, line and condition', () => {
  const report = contractReport(() => native.hasMainWindow(1));
  assert.equal(report.condition, 'args.Length() == 0');
  assert.equal(report.function, 'hasMainWindow');
  assert.equal(report.file, 'VelquarinNative');
  assert.ok(Number.isInteger(report.line) && report.line > 0);
  assert.match(report.message, /hasMainWindow/);
  assert.match(report.message, /VelquarinNative/);
  assert.ok(report.message.includes(`line ${report.line}`));
  assert.ok(report.message.includes('args.Length() == 0'));
});

test('the count is checked before any argument is converted', () => {
  let converted = false;
  const poisoned = { toString() { converted = true; throw new Error('converted'); } };
  const args = ['id', poisoned, poisoned, poisoned, poisoned, true, poisoned, true, poisoned];
  const report = contractReport(() => native.deliverUserNotification(...args));
  assert.equal(report.condition, 'args.Length() == 10');
  assert.equal(converted, false);
});

test('positions are checked in ascending order after the count', () => {
  const second = contractReport(() => native.selectToolbarItem(1, 2));
  assert.equal(second.condition, 'args[1]->IsString()');
  assert.equal(second.file, 'ZqToolbarController');
  const first = contractReport(() => native.selectToolbarItem('1', 2));
  assert.equal(first.condition, 'args[0]->IsInt32()');
  const optional = contractReport(() =>
    native.deliverUserNotification('id', 5, null, null, null, true, null, true, null, 'x'));
  assert.equal(optional.condition, 'args[1]->IsString() || args[1]->IsNullOrUndefined()');
  const int32 = contractReport(() => native.validateToolbarItems(1.5));
  assert.equal(int32.condition, 'args[0]->IsInt32()');
  const migration = contractReport(() => native.getMigrationInfo(5));
  assert.equal(migration.condition, 'args[0]->IsString() || args[0]->IsNullOrUndefined()');
});

test('entries beside their subsystem report their own file and native name', () => {
  const request = contractReport(() => native.createRequest());
  assert.equal(request.file, 'ZqNetwork');
  assert.equal(request.function, 'ZqCreateRequest');
  assert.equal(request.condition, 'args.Length() >= 1');
  assert.equal(contractReport(() => native.writeFile('a', {}, 1)).file, 'ZqFiles');
  assert.equal(contractReport(() => native.performService('a')).file, 'ZqServicesProvider');
  assert.equal(contractReport(() => native.resizeWindowContent()).file, 'WindowUtils');
  // The find-pasteboard setter reports under its crossed native name.
  assert.equal(contractReport(() => native.setFindStringToPasteboard()).function,
    'getFindStringFromPasteboard');
  const setPassword = contractReport(() => native.setPasswordForAccount('only one'));
  assert.equal(setPassword.condition, 'args.Length() == 2 || args.Length() == 3');
  const path = contractReport(() => native.isWebImagePath(3));
  assert.equal(path.condition, 'args[0]->IsString()');
});

test('a call whose contract holds does not throw', () => {
  assert.equal(native.isRosetta(), false);
  assert.doesNotThrow(() => native.removeAllPasswords('extra', 'arguments', 'are', 'not', 'read'));
});

test('loading in a worker thread is refused without harming the main environment', async () => {
  const { Worker } = require('node:worker_threads');
  const worker = new Worker(
    `const { parentPort } = require('node:worker_threads');
     try { require(${JSON.stringify(addonPath('VelquarinNative'))}); parentPort.postMessage('loaded'); }
     catch (error) { parentPort.postMessage('refused: ' + error.message); }`,
    { eval: true });
  const message = await new Promise((resolve, reject) => {
    worker.once('message', resolve);
    worker.once('error', reject);
  });
  await worker.terminate();
  assert.match(message, /^refused: .*already loaded in another environment/);
  assert.equal(native.isRosetta(), false);
});

test('start-up logs first and last lines once, even when the add-on is opened twice', async () => {
  const { code, stderr, stdout } = await runChild(`
    const path = ${JSON.stringify(addonPath('VelquarinNative'))};
    const first = require(path);
    const again = { exports: {} };
    process.dlopen(again, path);
    console.log(JSON.stringify([Object.keys(again.exports).length, again.exports.isRosetta()]));
  `);
  assert.equal(code, 0, stderr);
  assert.equal(stdout.trim(), '[114,false]');
  // The session bus answers after start-up, so its lines may come later.
  const lines = stderr.split('\n').filter((line) => line.trim() && !line.includes('bus/ApplicationBus'));
  assert.match(lines[0], /Native Module logging initialized!/);
  const started = lines.filter((line) => line.includes('*** Velquarin Native Module Started ***'));
  assert.equal(started.length, 1);
  assert.match(lines.at(-1), /\*\*\* Velquarin Native Module Started \*\*\*/);
});

test('a process that only loads both add-ons exits by itself', async () => {
  const { code, signal } = await runChild(`
    require(${JSON.stringify(addonPath('VelquarinNative'))});
    require(${JSON.stringify(addonPath('VelquarinPlatform'))});
  `, { timeoutMs: 10000 });
  assert.equal(signal, null);
  assert.equal(code, 0);
});
