#!/usr/bin/env bash
# Builds Plume, runs traceplot on the bundled sample and every example
# program, and writes the EPS documents (with PNG previews when Ghostscript
# is installed) into demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${PLUME_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPLUME_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
out=$root/demo
mkdir -p "$out"

preview() {  # EPS -> PNG of the drawing
  if command -v gs >/dev/null 2>&1; then
    gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r60 -sPAPERSIZE=a4 \
       -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -sOutputFile="${1%.eps}.png" "$1"
  fi
}

(cd "$out" && cp "$root/examples/traces/fort.10" fort.10 &&
   "$root/$build/traceplot" < "$root/examples/traces/params.txt" && mv fort.8 traceplot.eps && rm -f fort.10)
preview "$out/traceplot.eps"
echo "traceplot: $out/traceplot.eps"

for program in "$build"/examples/example_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program"); name=${name#example_}
  args=("$out/$name.eps")
  [ "$name" = plot_data ] && args+=("$root/examples/data/temperature.txt")
  "$program" "${args[@]}"
  preview "$out/$name.eps"
  echo "$name: $out/$name.eps"
done
