# Helpers the service scripts share (sourced by them, not a service itself).

# True once NAME has an owner on the session bus.
velquarin_bus_name_owned() {
  local owner
  owner=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null || true)
  [ "$owner" = "(true,)" ]
}
