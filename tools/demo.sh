#!/usr/bin/env bash
# Builds Plume (in build-demo/), runs traceplot on the bundled sample and
# every example program, and writes the EPS documents into demo/, each with
# a PNG preview per page (<name>.png, or <name>-<page>.png for documents of
# several pages), cropped to the drawing. Installs missing Debian packages
# first (see tools/prerequisites.sh).
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

readonly resolution=150  # dpi: 0.3-point lines and tick numbers stay legible
readonly margin=4        # points around the drawing

gs_quiet=(gs -q -dSAFER -dBATCH -dNOPAUSE)

# The drawing's box on each page as Ghostscript's bbox device measures it,
# in sheet points: one "x0 y0 x1 y1" line per page.
page_boxes() {
  "${gs_quiet[@]}" -sDEVICE=bbox "$1" 2>&1 |
    awk '/^%%HiResBoundingBox:/ { print int($2), int($3), int($4) + 1, int($5) + 1 }'
}

# EPS -> one PNG per page, each cropped to its page's drawing (widened by
# the margin). A box given as "x0 y0 x1 y1" after the document replaces the
# measured ones.
preview() {
  local eps=$1 base=${1%.eps} page=0 boxes pages x0 y0 x1 y1 png
  rm -f "$base.png" "$base"-[0-9]*.png
  boxes=${2:-$(page_boxes "$eps")}
  pages=$(wc -l <<< "$boxes")
  while read -r x0 y0 x1 y1; do
    page=$((page + 1))
    png=$base.png
    [ "$pages" -gt 1 ] && png=$base-$page.png
    x0=$((x0 - margin)) y0=$((y0 - margin)) x1=$((x1 + margin)) y1=$((y1 + margin))
    "${gs_quiet[@]}" -sDEVICE=png16m -r$resolution -dTextAlphaBits=4 -dGraphicsAlphaBits=4 \
      -dFirstPage=$page -dLastPage=$page -dFIXEDMEDIA \
      -dDEVICEWIDTHPOINTS=$((x1 - x0)) -dDEVICEHEIGHTPOINTS=$((y1 - y0)) -sOutputFile="$png" \
      -c "<</BeginPage {$((-x0)) $((-y0)) translate}>> setpagedevice" -f "$eps"
    echo "  preview: $png"
  done <<< "$boxes"
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

for program in "$build"/examples/example_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program"); name=${name#example_}
  args=("$out/$name.eps")
  [ "$name" = plot_data ] && args+=("$root/examples/data/temperature.txt")
  "$program" "${args[@]}"
  echo "$name: $out/$name.eps"
  preview "$out/$name.eps"
done
