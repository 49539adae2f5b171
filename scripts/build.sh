#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh            -> build/        (RelWithDebInfo)
#   scripts/build.sh asan       -> build-asan/   (AddressSanitizer + UBSan)
#   scripts/build.sh fuzz       -> build-fuzz/   (clang, libFuzzer targets)
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-default}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
case "$flavour" in
    default) dir=build; extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    asan)    dir=build-asan; extra=(-DCMAKE_BUILD_TYPE=Debug -DHVC_SANITIZE=ON) ;;
    fuzz)    dir=build-fuzz; extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHVC_FUZZ=ON
                                    -DCMAKE_CXX_COMPILER=clang++) ;;
    *) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "${extra[@]}" >/dev/null
target=()
[ "$flavour" = fuzz ] && target=(--target fuzzers)
cmake --build "$dir" -j2 "${target[@]}"
