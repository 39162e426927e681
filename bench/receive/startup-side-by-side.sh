#!/bin/sh
# Start-up of korvani, of the Qt floor (bench_qt_floor: the same Qt pieces, nothing of korvani's
# own) and of HexChat when it is installed, one start of each in turn, so that a busy machine
# slows all three alike; then the median of each: exec -> first window mapped, in ms.
#   nsrun bench/receive/startup-side-by-side.sh [ROUNDS] [BUILD_FOLDER]
rounds=${1:-15}
bin=${2:-build}/bin
figures=$(mktemp -d)
trap 'rm -rf "$figures"' EXIT

start_once() { # NAME BENCH_OPTIONS...
    name=$1
    shift
    "$bin/bench_receive" "$@" startup 1 | awk '$1 == "1" { print $2 }' >>"$figures/$name"
}

for round in $(seq "$rounds"); do
    start_once korvani
    start_once qt-floor --client "$bin/bench_qt_floor"
    if command -v hexchat >/dev/null; then start_once hexchat --hexchat; fi
done

for name in korvani qt-floor hexchat; do
    [ -s "$figures/$name" ] || continue
    sort -n "$figures/$name" | awk -v name="$name" '{ v[NR] = $1 }
        END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%-9s median %5.1f ms of %d starts (min %.1f, max %.1f)\n", name, m, NR, v[1], v[NR] }'
done
