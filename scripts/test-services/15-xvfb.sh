# A private X display for the tests that need one (clipboard, global shortcuts, tray,
# screenshots): Xvfb on a free display number, no TCP. Exports its name as
# VELQUARIN_TEST_DISPLAY and its process id as VELQUARIN_TEST_XVFB_PID; tests pass the display
# to the processes they start. DISPLAY itself stays unset, so nothing else in the run reaches
# an X server. Without Xvfb the tests that need a display are skipped. -noreset keeps what a
# client that has left set on the server (the root window colour a screenshot test paints).

velquarin_start_xvfb() {
  local ready pid i
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "xvfb: Xvfb missing; the tests that need a display will be skipped" >&2
    return 0
  fi
  ready="${TMPDIR:-/tmp}/xvfb-shared.display"
  : >"$ready"
  # -displayfd picks a free display number and writes it once the server accepts clients.
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 3>"$ready" >"${TMPDIR:-/tmp}/xvfb-shared.log" 2>&1 &
  pid=$!
  CLEANUP+=("kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -f '$ready'")
  for ((i = 0; i < 100; i++)); do
    if [ -s "$ready" ]; then
      export VELQUARIN_TEST_DISPLAY=":$(tr -d '[:space:]' <"$ready")"
      export VELQUARIN_TEST_XVFB_PID=$pid
      return 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "xvfb: Xvfb exited:" >&2
      cat "${TMPDIR:-/tmp}/xvfb-shared.log" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "xvfb: no display after 10 s" >&2
  return 1
}

velquarin_start_xvfb
