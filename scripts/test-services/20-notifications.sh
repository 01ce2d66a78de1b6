# A freedesktop notification server for the notification tests: dunst on a virtual X display
# (Xvfb), on this private session bus. Exports VELQUARIN_TEST_NOTIFICATION_SERVER=1 once dunst
# owns org.freedesktop.Notifications (the tests that need it skip without it), and the
# display, the configuration and the file holding dunst's process id (a test that restarts the
# server writes the new one there, so the clean-up stops whichever runs).

# shellcheck source=lib/bus.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/bus.sh"

velquarin_start_notification_server() {
  local log="${TMPDIR:-/tmp}/dunst.log"
  local xlog="${TMPDIR:-/tmp}/xvfb.log"
  local config="${TMPDIR:-/tmp}/dunstrc"
  local display xpid dpid owner i

  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    echo "notifications: no session bus; the notification-server tests will be skipped" >&2
    return 0
  fi
  if ! command -v dunst >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1 ||
    ! command -v dunstctl >/dev/null 2>&1; then
    echo "notifications: dunst, dunstctl or Xvfb missing; the notification-server tests will be skipped" >&2
    return 0
  fi
  owner=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.Notifications 2>/dev/null || true)
  if [ "$owner" != "(false,)" ]; then
    echo "notifications: a notification server is already on this bus (or the bus does not answer); not touching it" >&2
    return 0
  fi

  # The run's shared display (15-xvfb.sh) when there is one; else a display of its own, on a
  # number nobody uses: Xvfb picks one and writes it to the descriptor it is given.
  display="${VELQUARIN_TEST_DISPLAY#:}"
  if [ -z "$display" ]; then
    local display_file="${TMPDIR:-/tmp}/xvfb.display"
    : >"$display_file"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >"$xlog" 2>&1 &
    xpid=$!
    CLEANUP+=("kill $xpid 2>/dev/null; wait $xpid 2>/dev/null")
    for ((i = 0; i < 100; i++)); do
      display=$(tr -dc '0-9' <"$display_file")
      [ -n "$display" ] && break
      sleep 0.1
    done
  fi
  if [ -z "$display" ]; then
    echo "notifications: Xvfb did not start:" >&2
    cat "$xlog" >&2
    return 0
  fi

  # Nothing times out on its own; markup as the server renders it; the reply field is off in
  # this version, so the tests see the action button and the default action.
  cat >"$config" <<'CONF'
[global]
    markup = full
    format = "%s\n%b"
    idle_threshold = 0
    show_indicators = no
    sticky_history = no
    history_length = 20
    notification_limit = 20
[urgency_low]
    timeout = 0
[urgency_normal]
    timeout = 0
[urgency_critical]
    timeout = 0
CONF
  local pidfile="${TMPDIR:-/tmp}/dunst.pid"
  DISPLAY=":$display" dunst -config "$config" >"$log" 2>&1 &
  dpid=$!
  echo "$dpid" >"$pidfile"
  CLEANUP+=("kill \$(cat '$pidfile') 2>/dev/null; wait $dpid 2>/dev/null")
  for ((i = 0; i < 100; i++)); do
    if ! kill -0 "$dpid" 2>/dev/null; then
      echo "notifications: dunst exited:" >&2
      cat "$log" >&2
      return 0
    fi
    if velquarin_bus_name_owned org.freedesktop.Notifications; then
      export VELQUARIN_TEST_NOTIFICATION_SERVER=1
      export VELQUARIN_TEST_NOTIFICATION_DISPLAY=":$display"
      export VELQUARIN_TEST_NOTIFICATION_SERVER_PIDFILE=$pidfile
      export VELQUARIN_TEST_DUNST_CONFIG=$config
      return 0
    fi
    sleep 0.1
  done
  echo "notifications: dunst did not take org.freedesktop.Notifications within 10 s" >&2
  cat "$log" >&2
  return 0
}

velquarin_start_notification_server
