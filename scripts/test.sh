#!/usr/bin/env bash
# Sets up, builds and runs every test (CTest), the style and static checks, then
# the sanitizer pass and the fuzzers.
#   scripts/test.sh          everything
#   scripts/test.sh quick    the plain build's tests and the checks only
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
scripts/build.sh
ctest --test-dir build --output-on-failure -j2
scripts/lint.sh build
[ "${1:-}" = quick ] && exit 0
scripts/build.sh asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2
scripts/build.sh fuzz
scripts/fuzz.sh "${HVC_FUZZ_SECONDS:-60}"
