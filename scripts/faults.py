#!/usr/bin/env python3
"""Applies the deliberate faults of tests/faults.md one at a time to a build tree,
builds, runs CTest and records which tests caught each fault (the GoogleTest
cases first; the other suites only when none of those failed).

    scripts/faults.py [--build DIR] [--out FILE] [F01 F02 ...]
    scripts/faults.py --compare BEFORE.tsv AFTER.tsv   # a Markdown table of both runs

The source file is restored after every fault, also on Ctrl-C. Results go to
FILE (default DIR/faults.tsv) as: fault, status, failing tests.
"""
import argparse
import pathlib
import re
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
NEWLINE = "\u23ce"
# GoogleTest cases (named Suite.Case) first, then the Qt Test and script suites:
# a fault caught by the fast suites does not wait for the windows.
STAGES = [["-R", r"\."], ["-E", r"\."]]


def read_faults(path):
    faults = []
    current = None
    for line in path.read_text(encoding="utf-8").splitlines():
        heading = re.match(r"^### (F\d+) (.*)$", line)
        if heading:
            current = {"id": heading.group(1), "title": heading.group(2), "file": None, "edits": []}
            faults.append(current)
            continue
        field = re.match(r"^    (file|find|replace): (.*)$", line)
        if not field or current is None:
            continue
        key, text = field.group(1), field.group(2).replace(NEWLINE, "\n")
        if key == "file":
            current["file"] = text
        elif key == "find":
            current["edits"].append([text, None])
        else:
            current["edits"][-1][1] = text
    return faults


def apply(fault):
    path = ROOT / fault["file"]
    original = path.read_text(encoding="utf-8")
    text = original
    for find, replace in fault["edits"]:
        count = text.count(find)
        if count != 1:
            raise ValueError(f"{fault['id']}: '{find}' occurs {count} times in {fault['file']}")
        text = text.replace(find, replace)
    path.write_text(text, encoding="utf-8")
    return path, original


def run(cmd, log):
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"\n$ {' '.join(cmd)}\n")
        out.flush()
        return subprocess.run(cmd, cwd=ROOT, stdout=out, stderr=subprocess.STDOUT).returncode


def failed_tests(build):
    log = build / "Testing" / "Temporary" / "LastTestsFailed.log"
    if not log.exists():
        return []
    return [line.split(":", 1)[1] for line in log.read_text().splitlines() if ":" in line]


def catchers(tests, shown=2):
    if not tests:
        return "-"
    more = f" (+{len(tests) - shown})" if len(tests) > shown else ""
    return ", ".join(tests[:shown]) + more


def compare(before_path, after_path):
    def load(path):
        rows = {}
        for line in pathlib.Path(path).read_text(encoding="utf-8").splitlines():
            fields = line.split("\t")
            rows[fields[0]] = (fields[1], fields[2].split() if len(fields) > 2 else [])
        return rows

    before, after = load(before_path), load(after_path)
    print("| Fault | Before | Caught before by | After | Caught after by |")
    print("|---|---|---|---|---|")
    for fault in sorted(set(before) | set(after)):
        b = before.get(fault, ("not run", []))
        a = after.get(fault, ("not run", []))
        print(f"| {fault} | {b[0]} | {catchers(b[1])} | {a[0]} | {catchers(a[1])} |")
    return 0


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--compare":
        return compare(sys.argv[2], sys.argv[3])
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--out")
    parser.add_argument("--ctest-args", default="-j2 --timeout 240 -LE package")
    parser.add_argument("ids", nargs="*")
    args = parser.parse_args()
    build = (ROOT / args.build).resolve()
    out = pathlib.Path(args.out) if args.out else build / "faults.tsv"
    log = build / "faults.log"
    faults = read_faults(ROOT / "tests" / "faults.md")
    if args.ids:
        faults = [f for f in faults if f["id"] in args.ids]
    for fault in faults:  # every edit must apply before anything runs
        path, original = apply(fault)
        path.write_text(original, encoding="utf-8")
    ctest = ["ctest", "--test-dir", str(build)] + args.ctest_args.split()
    caught = 0
    with open(out, "a", encoding="utf-8") as results:
        for fault in faults:
            started = time.time()
            path, original = apply(fault)
            try:
                if run(["cmake", "--build", str(build), "-j2"], log) != 0:
                    status, tests = "does-not-build", []
                else:
                    tests = []
                    for stage in STAGES:  # the next stage runs only when nothing failed
                        (build / "Testing" / "Temporary" / "LastTestsFailed.log").unlink(missing_ok=True)
                        run(ctest + stage, log)
                        tests = failed_tests(build)
                        if tests:  # a test that fails again is no timing accident
                            run(ctest + ["--rerun-failed"], log)
                            again = set(failed_tests(build))
                            tests = [t for t in tests if t in again]
                        if tests:
                            break
                    status = "caught" if tests else "MISSED"
            finally:
                path.write_text(original, encoding="utf-8")
            caught += status == "caught"
            line = f"{fault['id']}\t{status}\t{' '.join(tests)}"
            results.write(line + "\n")
            results.flush()
            print(f"{line}\t({time.time() - started:.0f} s)", flush=True)
    run(["cmake", "--build", str(build), "-j2"], log)
    print(f"{caught} of {len(faults)} faults caught", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
