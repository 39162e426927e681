#!/usr/bin/env bash
# Starts korvani on a display of its own with the desktop's accessibility bus, lets it sign on to a
# korvani-server of its own, and reads what a screen reader would find (screen_reader_view.py).
# Usage: check-accessibility.sh KORVANI KORVANI_SERVER ADDRESS
set -euo pipefail
client=$1 server=$2 address=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# The program reads its settings, pictures and sounds beside itself.
cp "$client" "$work/korvani"
cp -r "$(dirname "$client")/smile" "$(dirname "$client")/sound" "$work/"
printf '[UserSvr]\r\nUser=reader\r\nSvr=%s\r\nAC=1\r\n' "$address" > "$work/Options.ini"

"$server" --listen "$address" --name Korvani > "$work/server.log" 2>&1 &

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"

dbus-run-session -- bash -c '
  trap "kill \$(jobs -p) 2>/dev/null" EXIT
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  sleep 1
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1/korvani" >"$1/client.log" 2>&1 &
  /usr/bin/python3 "$2/screen_reader_view.py" reader "$3"
' check "$work" "$here" "$address"
