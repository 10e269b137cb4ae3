#!/bin/sh
# Random call sequences through the C and the Fortran face: every script of
# the corpus, and COUNT fresh random documents, run through both faces; the
# two faces must write the same bytes, and every document must render in
# Ghostscript (all documents in one Ghostscript run).
#
# With COMPARE_PAGES (tests/fuzz/compare_pages.cpp) SAMPLE further random
# documents (default 30), with no far arguments, are written in every
# format and compared page by page with the EPS as Ghostscript renders it:
# the PDF (through
# pdftoppm), the SVG (rsvg-convert) and the PNG on the whole sheet must show
# the same ink; the cropped PNG page must hold all of it, and so must an EPS
# box in the header.
#
#   random_calls.sh C_DRIVER FORTRAN_DRIVER GS CORPUS_DIR WORK_DIR [COUNT [COMPARE_PAGES [SAMPLE]]]
#
# The seed is PLUME_RANDOM_CALLS_SEED, or the day's date (the same all day,
# new every day). A failing document is cut out of its script into
# WORK_DIR/failures/: copy it into CORPUS_DIR to keep it as a regression case.
set -eu
c_driver=$1 fortran_driver=$2 gs=$3 corpus=$4 work=$5 count=${6:-1500} compare=${7:-} sample=${8:-30}
seed=${PLUME_RANDOM_CALLS_SEED:-$(date -u +%Y%m%d)}

rm -rf "$work"
mkdir -p "$work/documents" "$work/failures"
work=$(cd "$work" && pwd)
cp "$corpus"/*.calls "$work/" 2>/dev/null || true
"$c_driver" generate "$seed" "$count" "$work/random-$seed.calls"
echo "random calls: seed $seed, $count documents, corpus of $(ls "$corpus"/*.calls 2>/dev/null | wc -l) scripts"

status=0
for script in "$work"/*.calls; do
  base=$(basename "$script" .calls)
  "$c_driver" run "$script" "$work/documents/$base-c-" 2>>"$work/c.stderr"
  "$fortran_driver" "$script" "$work/documents/$base-f-" 2>>"$work/fortran.stderr"
done

# The same calls give the same document through either face.
for c in "$work"/documents/*-c-*.eps; do
  f=$(echo "$c" | sed 's/-c-\([0-9]*\)\.eps$/-f-\1.eps/')
  if ! cmp -s "$c" "$f"; then
    echo "FAIL: the faces differ: $c $f"
    status=1
  fi
done

# Every document renders: one Ghostscript run, each document in a save
# level of its own, its errors caught and named.
driver="$work/render.ps"
cat >"$driver" <<'PS'
/plumetry {
  /plumefile exch def
  /plumesave save def
  plumefile { run } stopped {
    (PLUMEFAIL ) print plumefile print ( ) print $error /errorname get =string cvs print (\n) print flush
  } if
  clear cleardictstack
  userdict /plumesave get restore
} bind def
PS
documents=0
for c in "$work"/documents/*-c-*.eps; do
  echo "($c) plumetry" >>"$driver"
  documents=$((documents + 1))
done
"$gs" -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "--permit-file-read=$work/documents/" "$driver" \
  >"$work/gs.out" 2>&1 || { echo "FAIL: Ghostscript stopped"; status=1; }
grep PLUMEFAIL "$work/gs.out" | while read -r _ path error; do
  base=$(basename "$path" .eps)
  script=${base%-c-*}
  number=$(echo "${base##*-c-}" | sed 's/^0*//')
  # The document's calls: from its open (operation 1) to the next open.
  awk -v k="$number" '$1 == 1 { d++ } d == k' "$work/$script.calls" >"$work/failures/$script-$number.calls"
  echo "FAIL: $path: $error (calls in $work/failures/$script-$number.calls)"
