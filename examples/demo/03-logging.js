'use strict';
// Logging and crash reporting: the log file, breadcrumbs, and a crash in a child host that
// the next setupCrashReporter hands over as an event.
const path = require('node:path');
const { spawnSync } = require('node:child_process');

module.exports = {
  title: 'Logging and crash reporting',
  async run({ native, platform, say }) {
    say(`release: ${native.getReleaseString()}`);
    say(`log file: ${platform.logFile() || '(not written yet)'} in ${platform.logFolder()}`);

    // A child host crashes after starting its reporter; it leaves a pending event behind.
    const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', '..', 'build');
    const child = spawnSync(process.execPath, ['-e', `
      const native = require(${JSON.stringify(path.join(buildDir, 'VelquarinNative.node'))});
      native.setupCrashReporter();
      native.testCrash();`], { stdio: 'ignore' });
    say(`a child host called testCrash and died of ${child.signal}`);

    const breadcrumbs = [];
    const crumbs = platform.observe('ZqSentryBreadcrumbNotification', (name, info) => breadcrumbs.push(info));
    const events = platform.observe('ZqSentryEventNotification', (name, { event }) => {
      const exception = event.exception.values[0];
      say(`crash event ${event.event_id}: ${exception.type} in release ${event.release}, ` +
        `${exception.stacktrace.frames.length} frames`);
    });
    native.setupCrashReporter();
    platform.log('warning', 'Keychain/ZqKeyChain', 'demo', 60, 'a warning becomes a breadcrumb');
    platform.flushLogs();
    platform.drainMainQueue();
    for (const crumb of breadcrumbs) say(`breadcrumb ${crumb.level}: ${crumb.message}`);
    platform.removeObserver(crumbs);
    platform.removeObserver(events);
  },
};
