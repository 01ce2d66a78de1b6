#!/usr/bin/env bash
# Runs a command inside a private session bus of its own with one test service started on it
# (keyring: gnome-keyring's secrets component unlocked, scripts/test-services/10-keyring.sh;
# notifications: dunst on a virtual display, scripts/test-services/20-notifications.sh; display:
# a virtual X display, scripts/test-services/15-xvfb.sh) and HOME
# and the XDG folders in a throw-away directory, so it never touches the user's services nor
# those of an enclosing test run. For benchmarks, demos and tests that stop or lose a service.
#   bash scripts/private-session.sh keyring node bench/keychain.bench.js
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

service=${1:-}
case "$service" in
  keyring) service_file=10-keyring.sh ready_var=VELQUARIN_TEST_KEYRING ;;
  notifications) service_file=20-notifications.sh ready_var=VELQUARIN_TEST_NOTIFICATION_SERVER ;;
  display) service_file=15-xvfb.sh ready_var=VELQUARIN_TEST_DISPLAY ;;
  *)
    echo "usage: private-session.sh keyring|notifications|display COMMAND..." >&2
    exit 2
    ;;
esac
shift

if [ -z "${VELQUARIN_PRIVATE_SESSION_INNER:-}" ]; then
  sandbox=$(mktemp -d)
  trap 'rm -rf "$sandbox"' EXIT
  mkdir -p "$sandbox/home" "$sandbox/tmp" "$sandbox/run"
  chmod 700 "$sandbox/run"
  status=0
  env -u VELQUARIN_TEST_KEYRING -u VELQUARIN_TEST_KEYRING_PID -u VELQUARIN_TEST_DISPLAY \
    -u VELQUARIN_TEST_NOTIFICATION_SERVER -u VELQUARIN_TEST_NOTIFICATION_SERVER_PIDFILE \
    HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/home/.config" \
    XDG_CACHE_HOME="$sandbox/home/.cache" XDG_DATA_HOME="$sandbox/home/.local/share" \
    XDG_RUNTIME_DIR="$sandbox/run" TMPDIR="$sandbox/tmp" VELQUARIN_PRIVATE_SESSION_INNER=1 \
    dbus-run-session -- bash "$0" "$service" "$@" || status=$?
  exit "$status"
fi

unset VELQUARIN_PRIVATE_SESSION_INNER
CLEANUP=()
cleanup() {
  local i
  for ((i = ${#CLEANUP[@]} - 1; i >= 0; i--)); do eval "${CLEANUP[i]}" || true; done
}
trap cleanup EXIT
# shellcheck disable=SC1090
source "$root/scripts/test-services/$service_file"
if [ -z "${!ready_var:-}" ]; then
  echo "private-session: the $service service could not be started" >&2
  exit 1
fi
status=0
"$@" || status=$?
exit "$status"
