#!/usr/bin/env bash
# Runs every benchmark under bench/ after set-up and build. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for bench in bench/*.bench.js; do
  echo "== $bench"
  node "$bench"
done
