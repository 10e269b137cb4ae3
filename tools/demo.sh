#!/usr/bin/env bash
# Builds Plume, runs traceplot on the bundled sample and every example
# program, and writes the EPS documents (with PNG previews when Ghostscript
# is installed) into demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${PLUME_BUILD_DIR:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPLUME_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
out=$root/demo
mkdir -p "$out"

preview() {  # EPS -> PNG: cropped to the header box when the document has one
  command -v gs >/dev/null 2>&1 || return 0
  local crop=(-sPAPERSIZE=a4)
  if sed -n 2p "$1" | grep -Eq '^%%BoundingBox: *-?[0-9]+ +-?[0-9]+ +-?[0-9]+ +-?[0-9]+'; then crop=(-dEPSCrop); fi
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r60 "${crop[@]}" \
     -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -sOutputFile="${1%.eps}.png" "$1"
}

# traceplot's document (portrait, pen motions only) carries its box in the
# trailer, in page coordinates: give a copy the sheet box, with a margin, on
# line 2 for its preview.
with_header_box() {
  local x0 y0 x1 y1
  read -r _ x0 y0 x1 y1 < <(tail -n 1 "$1")
  { head -n 1 "$1"
    printf '%%%%BoundingBox: %d %d %d %d\n' $((x0 - 1)) $((y0 - 1)) $((x1 + 11)) $((y1 + 11))
    tail -n +2 "$1"; } > "$2"
}

(cd "$out" && cp "$root/examples/traces/fort.10" fort.10 &&
   "$build/traceplot" < "$root/examples/traces/params.txt" && mv fort.8 traceplot.eps && rm -f fort.10)
with_header_box "$out/traceplot.eps" "$out/traceplot-cropped.eps"
preview "$out/traceplot-cropped.eps" && mv "$out/traceplot-cropped.png" "$out/traceplot.png"
rm -f "$out/traceplot-cropped.eps"
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
