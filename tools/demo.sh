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

# The drawing's box on each page, in sheet points, widened by the margin:
# one "x0 y0 x1 y1" line per page. A document that gives its box in its
# header has one page and that box; for the others Ghostscript's bbox
# device measures each page.
page_boxes() {
  local header
  header=$(sed -n 2p "$1")
  if [[ $header =~ ^%%BoundingBox:\ *(-?[0-9]+)\ +(-?[0-9]+)\ +(-?[0-9]+)\ +(-?[0-9]+) ]]; then
    echo "$((BASH_REMATCH[1] - margin)) $((BASH_REMATCH[2] - margin))" \
         "$((BASH_REMATCH[3] + margin)) $((BASH_REMATCH[4] + margin))"
    return
  fi
  "${gs_quiet[@]}" -sDEVICE=bbox "$1" 2>&1 |
    awk -v m=$margin '/^%%HiResBoundingBox:/ {
      x0 = int($2) - m; y0 = int($3) - m; x1 = int($4) + 1 + m; y1 = int($5) + 1 + m
      print x0, y0, x1, y1 }'
}

# traceplot's document (portrait, one page) gives its box in the trailer, in
# page coordinates: a copy with that box on line 2, in sheet coordinates
# (the portrait page starts 5 points into the sheet), for the preview.
with_header_box() {
  local x0 y0 x1 y1
  read -r _ x0 y0 x1 y1 < <(tail -n 1 "$1")
  { head -n 1 "$1"
    printf '%%%%BoundingBox: %d %d %d %d\n' $((x0 + 5)) $((y0 + 5)) $((x1 + 5)) $((y1 + 5))
    tail -n +2 "$1"; } > "$2"
}

# EPS -> one PNG per page, each cropped to its page's drawing.
preview() {
  local eps=$1 base=${1%.eps} page=0 pages x0 y0 x1 y1 png
  rm -f "$base.png" "$base"-[0-9]*.png
  pages=$(page_boxes "$eps" | wc -l)
  while read -r x0 y0 x1 y1; do
    page=$((page + 1))
    png=$base.png
    [ "$pages" -gt 1 ] && png=$base-$page.png
    "${gs_quiet[@]}" -sDEVICE=png16m -r$resolution -dTextAlphaBits=4 -dGraphicsAlphaBits=4 \
      -dFirstPage=$page -dLastPage=$page -dFIXEDMEDIA \
      -dDEVICEWIDTHPOINTS=$((x1 - x0)) -dDEVICEHEIGHTPOINTS=$((y1 - y0)) -sOutputFile="$png" \
      -c "<</BeginPage {$((-x0)) $((-y0)) translate}>> setpagedevice" -f "$eps"
    echo "  preview: $png"
  done < <(page_boxes "$eps")
}

(cd "$out" && cp "$root/examples/traces/fort.10" fort.10 &&
   "$build/traceplot" < "$root/examples/traces/params.txt" && mv fort.8 traceplot.eps && rm -f fort.10)
echo "traceplot: $out/traceplot.eps"
with_header_box "$out/traceplot.eps" "$out/traceplot-boxed.eps"
preview "$out/traceplot-boxed.eps" >/dev/null
mv "$out/traceplot-boxed.png" "$out/traceplot.png" && rm "$out/traceplot-boxed.eps"
echo "  preview: $out/traceplot.png"

for program in "$build"/examples/example_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program"); name=${name#example_}
  args=("$out/$name.eps")
  [ "$name" = plot_data ] && args+=("$root/examples/data/temperature.txt")
  "$program" "${args[@]}"
  echo "$name: $out/$name.eps"
  preview "$out/$name.eps"
done
