#!/usr/bin/env bash
# Runs one fuzz target with libFuzzer for a while: fuzz/run.sh TARGET MINUTES [libFuzzer options]
# TARGET is dispatcher, framedreader, markup, linkpolicy, profilefile or chatroom. Builds the libFuzzer programs
# with clang into build-fuzz/ first. New interesting inputs are kept in build-fuzz/corpus/TARGET
# (the seed corpus in fuzz/corpus/TARGET is only read); a crashing input is written to
# build-fuzz/findings/TARGET/. A finding goes into fuzz/corpus/TARGET/ under a name that says what
# it found, with a test of the fault next to the code that had it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: fuzz/run.sh TARGET MINUTES [libFuzzer options]" >&2
  exit 2
fi
target=$1
minutes=$2
shift 2
if [ ! -f "fuzz/fuzz_$target.cpp" ]; then
  echo "no fuzz target '$target' (fuzz/fuzz_$target.cpp)" >&2
  exit 2
fi
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVANI_FUZZ=ON -DKORVANI_BENCHMARKS=OFF
fi
cmake --build build-fuzz --target "fuzz_$target"
work=build-fuzz/corpus/$target
findings=build-fuzz/findings/$target
mkdir -p "$work" "$findings"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
exec "build-fuzz/bin/fuzz_$target" "$work" "fuzz/corpus/$target" \
  -dict="fuzz/dict/$target.dict" -max_total_time=$((minutes * 60)) \
  -artifact_prefix="$findings/" -print_final_stats=1 "$@"
