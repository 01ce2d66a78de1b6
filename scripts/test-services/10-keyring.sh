# The freedesktop Secret Service for the credential-store tests: gnome-keyring's secrets
# component on this private session bus. Its login collection lives under the run's throw-away
# HOME; on the first run the daemon creates it from the password given on standard input, later
# runs unlock it with the same password. Exports VELQUARIN_TEST_KEYRING=1 once the default
# collection is there and unlocked (the tests that need the keyring skip without it), and the
# daemon's process id as VELQUARIN_TEST_KEYRING_PID.

# shellcheck source=lib/bus.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/bus.sh"

velquarin_start_keyring() {
  local password='velquarin-test-keyring'
  local data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
  local log="${TMPDIR:-/tmp}/gnome-keyring-daemon.log"
  local pid owner default locked i

  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    echo "keyring: no session bus; the credential-store tests will be skipped" >&2
    return 0
  fi
  if ! command -v gnome-keyring-daemon >/dev/null 2>&1 || ! command -v gdbus >/dev/null 2>&1; then
    echo "keyring: gnome-keyring-daemon or gdbus missing; the credential-store tests will be skipped" >&2
    return 0
  fi
  owner=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null || true)
  if [ "$owner" = "(true,)" ]; then
    # Someone else's keyring: this bus is not private to the run, so leave it alone.
    echo "keyring: the Secret Service is already provided on this bus; not touching it" >&2
    return 0
  elif [ "$owner" != "(false,)" ]; then
    echo "keyring: the session bus does not answer; the credential-store tests will be skipped" >&2
    return 0
  fi

  mkdir -p "$data_home/keyrings"
  chmod 700 "$data_home/keyrings"
  printf '%s' "$password" |
    gnome-keyring-daemon --foreground --unlock --components=secrets >"$log" 2>&1 &
  pid=$!
  CLEANUP+=("kill $pid 2>/dev/null; wait $pid 2>/dev/null")

  # Ready once it owns the name and reports an unlocked default collection.
  for ((i = 0; i < 100; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "keyring: gnome-keyring-daemon exited:" >&2
      cat "$log" >&2
      return 1
    fi
    if velquarin_bus_name_owned org.freedesktop.secrets; then
      default=$(gdbus call --session --dest org.freedesktop.secrets \
        --object-path /org/freedesktop/secrets \
        --method org.freedesktop.Secret.Service.ReadAlias default 2>/dev/null |
        sed -n "s/^(objectpath '\(.*\)',)$/\1/p")
      if [ -n "$default" ] && [ "$default" != "/" ]; then
        locked=$(gdbus call --session --dest org.freedesktop.secrets --object-path "$default" \
          --method org.freedesktop.DBus.Properties.Get org.freedesktop.Secret.Collection Locked \
          2>/dev/null || true)
        if [ "$locked" = "(<false>,)" ]; then
          export VELQUARIN_TEST_KEYRING=1
          export VELQUARIN_TEST_KEYRING_PID=$pid
          return 0
        fi
      fi
    fi
    sleep 0.1
  done
  echo "keyring: no unlocked default collection after 10 s (default='${default:-}', locked='${locked:-}')" >&2
  cat "$log" >&2
  return 1
}

velquarin_start_keyring
