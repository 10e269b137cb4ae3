#!/usr/bin/env bash
# The demo's formats step: every example program writes its picture as EPS
# and, through the library itself, as PNG (no Ghostscript needed to look at
# them); the gallery is also written as one PDF and one SVG. Into demo/.
# Usage: tools/demo_formats.sh [build dir] (default: build, or PLUME_BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-${PLUME_BUILD_DIR:-build}}
case $build in /*) ;; *) build=$root/$build ;; esac
[ -d "$build/examples" ] || { echo "$0: build the examples in $build first" >&2; exit 1; }
out=$root/demo
mkdir -p "$out"

run_example() {  # program, output path
  local args=("$2")
  [ "$(basename "$1")" = example_plot_data ] && args+=("$root/examples/data/temperature.txt")
  "$1" "${args[@]}"
}

found=0
for program in "$build"/examples/example_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program"); name=${name#example_}
  run_example "$program" "$out/$name.eps"
  run_example "$program" "$out/$name.png"
  echo "$name: $out/$name.eps $out/$name.png"
  found=$((found + 1))
done
[ "$found" -gt 0 ] || { echo "$0: no example programs in $build/examples" >&2; exit 1; }
if [ -x "$build/examples/example_gallery" ]; then
  run_example "$build/examples/example_gallery" "$out/gallery.pdf"
  run_example "$build/examples/example_gallery" "$out/gallery.svg"
  echo "gallery: $out/gallery.pdf $out/gallery.svg (pages after the first: gallery-2.svg ...)"
fi
