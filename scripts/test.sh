#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
# --sanitize: the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/.
if [ "${1:-}" = "--sanitize" ]; then
  shift
  exec scripts/test-sanitize.sh "$@"
fi
scripts/install-deps.sh
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j3 "$@"
