#!/usr/bin/env python3
"""Checks monitor recordings against the words hvc-sim sent.

soak_check.py RAMLIST SIM_LOG CSV...

SIM_LOG is hvc-sim's --verbose log; each reply line names the word it answered
and the value it carried (before any bit was flipped on the way). A recorded
value is right when it is, in display units, one of the values the unit sent
for that word, no earlier than the one matched for the row before.
"""
import csv
import re
import sys

REPLY = re.compile(r"READ (\w{4}\.\w\w) seq \d+ -> VALUE (-?\d+) seq")


def load_map(path):
    words = {}
    with open(path, encoding="latin-1") as f:
        next(f)
        for line in f:
            cells = line.rstrip("\r\n").split("\t")
            if len(cells) < 14:
                cells += [""] * (14 - len(cells))
            name, address, sub, unit, formula = cells[0], cells[1], cells[2], cells[10], cells[12]
            words[name] = (f"{address.upper()}.{sub.upper()}", unit, formula)
    return words


def to_display(raw, formula):
    if not formula:
        return float(raw)
    m = re.fullmatch(r"X/(\d+)", formula)
    if not m:
        raise SystemExit(f"formula {formula!r} is not one this check knows")
    return raw / int(m.group(1))


def main():
    words = load_map(sys.argv[1])
    served = {}
    with open(sys.argv[2], encoding="latin-1") as f:
        for line in f:
            m = REPLY.search(line)
            if m:
                served.setdefault(m.group(1), []).append(int(m.group(2)))
    where = {address: 0 for address in served}
    rows = wrong = 0
    for path in sys.argv[3:]:
        with open(path, newline="", encoding="utf-8") as f:
            table = list(csv.reader(f))
        if not table:
            continue
        header = table[0]
        columns = []
        for title in header[1:]:
            name = re.sub(r" (\(hex\)|\[[^]]*\])$", "", title)
            address, unit, formula = words[name]
            columns.append((title, address, formula, title.endswith("(hex)")))
        for row in table[1:]:
            rows += 1
            if len(row) != len(header):
                wrong += 1
                print(f"{path}: incomplete row {row}")
                continue
            for (title, address, formula, hexword), cell in zip(columns, row[1:]):
                values = served.get(address, [])
                start = where.get(address, 0)
                found = None
                for i in range(start, len(values)):
                    raw = values[i] & 0xFFFF if hexword else values[i]
                    shown = raw if hexword else to_display(raw, formula)
                    value = int(cell, 16) if hexword else float(cell)
                    if abs(shown - value) < 1e-6:
                        found = i
                        break
                if found is None:
                    wrong += 1
                    print(f"{path}: {title} = {cell} was never sent for {address} (row {rows})")
                else:
                    where[address] = found
    print(f"rows={rows} wrong_values={wrong}")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
