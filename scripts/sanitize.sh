#!/usr/bin/env bash
# Builds everything (both add-ons, the test probe, the platform library and the C++ tests) with
# AddressSanitizer and UndefinedBehaviorSanitizer into build-asan, then runs the C++ tests and the
# JavaScript suite against that build in the private test session of scripts/run-tests.sh.
# Any sanitizer report, from any process of the run, fails it. docs/Sanitizers.md explains the
# options and the leak suppressions.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=${SANITIZE_BUILD_DIR:-build-asan}
export BUILD_TYPE=Debug
export CMAKE_EXTRA_ARGS="-DVELQUARIN_SANITIZE=ON ${CMAKE_EXTRA_ARGS:-}"
started=$SECONDS
bash scripts/setup.sh
echo "sanitizers: build took $((SECONDS - started)) s"

# The add-ons need the sanitizer runtime loaded before anything else in node. Preloading it into
# every process would also load it into the system tools the tests start (secret-tool deadlocks
# in glibc's gettext lock under it, and each reports its own leaks), so instead node is run from a
# copy whose first needed libraries are the runtimes: every node the suite starts, including
# children started through process.execPath, is sanitized, and nothing else is.
command -v patchelf >/dev/null 2>&1 || { echo "sanitizers: patchelf is missing (deps/apt/sanitizers.txt)" >&2; exit 1; }
node_real=$(readlink -f "$(command -v node)")
node_bin="$PWD/$BUILD_DIR/sanitized-node"
if [ ! -x "$node_bin/node" ] || [ "$node_real" -nt "$node_bin/node" ]; then
  mkdir -p "$node_bin"
  cp "$node_real" "$node_bin/node.tmp"
  # --add-needed puts the library first; the address runtime must come first of all.
  patchelf --add-needed "$(gcc -print-file-name=libubsan.so)" "$node_bin/node.tmp"
  patchelf --add-needed "$(gcc -print-file-name=libasan.so)" "$node_bin/node.tmp"
  mv "$node_bin/node.tmp" "$node_bin/node"
fi
export PATH="$node_bin:$PATH"
# For the one child that runs only JavaScript and is too slow sanitized (the type checker).
export VELQUARIN_UNSANITIZED_NODE="$node_real"

config="$PWD/scripts/sanitizers"
reports="$PWD/$BUILD_DIR/sanitizer-reports"
rm -rf "$reports" && mkdir -p "$reports"
# Reports go to one file per process, so a report from a child whose exit status no test looks
# at still fails the run. Use-after-return and initialisation-order checks are on as well.
# intercept_tls_get_addr=0: with it on, this runtime misreads glibc's
# dynamic TLS blocks and the leak checker's tracer crashes. The crash reporter's tests raise
# SIGSEGV and SIGBUS on purpose and check that the process dies of them: those signals are left
# to the module's handler.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:intercept_tls_get_addr=0:handle_segv=0:handle_sigbus=0:handle_sigfpe=0:log_path=$reports/asan"
export LSAN_OPTIONS="suppressions=$config/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"

status=0
tests_started=$SECONDS
bash scripts/run-tests.sh || status=1
echo "sanitizers: tests took $((SECONDS - tests_started)) s"

shopt -s nullglob
found=("$reports"/*)
if [ ${#found[@]} -gt 0 ]; then
  for report in "${found[@]}"; do
    echo "=== sanitizer report: $report" >&2
    cat "$report" >&2
  done
  echo "sanitizers: ${#found[@]} report(s) above" >&2
  status=1
fi
exit $status
