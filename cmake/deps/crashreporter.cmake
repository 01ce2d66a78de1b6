# The crash reporter's DSN is build-time configuration. An empty or malformed value makes
# setupCrashReporter log its error and go on without crash reporting.
set(VELQUARIN_CRASH_REPORTER_DSN "https://velquarin@crash-reports.invalid/1"
    CACHE STRING "DSN of the crash reporter compiled into the module")
if(VELQUARIN_CRASH_REPORTER_DSN MATCHES "[\"\\\\\n]")
  message(FATAL_ERROR "VELQUARIN_CRASH_REPORTER_DSN must not contain quotes, backslashes or line breaks")
endif()
target_compile_definitions(velquarin_module_deps INTERFACE
  "VELQUARIN_CRASH_REPORTER_DSN=\"${VELQUARIN_CRASH_REPORTER_DSN}\"")
