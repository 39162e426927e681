#!/usr/bin/env bash
# Installs what is needed, builds the client and the chat server (nothing else), starts the server
# on 127.0.0.1 and then Korvani; the server stops when Korvani exits. Arguments go to Korvani.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
echo "Building korvani and korvani-server (the first build takes a few minutes)..."
cmake --build build --target korvani korvani-server

server_log=$(mktemp)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -f "$server_log"
}
trap cleanup EXIT

build/bin/korvani-server --listen 127.0.0.1 2>"$server_log" &
server_pid=$!
# Korvani starts only once its server listens: with the port taken it would sign on to whatever
# answers there.
for _ in $(seq 100); do
  grep -q "listening on" "$server_log" && break
  if ! kill -0 "$server_pid" 2>/dev/null; then
    server_pid=""
    echo "The local chat server could not start:" >&2
    sed 's/^/  /' "$server_log" >&2
    echo "Is another chat server already using port 1290 on 127.0.0.1? Stop it, or start Korvani" >&2
    echo "alone with build/bin/korvani and sign on to that server." >&2
    exit 1
  fi
  sleep 0.1
done
if ! grep -q "listening on" "$server_log"; then
  echo "The local chat server did not start listening within 10 seconds." >&2
  exit 1
fi
echo "Chat server listening on 127.0.0.1 port 1290; starting Korvani."
build/bin/korvani "$@"
