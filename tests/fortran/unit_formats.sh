#!/usr/bin/env bash
# Runs unit_formats in a scratch directory: a unit the program opened on
# mine.pdf, mine.svg or mine.png holds a document of that format (the
# earlier mine.pdf replaced), and a unit opened with position='append'
# keeps every earlier line of its file ahead of the document (fort.13).
set -euo pipefail
program=$1 work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work"
printf 'not a PDF yet\n' > mine.pdf
printf '%% earlier line %d\n' 1 2 3 > appended.eps
cp appended.eps appended-after-line.eps
"$program"
[ "$(head -c 5 mine.pdf)" = "%PDF-" ] || { echo "mine.pdf is not a PDF: $(head -c 40 mine.pdf)"; exit 1; }
head -c 200 mine.svg | grep -q '<svg' || { echo "mine.svg is not an SVG: $(head -c 40 mine.svg)"; exit 1; }
[ "$(head -c 4 mine.png | tail -c 3)" = "PNG" ] || { echo "mine.png is not a PNG"; exit 1; }
if command -v qpdf >/dev/null; then qpdf --check mine.pdf >/dev/null || { echo "mine.pdf: qpdf --check failed"; exit 1; }; fi
{ printf '%% earlier line %d\n' 1 2 3; cat fort.13; } > expected
cmp appended.eps expected || { echo "appended.eps differs:"; diff expected appended.eps | head; exit 1; }
{ printf '%% earlier line %d\n' 1 2 3; echo '% unit 12'; cat fort.13; } > expected
cmp appended-after-line.eps expected || { echo "appended-after-line.eps differs:"; diff expected appended-after-line.eps | head; exit 1; }
echo "unit formats: ok"
