#!/usr/bin/env bash
# Runs the demo host after set-up and build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec node examples/demo.js "$@"
