#!/usr/bin/env bash
# Runs every libFuzzer target of build-fuzz/ for a bounded time each.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for f in build-fuzz/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=fuzz/seeds/${name#fuzz_}
    echo "fuzz: $name for ${seconds}s"
    args=("$corpus")
    [ -d "$seeds" ] && args+=("$seeds")
    "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
        -artifact_prefix="build-fuzz/$name-" \
        "${args[@]}" > "build-fuzz/$name.log" 2>&1 || {
        tail -n 40 "build-fuzz/$name.log"; echo "fuzz: $name found a fault" >&2; exit 1; }
done
echo "fuzz: no findings"
