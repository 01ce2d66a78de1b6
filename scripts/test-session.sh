#!/usr/bin/env bash
# Inside the test session: start the services of scripts/test-services/*.sh (in name order;
# each may push a clean-up command onto CLEANUP), then run the C++ and JavaScript suites.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}

CLEANUP=()
cleanup() {
  local i
  for ((i = ${#CLEANUP[@]} - 1; i >= 0; i--)); do eval "${CLEANUP[i]}" || true; done
}
trap cleanup EXIT

for service in scripts/test-services/*.sh; do
  [ -e "$service" ] || continue
  # shellcheck disable=SC1090
  source "$service"
done

# For a focused run while developing: CTEST_REGEX selects C++ tests (ctest -R), JS_TESTS the
# JavaScript test files (space-separated); "skip" leaves that suite out.
status=0
if [ "${CTEST_REGEX:-}" != skip ]; then
  ctest --test-dir "$BUILD_DIR" --output-on-failure ${CTEST_REGEX:+-R "$CTEST_REGEX"} || status=1
fi
if [ "${JS_TESTS:-}" != skip ]; then
  # shellcheck disable=SC2086
  node --test ${JS_TESTS:-tests/js/} || status=1
fi
exit $status
