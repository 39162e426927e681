#!/usr/bin/env bash
# What Orca says while another user joins, writes and writes privately, the keyboard focus staying
# in the input line. Run by hand (Orca is not among the build's packages: apt-get install orca
# speech-dispatcher). Speech goes through speech-dispatcher to a file, one utterance a line, which
# the script prints.
# Usage: orca-speech.sh KORVANI KORVANI_SERVER ADDRESS
set -euo pipefail
client=$1 server=$2 address=$3
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher/modules" "$XDG_RUNTIME_DIR" "$work/app"
chmod 700 "$XDG_RUNTIME_DIR"
# No sound card: libao's null driver takes the audio, the generic module writes the text.
echo default_driver=null > "$HOME/.libao"
cat > "$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<CONF
AddModule "file" "sd_generic" "file.conf"
DefaultModule file
DefaultLanguage "en"
AudioOutputMethod "libao"
CONF
cat > "$XDG_CONFIG_HOME/speech-dispatcher/modules/file.conf" <<CONF
GenericExecuteSynth "echo \'\$DATA\' >> $work/spoken.txt"
AddVoice "en" "MALE1" "file"
GenericLanguage "en" "en" "utf-8"
CONF

cp "$client" "$work/app/korvani"
cp -r "$(dirname "$client")/smile" "$(dirname "$client")/sound" "$work/app/"
printf '[UserSvr]\r\nUser=reader\r\nSvr=%s\r\nAC=1\r\n' "$address" > "$work/app/Options.ini"
"$server" --listen "$address" --name Korvani > "$work/server.log" 2>&1 &

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"

dbus-run-session -- bash -c '
  trap "kill \$(jobs -p) 2>/dev/null" EXIT
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  sleep 1
  orca --debug-file="$1/orca-debug.txt" >"$1/orca.log" 2>&1 &
  sleep 4
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1/app/korvani" >"$1/client.log" 2>&1 &
  sleep 4
  # Without a window manager the window gets the keyboard focus only when given it.
  xdotool search --name "Korvani 1.0" windowfocus
  sleep 1
  /usr/bin/python3 - "$2" <<PY
import socket, sys, time
with socket.create_connection((sys.argv[1], 1290)) as peer:
    for block in (b"Join bob", b"Message bob:hello", b"PMMessage reader:bob|psst, a secret"):
        peer.sendall(block)
        time.sleep(3)
PY
' speech "$work" "$address" 2>/dev/null
cat "$work/spoken.txt"
