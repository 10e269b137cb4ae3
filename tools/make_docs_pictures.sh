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

# plume-section on the sample event (tools/make_sample_event.py): the raw
# counts with no options, and the P waves filtered and aligned on the pick.
if [ -x "$build/section/plume-section" ]; then
  python3 "$root/tools/make_sample_event.py" "$work/event"
  "$build/section/plume-section" "$work/event" -o "$work/section-raw.eps"
  render "$work/section-raw.eps" "$images/plume-section-raw.png"
  "$build/section/plume-section" "$work/event" --filter bp 0.5 3 --align a --window -20 60 --fill \
    --distance-unit deg --title "P waves, 0.5-3 Hz, aligned on the P pick" -o "$work/section.eps"
  render "$work/section.eps" "$images/plume-section.png"
else
  echo "$0: no plume-section in $build: plume-section.png not redrawn" >&2
fi
