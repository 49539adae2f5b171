#!/usr/bin/env bash
# The manual tool's page placement on chapters of our own: a chapter with a page
# mark begins on that page with "Notes" pages before it, and a chapter that runs
# into the next one's page stops the build.
#   check_layout.sh HVC_MANUAL_TOOL DIAGNOSTIC_LIST
set -uo pipefail
tool=$1 list=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
fail() { echo "layout: $*" >&2; exit 1; }
first() { pdftotext -f "$2" -l "$2" "$1" - 2>/dev/null | grep -m1 -v '^[[:space:]]*$'; }

mkdir "$work/ok" "$work/long"
printf '<!-- page: 1 -->\n# Title\n\n<!-- contents -->\n' >"$work/ok/01.md"
printf '# Right after\n\ntext\n' >"$work/ok/02.md"
printf '<!-- page: 5 -->\n# On five\n\n<!-- error-table -->\n' >"$work/ok/05.md"
"$tool" "$work/ok.pdf" "$work/ok" "$list" 1.0 >/dev/null 2>"$work/err" || { cat "$work/err" >&2; fail "the tool failed"; }
[ "$(first "$work/ok.pdf" 2)" = "Right after" ] || fail "page 2: $(first "$work/ok.pdf" 2)"
[ "$(first "$work/ok.pdf" 3)" = "Notes" ] || fail "page 3: $(first "$work/ok.pdf" 3)"
[ "$(first "$work/ok.pdf" 4)" = "Notes" ] || fail "page 4: $(first "$work/ok.pdf" 4)"
[ "$(first "$work/ok.pdf" 5)" = "On five" ] || fail "page 5: $(first "$work/ok.pdf" 5)"
pdftotext -f 1 -l 1 "$work/ok.pdf" - | tr -s ' \n' ' ' | grep -q "On five 5" || fail "the contents lack 'On five 5'"

printf '<!-- page: 1 -->\n# Title\n' >"$work/long/01.md"
{ echo '# Long'; for i in $(seq 400); do echo; echo "Paragraph $i of a chapter too long for its pages."; done; } >"$work/long/02.md"
printf '<!-- page: 3 -->\n# On three\n' >"$work/long/03.md"
if "$tool" "$work/long.pdf" "$work/long" "$list" 1.0 >/dev/null 2>"$work/err"; then
    fail "a chapter running past the next one's page was accepted"
fi
grep -q "03.md must start on page 3" "$work/err" || fail "unclear message: $(cat "$work/err")"
echo "layout: chapters on their pages, an overrun refused"