done
if grep -q PLUMEFAIL "$work/gs.out"; then status=1; fi
echo "random calls: $documents documents per face rendered, $(grep -c PLUMEFAIL "$work/gs.out" || true) failed"
[ -n "$compare" ] || exit $status

# The sample, page by page, at 72 dots per inch: one pixel is one point of
# the A4 sheet. Far points are left out: Ghostscript and cairo each lose
# their precision their own way there.
pages="$work/pages"
mkdir -p "$pages"
"$c_driver" generate-near "$((seed + 1))" "$sample" "$pages/sample.calls"
"$c_driver" run "$pages/sample.calls" "$pages/d-" eps 2>/dev/null
"$c_driver" run "$pages/sample.calls" "$pages/d-" pdf sheet 72 2>/dev/null
"$c_driver" run "$pages/sample.calls" "$pages/d-" svg sheet 72 2>/dev/null
"$c_driver" run "$pages/sample.calls" "$pages/d-sheet-" png sheet 72 2>/dev/null
"$c_driver" run "$pages/sample.calls" "$pages/d-crop-" png crop 72 2>/dev/null
page_file() {  # NAME.ext, NAME-2.ext, ...
  if [ "$2" -eq 1 ]; then echo "$1.$3"; else echo "$1-$2.$3"; fi
}
fail_page() {
  number=$(echo "$1" | sed 's/^0*//')
  awk -v k="$number" '$1 == 1 { d++ } d == k' "$pages/sample.calls" >"$work/failures/pixels-$1.calls"
  echo "FAIL: page $2 of $pages/d-$1: $3: $4 (calls in $work/failures/pixels-$1.calls)"
  status=1
}
compared=0
for eps in "$pages"/d-[0-9]*.eps; do
  n=$(basename "$eps" .eps | sed 's/^d-//')
  d="$pages/d-$n"
  "$gs" -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -sPAPERSIZE=a4 -dFIXEDMEDIA -dTextAlphaBits=4 \
    -dGraphicsAlphaBits=4 -r72 "-sOutputFile=$d-gs-%d.png" "$eps" >/dev/null 2>&1 || continue
  pdftoppm -r 72 -png "$d.pdf" "$d-poppler" 2>/dev/null || { fail_page "$n" 1 PDF "pdftoppm cannot read it"; continue; }
  gs_pages=$(ls "$d"-gs-*.png | wc -l)
  pdf_pages=$(ls "$d"-poppler-*.png | wc -l)
  if [ "$gs_pages" -ne "$pdf_pages" ]; then
    fail_page "$n" 1 PDF "$pdf_pages pages, the EPS $gs_pages"
    continue
  fi
  box=$(sed -n '2s/^%%BoundingBox: *\(-*[0-9][0-9 -]*\)$/\1/p' "$eps")
  for k in $(seq 1 "$gs_pages"); do
    reference="$d-gs-$k.png"
    poppler=$(ls "$d"-poppler-*.png | sed -n "${k}p")
    rsvg-convert -d 72 -p 72 -o "$d-rsvg-$k.png" "$(page_file "$d" "$k" svg)" 2>/dev/null ||
      fail_page "$n" "$k" SVG "rsvg-convert cannot read it"
    for other in "PDF $poppler" "SVG $d-rsvg-$k.png" "PNG $(page_file "$pages/d-sheet-$n" "$k" png)"; do
      why=$("$compare" alike "$reference" "${other#* }" 2>&1) || fail_page "$n" "$k" "${other%% *}" "$why"
    done
    why=$("$compare" crop "$reference" "$(page_file "$pages/d-crop-$n" "$k" png)" 2>&1) ||
      fail_page "$n" "$k" "cropped PNG" "$why"
    if [ -n "$box" ]; then
      why=$("$compare" box "$reference" 72 $box 2>&1) || fail_page "$n" "$k" "EPS header box" "$why"
    fi
  done
  compared=$((compared + 1))
done
echo "random calls: $compared documents compared by pixels in every format"
exit $status
