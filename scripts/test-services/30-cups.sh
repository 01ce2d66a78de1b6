# A private CUPS scheduler for the printing tests: cupsd in the foreground with every folder,
# log and its socket inside this run's temporary folder, and one raw queue, VelquarinTest,
# whose device is a file there (through a capture backend) (so a test reads back exactly what was printed). Exports
# CUPS_SERVER (the socket; libcups and the lp tools honour it) and VELQUARIN_TEST_PRINT_OUTPUT.
# Without cupsd or lpadmin the printing tests are skipped.

velquarin_start_cups() {
  local root="${TMPDIR:-/tmp}/cups-test" socket pid i
  if ! command -v cupsd >/dev/null 2>&1 && [ ! -x /usr/sbin/cupsd ]; then
    echo "cups: cupsd missing; the printing tests will be skipped" >&2
    return 0
  fi
  rm -rf "$root"
  mkdir -p "$root"/{etc/ppd,spool/tmp,cache,state,log,out,bin/backend}
  # A backend of its own: it appends each job's document, unchanged, to the file its device
  # URI names (capture:/path). cupsd's built-in file device writes nothing for raw jobs
  # without the filters of the full cups package.
  printf '#!/bin/sh\n[ $# -eq 0 ] && exit 0\nout=${DEVICE_URI#capture:}\nif [ -n "$6" ]; then cat -- "$6" >>"$out"; else cat >>"$out"; fi\n' \
    >"$root/bin/backend/capture"
  chmod 0755 "$root/bin/backend/capture"
  # cupsd starts backends through its cups-exec helper in the same folder.
  ln -s /usr/lib/cups/daemon "$root/bin/daemon"
  socket="$root/cups.sock"
  cat >"$root/etc/cupsd.conf" <<CONF
Listen $socket
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$root/etc/cups-files.conf" <<CONF
ServerRoot $root/etc
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
ServerBin $root/bin
FileDevice Yes
CONF
  # As root cupsd runs backends as its unprivileged user, who cannot enter this run's private
  # folder, unless only their owner may run them.
  if [ "$(id -u)" -ne 0 ]; then
    printf 'User %s\nGroup %s\n' "$(id -un)" "$(id -gn)" >>"$root/etc/cups-files.conf"
  else
    chmod 0700 "$root/bin/backend/capture"
  fi
  PATH="$PATH:/usr/sbin" cupsd -f -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf" \
    >"$root/log/cupsd.out" 2>&1 &
  pid=$!
  CLEANUP+=("kill $pid 2>/dev/null; wait $pid 2>/dev/null")
  for ((i = 0; i < 100; i++)); do
    [ -S "$socket" ] && break
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "cups: cupsd exited:" >&2
      cat "$root/log/cupsd.out" "$root/log/error_log" >&2 2>/dev/null
      return 0
    fi
    sleep 0.1
  done
  if ! PATH="$PATH:/usr/sbin" lpadmin -h "$socket" -p VelquarinTest -E \
    -v "capture:$root/out/VelquarinTest.out" -m raw >"$root/log/lpadmin.out" 2>&1 ||
    ! PATH="$PATH:/usr/sbin" lpadmin -h "$socket" -d VelquarinTest >>"$root/log/lpadmin.out" 2>&1; then
    echo "cups: the test queue could not be made:" >&2
    cat "$root/log/lpadmin.out" >&2
    return 0
  fi
  export CUPS_SERVER="$socket"
  export VELQUARIN_TEST_PRINT_OUTPUT="$root/out/VelquarinTest.out"
}

velquarin_start_cups
