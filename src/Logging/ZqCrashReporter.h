#pragma once

#include <string_view>

// The DSN this build was configured with.
std::string_view ZqCrashReporterDSN();

// Creates a client for `dsn`, makes it the shared client, adds a breadcrumb logger and starts
// the crash handler; failures are logged and the process goes on without crash reporting.
void ZqSetupCrashReporter(std::string_view dsn);

// Crashes through the shared client; does nothing when there is none.
void ZqTestCrash();
