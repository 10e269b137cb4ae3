#!/usr/bin/env bash
# The documents the C and Fortran programs wrote: sound PDFs with the pages
# and sizes asked for, PNG sizes that follow the dpi and cropping settings,
# SVGs that render.
set -euo pipefail
cd "$1"
fail() { echo "check_faces: $*" >&2; exit 1; }
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }

if [ -f implicit.pdf ]; then
  qpdf --check implicit.pdf > /dev/null || fail "implicit.pdf does not pass qpdf --check"
  [ "$(pdfinfo implicit.pdf | awk '/^Pages:/ {print $2}')" = 2 ] || fail "implicit.pdf: not 2 pages"
  [ "$(png_size implicit.png)" = "595 842" ] || fail "implicit.png: $(png_size implicit.png), not the sheet at 72 dpi"
  [ -f implicit-2.png ] || fail "no implicit-2.png"
  head -c 10 implicit.eps | grep -q '%!PS-Adobe' || fail "implicit.eps is not EPS"
  pdffonts implicit.pdf | awk 'NR > 2 && $(NF-4) != "yes" {exit 1}' || fail "implicit.pdf: a font not embedded"
fi
if [ -f module.svg ]; then
  rsvg-convert -o module.svg.png module.svg || fail "module.svg does not render"
  read -r w h < <(png_size module.png)
  # 7 x 2 cm plus the margins at 300 dpi: about 840 x 250 pixels.
  [ "$w" -gt 800 ] && [ "$w" -lt 900 ] && [ "$h" -gt 220 ] && [ "$h" -lt 280 ] || fail "module.png: $w x $h"
fi
if [ -f c.pdf ]; then
  qpdf --check c.pdf > /dev/null || fail "c.pdf does not pass qpdf --check"
  pdfinfo c.pdf | grep -q 'Page size: *595 x 842 pts' || fail "c.pdf: not the whole sheet"
  read -r w h < <(png_size c.png)
  # 4 cm plus the margins at 100 dpi: about 168 pixels wide, a few high.
  [ "$w" -gt 160 ] && [ "$w" -lt 175 ] && [ "$h" -lt 10 ] || fail "c.png: $w x $h"
fi
echo "faces: ok"
