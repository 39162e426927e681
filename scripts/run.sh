#!/usr/bin/env bash
# Installs what is needed, builds, and starts Korvani (with a local chat server once it is built).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

server=build/bin/korvani-server
server_pid=""
if [ -x "$server" ]; then
  "$server" --listen 127.0.0.1 &
  server_pid=$!
  trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true' EXIT
fi
build/bin/korvani "$@"
