#!/usr/bin/env bash
# Builds Plume (in build-demo/), runs traceplot on the bundled sample and
# every example program, and writes the EPS documents into demo/, each with
# a PNG per page (<name>.png, then <name>-<page>.png), cropped to the
# drawing: the examples' PNGs are drawn by the library itself, traceplot's
# (whose output unit is always fort.8) by Ghostscript. Installs missing
# Debian packages first (see tools/prerequisites.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/prerequisites.sh
plume_install_missing "${plume_build_packages[@]}"
root=$PWD
build=${PLUME_DEMO_BUILD_DIR:-build-demo}
case $build in /*) ;; *) build=$root/$build ;; esac
# Every option on each run: the demo needs no tests, and its own directory
# keeps it from changing what tools/test.sh builds.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPLUME_BUILD_TESTS=OFF -DPLUME_BUILD_EXAMPLES=ON \
      -DPLUME_BUILD_BENCH=OFF -DPLUME_FUZZ=OFF -DPLUME_SANITIZE= >/dev/null
cmake --build "$build" -j2 >/dev/null
out=$root/demo
mkdir -p "$out"

readonly resolution=150  # dpi of traceplot's preview: 0.3-point lines stay legible
readonly margin=4        # points around its drawing

# EPS of one page -> PNG cropped to the box "x0 y0 x1 y1" (sheet points),
# widened by the margin.
preview() {
  local eps=$1 png=${1%.eps}.png x0 y0 x1 y1
  read -r x0 y0 x1 y1 <<< "$2"
  x0=$((x0 - margin)) y0=$((y0 - margin)) x1=$((x1 + margin)) y1=$((y1 + margin))
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r$resolution -dTextAlphaBits=4 -dGraphicsAlphaBits=4 \
    -dFIXEDMEDIA -dDEVICEWIDTHPOINTS=$((x1 - x0)) -dDEVICEHEIGHTPOINTS=$((y1 - y0)) -sOutputFile="$png" \
    -c "<</BeginPage {$((-x0)) $((-y0)) translate}>> setpagedevice" -f "$eps"
  echo "  preview: $png"
}

# traceplot's document (portrait, one page) gives its box in the trailer, in
# page coordinates; the portrait page starts 5 points into the sheet. (The
# bbox device would also count the pen's first move, to the page origin.)
sheet_box_of_traceplot() {
  local x0 y0 x1 y1
  read -r _ x0 y0 x1 y1 < <(tail -n 1 "$1")
  echo "$((x0 + 5)) $((y0 + 5)) $((x1 + 5)) $((y1 + 5))"
}

(cd "$out" && cp "$root/examples/traces/fort.10" fort.10 &&
   "$build/traceplot" < "$root/examples/traces/params.txt" && mv fort.8 traceplot.eps && rm -f fort.10)
echo "traceplot: $out/traceplot.eps"
preview "$out/traceplot.eps" "$(sheet_box_of_traceplot "$out/traceplot.eps")"

# Every example as EPS and, through the library itself, as PNG (one per
# page, cropped to everything drawn, at 150 dpi); the gallery also as one
# PDF and one SVG (pages after the first: gallery-2.svg, ...).
run_example() {  # program, output path
  local args=("$2")
  [ "$(basename "$1")" = example_plot_data ] && args+=("$root/examples/data/temperature.txt")
  "$1" "${args[@]}"
}
for program in "$build"/examples/example_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program"); name=${name#example_}
  rm -f "$out/$name.png" "$out/$name"-[0-9]*.png "$out/$name"-[0-9]*.svg
  run_example "$program" "$out/$name.eps"
  run_example "$program" "$out/$name.png"
  echo "$name: $out/$name.eps $out/$name.png"
done
run_example "$build/examples/example_gallery" "$out/gallery.pdf"
run_example "$build/examples/example_gallery" "$out/gallery.svg"
echo "gallery: $out/gallery.pdf $out/gallery.svg"

# plume-section on the sample event's SAC files (written here by
# tools/make_sample_event.py): as they stand, and filtered and aligned.
if [ -x "$build/section/plume-section" ]; then
  rm -rf "$out/event"
  python3 "$root/tools/make_sample_event.py" "$out/event"
  "$build/section/plume-section" "$out/event" -o "$out/section.eps"
  "$build/section/plume-section" "$out/event" -o "$out/section.png"
  "$build/section/plume-section" "$out/event" --filter bp 0.5 3 --align a --window -20 60 --fill \
    --distance-unit deg --title "P waves, 0.5-3 Hz, aligned on the P pick" -o "$out/section-p.pdf"
  "$build/section/plume-section" "$out/event" --filter bp 0.5 3 --align a --window -20 60 --fill \
    --distance-unit deg --title "P waves, 0.5-3 Hz, aligned on the P pick" -o "$out/section-p.png"
  echo "plume-section: $out/section.eps $out/section.png $out/section-p.pdf $out/section-p.png"
else
  echo "plume-section: not built (needs libsegyio-dev and libmseed-dev)" >&2
fi
