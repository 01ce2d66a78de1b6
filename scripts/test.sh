#!/usr/bin/env bash
# Runs every test: set-up and build, the C++ unit tests and the JavaScript suite, then both
# again under AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz target for a
# short fixed time (FUZZ_SECONDS each).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build} bash scripts/run-tests.sh
bash scripts/sanitize.sh
bash scripts/fuzz.sh --ci
