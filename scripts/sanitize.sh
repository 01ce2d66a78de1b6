#!/usr/bin/env bash
# Builds the C++ unit tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${SANITIZE_BUILD_DIR:-build-asan}
export BUILD_TYPE=Debug
export BUILD_TARGET=velquarin_tests
export CMAKE_EXTRA_ARGS="-DVELQUARIN_SANITIZE=ON ${CMAKE_EXTRA_ARGS:-}"
bash scripts/setup.sh
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$BUILD_DIR" --output-on-failure
