#!/usr/bin/env bash
# What a plotting program leaves on disk when it dies or the disk fills.
#   run.sh FAULT_PLOTTER WORK_DIR [sanitized]
# - EPS: for every fatal signal the document holds every line drawn before
#   it, ends with a trailer, and renders in Ghostscript; the process died of
#   that signal. Under the sanitizers, whose handlers come first, the lines
#   are there; the trailer too when the report ends in abort()
#   (ASAN_OPTIONS=abort_on_error=1, as tools/test.sh sets); a division by
#   zero is theirs to report.
# - PDF, SVG, PNG: the earlier file is left byte for byte, and nothing else
#   is left in its directory, whether the program dies before its close or
#   while the page is drawn.
# - A full disk (a 64 KiB tmpfs, or a file size limit where mounting is not
#   allowed): the failure is reported, the earlier PDF, SVG or PNG stays
#   and nothing is left behind.
set -uo pipefail
plotter=$(realpath "$1") work=$2 sanitized=${3:-}
umount "$work/full" 2>/dev/null  # left mounted by a run that was killed
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

signal_number() { kill -l "$1"; }

# The whole document of a normal run: the reference.
"$plotter" whole.eps close >/dev/null 2>&1 || fail "a normal run failed"
head -n -3 whole.eps > body.eps  # without "stroke", "showpage" and the box

hows=(segv bus ill abrt term int hup)
[ -z "$sanitized" ] && hows+=(fpe)
declare -A signal_of=([segv]=SEGV [bus]=BUS [fpe]=FPE [ill]=ILL [abrt]=ABRT [term]=TERM [int]=INT [hup]=HUP)

for how in "${hows[@]}"; do
  doc=$how.eps
  "$plotter" "$doc" "$how" >/dev/null 2>"$how.err"
  status=$?
  expected=$((128 + $(signal_number "${signal_of[$how]}")))
  # Every line drawn before the signal, then the trailer the handler wrote.
  lines=$(wc -l < body.eps)
  head -n "$lines" "$doc" | cmp -s - body.eps || fail "$how: the lines drawn before the signal are not all in $doc"
  if [ -z "$sanitized" ]; then
    [ "$status" -eq "$expected" ] || fail "$how: exit status $status, not $expected (killed by SIG${signal_of[$how]})"
  elif [ "$status" -le 128 ]; then
    continue  # the sanitizer's report ended the program with _exit: no trailer
  fi
  tail -n 1 "$doc" | grep -q '^%%BoundingBox: ' || fail "$how: $doc does not end with its box"
  grep -c '^showpage$' "$doc" | grep -qx 1 || fail "$how: $doc has not one showpage"
  if command -v gs >/dev/null; then
    out=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$doc" 2>&1) || fail "$how: gs: $out"
    case "$out" in *Error*) fail "$how: gs: $out" ;; esac
  fi
done

# PDF, SVG and PNG: the earlier file stays, nothing is left beside it.
formats=(pdf svg png)
for format in "${formats[@]}"; do
  mkdir -p "keep-$format" && cd "keep-$format" || exit 1
  printf 'the earlier %s\n' "$format" > "figure.$format"
  cp "figure.$format" earlier
  for how in segv abrt term; do
    "$plotter" "figure.$format" "$how" >/dev/null 2>&1
    cmp -s "figure.$format" earlier || fail "$format, $how: the earlier figure.$format was changed"
    [ "$(ls -A | sort | tr '\n' ' ')" = "earlier figure.$format " ] || fail "$format, $how: left behind: $(ls -A)"
  done
  # Signalled while the page is drawn: the same.
  motions=400000
  [ "$format" = png ] && motions=20000
  "$plotter" "figure.$format" render "$motions" >/dev/null 2>&1
  status=$?
  [ "$status" -eq $((128 + $(signal_number TERM))) ] || fail "$format: signalled while drawn, exit status $status"
  cmp -s "figure.$format" earlier || fail "$format, signalled while drawn: the earlier figure.$format was changed"
  [ "$(ls -A | sort | tr '\n' ' ')" = "earlier figure.$format " ] || fail "$format, signalled while drawn: left behind: $(ls -A)"
  cd .. || exit 1
done

# A full disk.
mkdir -p full
mounted=
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64k plume-fault-test full 2>/dev/null; then
  mounted=yes
  trap 'umount "$work/full" 2>/dev/null' EXIT
fi
full_run() {  # format, where the figure is, TMPDIR, what the case is
  local format=$1 figure=$2/figure.$1 tmp=$3 what=$4
  rm -rf full/* full/.[!.]* "$2/.figure"* 2>/dev/null
  printf 'the earlier %s\n' "$format" > "$figure"
  if [ -n "$mounted" ]; then
    # Less room than the figure and its spooled text need.
    head -c 40000 /dev/zero > full/filler
    TMPDIR=$tmp "$plotter" "$figure" close 50000 >/dev/null 2>"full-$format.err"
  else
    (trap '' XFSZ; ulimit -f 24; TMPDIR=$tmp exec "$plotter" "$figure" close 50000) >/dev/null 2>"full-$format.err"
  fi
  local status=$?
  [ "$status" -eq 1 ] || fail "$format, $what: exit status $status, not 1"
  grep -q "cannot" "full-$format.err" || fail "$format, $what: no failure reported"
  [ "$(cat "$figure")" = "the earlier $format" ] || fail "$format, $what: the earlier figure.$format was changed"
  local left
  left=$(cd "$2" && ls -A | grep -v -x -E 'figure\.(pdf|svg|png)|filler|lost\+found')
  [ -z "$left" ] || fail "$format, $what: left behind: $left"
}
mkdir -p beside
for format in "${formats[@]}"; do
  full_run "$format" full "${TMPDIR:-/tmp}" "full disk"
  full_run "$format" beside "$PWD/full" "full temporary directory"
done
if [ -n "$mounted" ]; then umount full; trap - EXIT; fi

[ "$failures" -eq 0 ] && echo "faults: ok"
