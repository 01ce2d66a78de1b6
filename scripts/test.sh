#!/usr/bin/env bash
# Runs every test: set-up and build, the C++ unit tests and the JavaScript suite, then the
# C++ unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build} bash scripts/run-tests.sh
bash scripts/sanitize.sh
