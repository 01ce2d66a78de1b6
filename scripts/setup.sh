#!/usr/bin/env bash
# Idempotent set-up: system packages, npm packages, then the build.
# Every package list under deps/apt/ is installed; each subsystem keeps its own list.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}

wanted_packages() {
  cat deps/apt/*.txt | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u
}

missing_packages() {
  local pkg
  for pkg in $(wanted_packages); do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
  done
}

install_system_packages() {
  local missing
  missing=$(missing_packages | tr '\n' ' ')
  [ -z "${missing// /}" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Run as root, then run this script again:" >&2
    echo "  apt-get update && apt-get install -y $missing" >&2
    exit 1
  fi
  echo "Installing Debian packages: $missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq $missing
}

install_npm_packages() {
  if [ ! -d node_modules ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
    npm ci --no-audit --no-fund --loglevel=error
  fi
}

build() {
  local werror=OFF launcher=""
  [ "${CI:-}" = "true" ] && werror=ON
  # ccache, where present, shares compiled objects between work trees.
  command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DVELQUARIN_WERROR="$werror" $launcher \
    ${CMAKE_EXTRA_ARGS:-} >/dev/null
  cmake --build "$BUILD_DIR" -j "$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
}

install_system_packages
install_npm_packages
build
