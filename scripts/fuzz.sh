#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan, in build-fuzz/) and runs them.
#
#   bash scripts/fuzz.sh <target> [seconds]   one target (default 60 s; 0 runs until stopped)
#   bash scripts/fuzz.sh --ci                 every target for FUZZ_SECONDS (default 30) each
#   bash scripts/fuzz.sh --list               the target names
#
# A crash, leak, time-out, memory overrun or sanitizer report fails the run; its input is
# copied into fuzz/regressions/<target>/ (commit it with the fix). Inputs that only add
# coverage stay out of the repository: build-fuzz/corpus/ for single runs, a temporary
# folder in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
RSS_LIMIT_MB=${FUZZ_RSS_LIMIT_MB:-2048}
INPUT_TIMEOUT=${FUZZ_INPUT_TIMEOUT:-10}

targets() {
  sed -n '/^set(VELQUARIN_FUZZ_TARGETS/,/)/p' fuzz/CMakeLists.txt |
    sed -e 's/set(VELQUARIN_FUZZ_TARGETS//' -e 's/)//' | tr -s ' \n' '\n' | grep -v '^$'
}

dictionary_for() {
  case "$1" in
    object_store) echo fuzz/dictionaries/object_store.dict ;;
    property_list) echo fuzz/dictionaries/property_list.dict ;;
    status_menu | host_json) echo fuzz/dictionaries/json.dict ;;
  esac
}

build() {
  local launcher=""
  command -v ccache >/dev/null 2>&1 &&
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
  # shellcheck disable=SC2086
  CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELQUARIN_FUZZ=ON -DVELQUARIN_TESTS=OFF -DVELQUARIN_WERROR="$([ "${CI:-}" = true ] && echo ON || echo OFF)" \
    $launcher >/dev/null
  cmake --build "$BUILD_DIR" -j "$(nproc)" --target "$@"
}

# Runs one target; $1 name, $2 seconds, $3 folder for new corpus entries, $4 log file.
run_target() {
  local target=$1 seconds=$2 corpus=$3 log=$4
  local artifacts="$scratch/artifacts/$target/"
  mkdir -p "$corpus" "$artifacts" "fuzz/regressions/$target"
  local args=(-max_total_time="$seconds" -rss_limit_mb="$RSS_LIMIT_MB" -timeout="$INPUT_TIMEOUT"
    -artifact_prefix="$artifacts" -print_final_stats=1)
  local dict
  dict=$(dictionary_for "$target")
  [ -n "$dict" ] && args+=(-dict="$dict")
  local status=0
  # The first folder takes new entries; seeds and regressions are only read.
  "$BUILD_DIR/fuzz_$target" "${args[@]}" "$corpus" "fuzz/corpus/$target" \
    "fuzz/regressions/$target" >"$log" 2>&1 || status=$?
  local kept=()
  local file
  # Slow inputs are only reported; crashes, leaks, time-outs and memory overruns are kept.
  for file in "$artifacts"crash-* "$artifacts"leak-* "$artifacts"timeout-* "$artifacts"oom-*; do
    [ -f "$file" ] || continue
    local name
    name=$(basename "$file")
    cp "$file" "fuzz/regressions/$target/$name"
    kept+=("fuzz/regressions/$target/$name")
  done
  summary "$target" "$status" "$log"
  if [ "$status" -ne 0 ] || [ ${#kept[@]} -gt 0 ]; then
    echo "---- $target failed (exit $status); end of its log:" >&2
    tail -n 60 "$log" >&2
    for file in "${kept[@]}"; do echo "Input kept as a regression case: $file" >&2; done
    return 1
  fi
}

# One line per target: executions, speed and the coverage reached.
summary() {
  local target=$1 status=$2 log=$3
  local runs speed cov ft
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  printf '%-14s %s  runs %s  exec/s %s  cov %s  ft %s\n' "$target" \
    "$([ "$status" -eq 0 ] && echo ok || echo FAILED)" "${runs:-?}" "${speed:-?}" "${cov:-?}" \
    "${ft:-?}"
}

# Targets that read preferences or files see a throw-away home, never the user's.
# In memory where possible: the store target saves (and syncs) files for every input.
sandbox() {
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch=$(mktemp -d -p /dev/shm)
  else
    scratch=$(mktemp -d)
  fi
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$scratch/home" "$scratch/tmp"
  export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config"
  export XDG_CACHE_HOME="$scratch/home/.cache" XDG_DATA_HOME="$scratch/home/.local/share"
  export TMPDIR="$scratch/tmp"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
}

case "${1:-}" in
  --list)
    targets
    ;;
  --ci)
    mapfile -t all < <(targets)
    build velquarin_fuzz_targets
    sandbox
    failed=()
    for target in "${all[@]}"; do
      run_target "$target" "$FUZZ_SECONDS" "$scratch/corpus/$target" "$scratch/$target.log" ||
        failed+=("$target")
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "Fuzzing failed: ${failed[*]}" >&2
      exit 1
    fi
    ;;
  "" | -h | --help)
    sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
    [ -n "${1:-}" ]
    ;;
  *)
    target=$1
    seconds=${2:-60}
    if ! targets | grep -qx "$target"; then
      echo "No fuzz target named $target; there are: $(targets | tr '\n' ' ')" >&2
      exit 2
    fi
    build "fuzz_$target"
    sandbox
    log="$root/$BUILD_DIR/fuzz-$target.log"
    echo "Fuzzing $target for ${seconds}s; log: $log"
    run_target "$target" "$seconds" "$root/$BUILD_DIR/corpus/$target" "$log"
    ;;
esac
