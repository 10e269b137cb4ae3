#!/bin/sh
# Random call sequences through the C and the Fortran face: every script of
# the corpus, and COUNT fresh random documents, run through both faces; the
# two faces must write the same bytes, and every document must render in
# Ghostscript (all documents in one Ghostscript run).
#
#   random_calls.sh C_DRIVER FORTRAN_DRIVER GS CORPUS_DIR WORK_DIR [COUNT]
#
# The seed is PLUME_RANDOM_CALLS_SEED, or the day's date (the same all day,
# new every day). A failing document is cut out of its script into
# WORK_DIR/failures/: copy it into CORPUS_DIR to keep it as a regression case.
set -eu
c_driver=$1 fortran_driver=$2 gs=$3 corpus=$4 work=$5 count=${6:-1500}
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
exit $status
