#!/usr/bin/env bash
# Soak of the live monitor over a bad line: polls hvc-sim --drop 0.05 --corrupt 0.05
# with "hvcctl monitor --csv" for MINUTES, connecting again whenever a pass fails
# (the unit stopped answering three times in a row), then checks every value of
# every recording against the words the simulator really sent (its --verbose log):
# each value must be one the unit gave for that word, in the order it gave them.
#
#   scripts/soak_monitor.sh [MINUTES] [BIN_DIR]      (default: 10 build/bin)
#
# Prints runs, failed passes, failed connects, reconnects, rows, wrong values and
# crashes; exits 1 on a wrong value or a crash. Not part of the test suite.
set -uo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
bin=${2:-build/bin}
work=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT

"$bin/hvc-sim" --link "$work/unit" --drop 0.05 --corrupt 0.05 --seed 11 --verbose \
    >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done

end=$((SECONDS + $(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')))
runs=0 failed_passes=0 failed_connects=0 crashes=0
while [ $SECONDS -lt $end ]; do
    runs=$((runs + 1))
    csv=$(printf '%s/run%05d.csv' "$work" "$runs")
    timeout --preserve-status --signal=INT $((end - SECONDS + 1)) \
        "$bin/hvcctl" monitor --port "$work/unit" --timeout 200 --csv "$csv" \
        >/dev/null 2>"$work/last.err"
    rc=$?
    case $rc in
        0) ;;                                   # ended by the soak's Ctrl-C
        1) if [ -s "$csv" ]; then failed_passes=$((failed_passes + 1));
           else failed_connects=$((failed_connects + 1)); fi ;;
        *) crashes=$((crashes + 1)); echo "run $runs ended with $rc:"; cat "$work/last.err" ;;
    esac
done
kill -INT "$sim_pid"; wait "$sim_pid" 2>/dev/null

python3 scripts/soak_check.py res/ini/Ramlist.ini "$work/sim.log" "$work"/run*.csv
check=$?
echo "runs=$runs failed_passes=$failed_passes failed_connects=$failed_connects" \
     "reconnects=$((runs - 1)) crashes=$crashes"
[ $check -eq 0 ] && [ $crashes -eq 0 ]
