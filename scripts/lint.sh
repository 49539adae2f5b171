#!/usr/bin/env bash
# Style and static checks: clang-format must leave every source as it is, and
# clang-tidy (.clang-tidy: bug-prone code and the naming rule of
# docs/architecture.md) must find nothing in src/, tests/, tools/ and bench/. Needs the compile commands
# of a configured build (scripts/build.sh writes build/compile_commands.json).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/hvc-format.log; then
    grep -E "error:" /tmp/hvc-format.log | cut -d: -f1 | sort -u | sed 's/^/lint: not clang-formatted: /' >&2
    exit 1
fi
build=${1:-build}
[ -f "$build/compile_commands.json" ] || { echo "lint: no $build/compile_commands.json" >&2; exit 2; }
log=$(mktemp)
run-clang-tidy -p "$build" -j 2 -quiet "$(pwd)/(src|tests|tools|bench)/.*\.cpp" >"$log" 2>&1 || true
findings=$(grep -E "(warning|error): " "$log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u || true)
rm -f "$log"
if [ -n "$findings" ]; then
    echo "$findings" >&2
    echo "lint: clang-tidy findings (fix them; .clang-tidy says which checks run)" >&2
    exit 1
fi
echo "lint: clang-format and clang-tidy clean"
