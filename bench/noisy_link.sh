#!/usr/bin/env bash
# Success rate of whole-image transfers over a line that damages replies.
#
#   bench/noisy_link.sh BIN_DIR [RUNS] [PROBABILITIES...]
#
# For each probability P (default 0.01 0.05 0.20) runs RUNS times (default 20)
# "hvcctl read-all" and "hvcctl write-all res/txt/Example.txt" from BIN_DIR against a
# fresh, unpaced "hvc-sim --corrupt P --seed N" and prints how many ended with exit
# code 0. SIM_ARGS adds options to hvc-sim (SIM_ARGS=--single-word-only: a unit
# without block frames). Compare a build of the unchanged code with the current one:
#
#   bench/noisy_link.sh /work/baseline/bin
#   bench/noisy_link.sh build/bin
#
# Not part of the test suite: it measures, it does not check.
set -uo pipefail
cd "$(dirname "$0")/.."
bin=${1:?usage: bench/noisy_link.sh BIN_DIR [RUNS] [PROBABILITIES...]}
runs=${2:-20}
shift $(( $# >= 2 ? 2 : 1 ))
probabilities=("$@")
[ ${#probabilities[@]} -eq 0 ] && probabilities=(0.01 0.05 0.20)
file=res/txt/Example.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Starts the simulator on a fresh EEPROM image; sets $sim_pid.
start_sim() {
    rm -f "$work/unit" "$work/e2"
    "$bin/hvc-sim" --link "$work/unit" --eeprom "$work/e2" --corrupt "$1" --seed "$2" \
        ${SIM_ARGS:-} >"$work/sim.out" 2>/dev/null &
    sim_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/sim.out" ] && [ -L "$work/unit" ] && return 0
        sleep 0.02
    done
    echo "hvc-sim did not start" >&2
    return 1
}

stop_sim() {
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
}

printf '%-6s %-10s %-10s %s\n' P read-all write-all "($bin, $runs runs each)"
for p in "${probabilities[@]}"; do
    reads=0
    writes=0
    for n in $(seq "$runs"); do
        start_sim "$p" "$n" || exit 1
        "$bin/hvcctl" read-all --port "$work/unit" >/dev/null 2>&1 && reads=$((reads + 1))
        stop_sim
        start_sim "$p" "$((n + 1000))" || exit 1
        "$bin/hvcctl" write-all "$file" --port "$work/unit" >/dev/null 2>&1 &&
            writes=$((writes + 1))
        stop_sim
    done
    printf '%-6s %-10s %-10s\n' "$p" "$reads/$runs" "$writes/$runs"
done
