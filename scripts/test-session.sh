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

status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure || status=1
node --test tests/js/ || status=1
exit $status
