#!/usr/bin/env bash
# Runs a command inside a private session bus of its own with a notification server (dunst on a
# virtual display, scripts/test-services/20-notifications.sh) and HOME and the XDG folders in a
# throw-away directory. For the notification benchmark.
#   bash scripts/notification-session.sh node bench/notifications.bench.js
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${VELQUARIN_NOTIFICATION_SESSION_INNER:-}" ]; then
  sandbox=$(mktemp -d)
  trap 'rm -rf "$sandbox"' EXIT
  mkdir -p "$sandbox/home" "$sandbox/tmp" "$sandbox/run"
  chmod 700 "$sandbox/run"
  status=0
  env -u VELQUARIN_TEST_NOTIFICATION_SERVER -u VELQUARIN_TEST_NOTIFICATION_SERVER_PIDFILE \
    HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/home/.config" \
    XDG_CACHE_HOME="$sandbox/home/.cache" XDG_DATA_HOME="$sandbox/home/.local/share" \
    XDG_RUNTIME_DIR="$sandbox/run" TMPDIR="$sandbox/tmp" VELQUARIN_NOTIFICATION_SESSION_INNER=1 \
    dbus-run-session -- bash "$0" "$@" || status=$?
  exit "$status"
fi

unset VELQUARIN_NOTIFICATION_SESSION_INNER
CLEANUP=()
cleanup() {
  local i
  for ((i = ${#CLEANUP[@]} - 1; i >= 0; i--)); do eval "${CLEANUP[i]}" || true; done
}
trap cleanup EXIT
# shellcheck source=test-services/20-notifications.sh
source "$root/scripts/test-services/20-notifications.sh"
if [ -z "${VELQUARIN_TEST_NOTIFICATION_SERVER:-}" ]; then
  echo "notification-session: no notification server could be started" >&2
  exit 1
fi
status=0
"$@" || status=$?
exit "$status"
