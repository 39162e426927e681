#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/, run with leak detection on. Any report fails the test that caused it.
# Arguments go to ctest (e.g. -R tst_dispatcher).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ ! -f build-sanitize/build.ninja ]; then
  # -O1 keeps the build and the run short while the reports still name every line;
  # the benchmarks are not tests and are left out.
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DKORVANI_SANITIZE=ON -DKORVANI_BENCHMARKS=OFF
fi
cmake --build build-sanitize
suppressions="$PWD/scripts/lsan-suppressions.txt"
cd build-sanitize
# intercept_tls_get_addr=0: GCC 12's sanitizer misreads, on this glibc, the thread-local blocks of
# libraries loaded at run time (the CUPS print plugin a QPrinter loads), and LeakSanitizer then
# crashes at exit. Without the interceptor those blocks are still scanned, as the heap blocks glibc
# makes them from.
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j3 "$@"
