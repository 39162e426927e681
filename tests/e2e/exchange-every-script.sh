#!/usr/bin/env bash
# Two korvani programs on a display of their own, signed on to a korvani-server of their own, with
# the desktop's accessibility bus so that a test can type into one and read the other's
# conversation as a screen reader does (exchange_every_script.py); raw peers in the same room see
# the bytes.
# Usage: exchange-every-script.sh KORVANI KORVANI_SERVER ADDRESS
set -euo pipefail
client=$1 server=$2 address=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# Each program reads its settings, pictures and sounds beside itself.
for user in ann bob; do
  mkdir "$work/$user"
  cp "$client" "$work/$user/korvani"
  cp -r "$(dirname "$client")/smile" "$(dirname "$client")/sound" "$work/$user/"
  cp "$(dirname "$client")"/korvani-sound.so "$work/$user/" 2>/dev/null || true
  printf '[UserSvr]\r\nUser=%s\r\nSvr=%s\r\nAC=1\r\n' "$user" "$address" > "$work/$user/Options.ini"
done

"$server" --listen "$address" --name Korvani > "$work/server.log" 2>&1 &

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"

status=0
dbus-run-session -- bash -c '
  trap "kill \$(jobs -p) 2>/dev/null" EXIT
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  sleep 1
  /usr/bin/python3 "$2/exchange_every_script.py" "$3" "$1"
' check "$work" "$here" "$address" || status=$?
if [ "$status" -ne 0 ]; then
  echo "== server log"; cat "$work/server.log"
  for user in ann bob; do echo "== $user"; cat "$work/$user/client.log" 2>/dev/null || true; done
fi
exit "$status"
