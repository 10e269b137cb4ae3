#!/usr/bin/env bash
# Runs every fuzz harness of a PLUME_FUZZ build for SECONDS each, on a copy
# of its seed corpus, then replays a sample of each resulting corpus through
# the document harnesses and renders every document with Ghostscript.
#
#   bash tests/fuzz/run.sh BUILD_DIR SECONDS
#
# Builds nothing. Exits non-zero on any crash, sanitizer report, leak,
# timeout, out-of-memory or Ghostscript error, and prints the reproducer
# paths (the work directory is kept then). Environment:
#   PLUME_FUZZ_REPLAY_SAMPLE  corpus inputs replayed per harness (default 200)
#   PLUME_FUZZ_WORK           work directory (default: a new temporary one)
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(cd "$1" && pwd) || exit 2
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
bin="$build/tests/fuzz"
# fontconfig's process-wide caches (cairo measures text through it) are not
# leaks of ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/../lsan.supp}
sample=${PLUME_FUZZ_REPLAY_SAMPLE:-200}
work=${PLUME_FUZZ_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/plume-fuzz-run.XXXXXX")}
mkdir -p "$work"

harnesses=(text soup trace)
# plume-section's readers: built when segyio and libmseed are installed.
[ -x "$bin/plume_fuzz_section" ] && harnesses+=(section)
document_harnesses=(text soup)
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The part of a fuzzer log that explains a failure: the library's own notes
# about dropped lines are left out.
report() {
  grep -av '^plume: ' "$1" | grep -a -A80 -E 'ERROR|WARNING: |fuzz property violated|Test unit written|==[0-9]+==' | head -120
}

for h in "${harnesses[@]}"; do
  fuzzer="$bin/plume_fuzz_$h"
  if [ ! -x "$fuzzer" ]; then
    fail "$fuzzer is missing (configure with -DPLUME_FUZZ=ON and build first)"
    continue
  fi
  dir="$work/$h"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp "$here/corpus/$h/"* "$dir/corpus/"
  echo "== fuzzing $h for ${seconds}s"
  TMPDIR="$dir" "$fuzzer" "$dir/corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$dir/artifacts/" -print_final_stats=1 >"$dir/log" 2>&1
  status=$?
  grep -a -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$dir/log" | sed 's/^/   /'
  artifacts=$(find "$dir/artifacts" -type f | sort)
  if [ $status -ne 0 ] || [ -n "$artifacts" ]; then
    report "$dir/log"
    fail "$h: the fuzzer exited with status $status"
    for a in $artifacts; do
      echo "   reproducer: $a"
      echo "   replay:     $fuzzer $a"
    done
  fi
done

gs_bin=$(command -v gs || true)
if [ -z "$gs_bin" ]; then
  fail "Ghostscript (gs) is not installed: the documents cannot be checked"
fi
replay="$bin/plume_fuzz_replay"
for h in "${document_harnesses[@]}"; do
  [ -n "$gs_bin" ] && [ -x "$replay" ] || break
  dir="$work/$h"
  [ -d "$dir/corpus" ] || continue
  mkdir -p "$dir/documents"
  find "$dir/corpus" -type f | shuf -n "$sample" --random-source=<(yes) >"$dir/sample"
  count=$(wc -l <"$dir/sample")
  echo "== replaying $count $h inputs through Ghostscript"
  if ! xargs -a "$dir/sample" -d '\n' "$replay" "$h" "$dir/documents" >"$dir/documents.list" 2>"$dir/replay.log"; then
    report "$dir/replay.log"
    fail "$h: the replay failed"
    continue
  fi
  documents=0
  bad=0
  while IFS=$'\t' read -r input document; do
    documents=$((documents + 1))
    if ! out=$(timeout 60 "$gs_bin" -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$document" 2>&1 </dev/null); then
      bad=$((bad + 1))
      echo "$out" | head -3 | sed 's/^/   /'
      fail "$h: Ghostscript rejects $document (input $input)"
    fi
  done <"$dir/documents.list"
  echo "   $documents documents, $bad rejected"
done

if [ $failures -ne 0 ]; then
  echo "fuzzing: $failures failure(s); work directory kept: $work"
  exit 1
fi
echo "fuzzing: no failures"
rm -rf "$work"
exit 0
