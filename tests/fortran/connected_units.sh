#!/usr/bin/env bash
# Runs connected_units in a scratch directory: every unit the program
# connected holds the program's line and then the document, byte for byte
# the document of a unit nobody connected (fort.11); the close disconnected
# unit 8; unit6_order's document on standard output (a file) stands between
# the lines it printed before and after; every document renders in
# Ghostscript when it is installed.
set -euo pipefail
program=$1 unit6_program=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
printf '%% old line %d\n' 1 2 3 4 5 6 7 8 9 > old.eps
out=$("$program")
[ "$out" = "unit 8 connected after the close: F" ] || { echo "program said: $out"; exit 1; }
expect() {  # file, its first line
  { printf '%s\n' "$2"; cat fort.11; } > expected
  cmp "$1" expected || { echo "$1 differs:"; diff expected "$1" | head; exit 1; }
}
expect mine.eps '% written by the program before the plot'
expect fort.9 '% unit 9'
expect fort.10 '% unit 10'
expect old.eps '% unit 12'
cmp fort.8 fort.11 || { echo "fort.8 is not the second document on unit 8"; exit 1; }
"$unit6_program" > stdout.txt
{ echo BEFORE; cat fort.11; echo AFTER; } > expected
cmp stdout.txt expected || { echo "standard output out of order:"; diff expected stdout.txt | head; exit 1; }
if command -v gs >/dev/null; then
  for doc in mine.eps fort.9 fort.10 old.eps fort.8; do
    out=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$doc" 2>&1) || { echo "$doc: $out"; exit 1; }
    case "$out" in *Error*) echo "$doc: $out"; exit 1 ;; esac
  done
fi
echo "connected units: ok"
