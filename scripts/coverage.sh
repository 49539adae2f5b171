#!/usr/bin/env bash
# Line and branch coverage of src/ by the CTest suites, one row per folder.
#   scripts/coverage.sh            -> build-coverage/, summary on stdout and in
#                                     build-coverage/coverage.txt
# A Debug build with gcc's --coverage; the package test is left out (it runs
# the installed programs, not the instrumented tree).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
dir=build-coverage
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DHVC_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$dir" -j2
find "$dir" -name '*.gcda' -delete
ctest --test-dir "$dir" -j2 -LE package --timeout 300 >"$dir/ctest.log" 2>&1 ||
    echo "coverage: some tests failed, see $dir/ctest.log" >&2
gcovr --root . --filter 'src/' --exclude-unreachable-branches --exclude-throw-branches \
    --json "$dir/coverage.json" "$dir" >/dev/null
python3 - "$dir/coverage.json" <<'PY' | tee "$dir/coverage.txt"
import collections, json, sys
rows = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in json.load(open(sys.argv[1]))["files"]:
    parts = f["file"].split("/")
    folder = "/".join(parts[:2]) if parts[0] == "src" else parts[0]
    r = rows[folder]
    for line in f["lines"]:
        if line.get("gcovr/noncode"):
            continue
        r[0] += 1
        r[1] += line["count"] > 0
        for b in line.get("branches", []):
            r[2] += 1
            r[3] += b["count"] > 0
print(f"{'folder':<16}{'lines':>8}{'line %':>9}{'branches':>10}{'branch %':>10}")
total = [0, 0, 0, 0]
for folder in sorted(rows):
    r = rows[folder]
    total = [a + b for a, b in zip(total, r)]
    print(f"{folder:<16}{r[0]:>8}{100 * r[1] / max(r[0], 1):>9.1f}{r[2]:>10}{100 * r[3] / max(r[2], 1):>10.1f}")
print(f"{'all':<16}{total[0]:>8}{100 * total[1] / max(total[0], 1):>9.1f}{total[2]:>10}{100 * total[3] / max(total[2], 1):>10.1f}")
PY
