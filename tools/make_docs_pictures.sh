#!/usr/bin/env bash
# Draws the pictures of the documentation into docs/images/: runs every
# example_doc_<family> program of a build and renders its document with
# Ghostscript, cropped to the drawing, as docs/images/<family>.png (the
# family with hyphens: example_doc_plot_control gives plot-control.png);
# then runs traceplot on the bundled sample for traceplot.png.
# Builds nothing: build the examples and traceplot first.
# Usage: tools/make_docs_pictures.sh <build dir>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 <build dir>" >&2; exit 2; }
build=$(cd "$1" && pwd)
command -v gs >/dev/null || { echo "$0: Ghostscript (gs) is needed" >&2; exit 1; }
images=$root/docs/images
mkdir -p "$images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# EPS -> PNG, cropped to the document's header box.
render() {
  gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m -r100 \
     -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -sOutputFile="$2" "$1"
  echo "$2"
}

found=0
for program in "$build"/examples/example_doc_*; do
  [ -x "$program" ] || continue
  family=${program##*/example_doc_}
  "$program" "$work/$family.eps"
  render "$work/$family.eps" "$images/${family//_/-}.png"
  found=$((found + 1))
done
if [ "$found" -eq 0 ]; then
  echo "$0: no example_doc_* programs in $build/examples: build them first" >&2
  exit 1
fi

# traceplot takes no options, so its document carries its box only in the
# trailer, in page coordinates: the copy rendered here gets it on line 2, on
# the sheet (5 points further in portrait), with a margin of 6 points.
if [ -x "$build/traceplot" ]; then
  (cd "$work" && cp "$root/examples/traces/fort.10" . && "$build/traceplot" < "$root/examples/traces/params.txt")
  read -r _ x0 y0 x1 y1 < <(tail -n 1 "$work/fort.8")
  {
    head -n 1 "$work/fort.8"
    printf '%%%%BoundingBox: %d %d %d %d\n' $((x0 - 1)) $((y0 - 1)) $((x1 + 11)) $((y1 + 11))
    tail -n +2 "$work/fort.8"
  } > "$work/traceplot.eps"
  render "$work/traceplot.eps" "$images/traceplot.png"
else
  echo "$0: no traceplot in $build: traceplot.png not redrawn" >&2
fi

# plume-section on a small synthetic section: 24 SAC files written by the
# benchmark's input maker (needs /usr/bin/python3 with python3-segyio).
if [ -x "$build/section/plume-section" ] && /usr/bin/python3 -c 'import segyio' 2>/dev/null; then
  /usr/bin/python3 "$root/bench/e2e/make_section_inputs.py" "$work/section" 24 1000
  "$build/section/plume-section" "$work"/section/sac/*.sac --fill --window 0 3.2 \
    --title "Synthetic record section, 24 SAC files" -o "$work/section.eps"
  render "$work/section.eps" "$images/plume-section.png"
else
  echo "$0: no plume-section in $build (or no segyio): plume-section.png not redrawn" >&2
fi
