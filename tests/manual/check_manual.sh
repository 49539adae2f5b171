#!/usr/bin/env bash
# Every page F1 opens must begin with its topic's heading, read back from the PDF
# as a technician's viewer shows it.
#   check_manual.sh HVCMANUAL.pdf
set -uo pipefail
pdf=$1
command -v pdftotext >/dev/null || { echo "pdftotext (poppler-utils) is missing" >&2; exit 1; }
[ -s "$pdf" ] || { echo "no manual at $pdf" >&2; exit 1; }
# Page and heading: the main window (Help menu), the Configure page, the dither
# dialog, the Monitor, Diagnostic, Debugger and Info pages, the palette dialog.
topics=(
    "1|HVC Configurator"
    "10|The Configure page"
    "18|The solenoid and dither dialog"
    "26|The Monitor page"
    "29|The Diagnostic page"
    "33|The Debugger page"
    "34|The Info page"
    "36|Section colours"
)
faults=0
for topic in "${topics[@]}"; do
    page=${topic%%|*}
    heading=${topic#*|}
    first=$(pdftotext -f "$page" -l "$page" "$pdf" - 2>/dev/null | grep -m1 -v '^[[:space:]]*$')
    if [ "$first" != "$heading" ]; then
        echo "page $page begins with '$first', expected '$heading'" >&2
        faults=$((faults + 1))
    fi
done
# The error texts are the shipped ones.
text=$(pdftotext "$pdf" - 2>/dev/null)
for entry in "E43" "Section 2 open coil A" "Supply voltage low"; do
    grep -qF "$entry" <<<"$text" || { echo "the manual lacks '$entry'" >&2; faults=$((faults + 1)); }
done
[ $faults -eq 0 ] && echo "manual: every F1 page begins with its topic"
exit $((faults > 0))
