#!/usr/bin/env bash
# Runs both suites against an existing build, with HOME and the XDG folders in a
# throw-away directory so no test touches the real user's files, inside a private D-Bus
# session bus (scripts/test-session.sh starts the services the tests need on it).
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
export XDG_RUNTIME_DIR="$sandbox/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export TMPDIR="$sandbox/tmp"
export VELQUARIN_BUILD_DIR="$PWD/$BUILD_DIR"
export VELQUARIN_TEST_SANDBOX="$sandbox"
# No test reaches the developer's display or clipboard: those that need one get the private
# Xvfb of scripts/test-services/15-xvfb.sh explicitly.
unset DISPLAY WAYLAND_DISPLAY

if command -v dbus-run-session >/dev/null 2>&1; then
  dbus-run-session -- bash scripts/test-session.sh
else
  echo "dbus-run-session not found: running without a session bus" >&2
  bash scripts/test-session.sh
fi
