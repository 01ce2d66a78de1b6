#!/usr/bin/env bash
# Runs a command in a private session bus with an unlocked keyring of its own.
#   bash scripts/keyring-session.sh node bench/keychain.bench.js
exec bash "$(dirname "$0")/private-session.sh" keyring "$@"
