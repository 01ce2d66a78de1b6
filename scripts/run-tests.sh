#!/usr/bin/env bash
# Runs both suites against an existing build, with HOME and the XDG folders in a
# throw-away directory so no test touches the real user's files.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}

sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/tmp"
export HOME="$sandbox/home"
export XDG_CONFIG_HOME="$sandbox/home/.config"
export XDG_CACHE_HOME="$sandbox/home/.cache"
export XDG_DATA_HOME="$sandbox/home/.local/share"
export TMPDIR="$sandbox/tmp"
export VELQUARIN_BUILD_DIR="$PWD/$BUILD_DIR"

status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure || status=1
node --test --test-reporter=spec tests/js/ || status=1
exit $status
