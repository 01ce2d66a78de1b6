#!/usr/bin/env bash
# Runs a command in a private session bus with a notification server of its own.
#   bash scripts/notification-session.sh node bench/notifications.bench.js
exec bash "$(dirname "$0")/private-session.sh" notifications "$@"
