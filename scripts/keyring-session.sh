#!/usr/bin/env bash
# Runs a command inside a private session bus of its own with gnome-keyring's secrets component
# unlocked (scripts/test-services/10-keyring.sh) and HOME and the XDG folders in a throw-away
# directory, so that it never touches the user's keyring nor the keyring of an enclosing test
# run. For the credential-store benchmark and for tests that stop, lock or lose their keyring.
#   bash scripts/keyring-session.sh node bench/keychain.bench.js
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${VELQUARIN_KEYRING_SESSION_INNER:-}" ]; then
  sandbox=$(mktemp -d)
  trap 'rm -rf "$sandbox"' EXIT
  mkdir -p "$sandbox/home" "$sandbox/tmp" "$sandbox/run"
  chmod 700 "$sandbox/run"
  status=0
  env -u VELQUARIN_TEST_KEYRING -u VELQUARIN_TEST_KEYRING_PID \
    HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/home/.config" \
    XDG_CACHE_HOME="$sandbox/home/.cache" XDG_DATA_HOME="$sandbox/home/.local/share" \
    XDG_RUNTIME_DIR="$sandbox/run" TMPDIR="$sandbox/tmp" VELQUARIN_KEYRING_SESSION_INNER=1 \
    dbus-run-session -- bash "$0" "$@" || status=$?
  exit "$status"
fi

unset VELQUARIN_KEYRING_SESSION_INNER
CLEANUP=()
cleanup() {
  local i
  for ((i = ${#CLEANUP[@]} - 1; i >= 0; i--)); do eval "${CLEANUP[i]}" || true; done
}
trap cleanup EXIT
# shellcheck source=test-services/10-keyring.sh
source "$root/scripts/test-services/10-keyring.sh"
if [ -z "${VELQUARIN_TEST_KEYRING:-}" ]; then
  echo "keyring-session: no keyring could be started" >&2
  exit 1
fi
status=0
"$@" || status=$?
exit "$status"
