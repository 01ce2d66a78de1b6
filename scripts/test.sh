#!/usr/bin/env bash
# Runs every test: set-up and build, the C++ unit tests and the JavaScript suite, then both
# again under AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz target for a
# short fixed time (FUZZ_SECONDS each).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The plain run also installs the packed package and builds it from source there.
BUILD_DIR=${BUILD_DIR:-build} VELQUARIN_TEST_SOURCE_BUILD=${VELQUARIN_TEST_SOURCE_BUILD:-1} \
  bash scripts/run-tests.sh
bash scripts/sanitize.sh
bash scripts/fuzz.sh --ci
