#!/usr/bin/env bash
# Times quillmere-batch on one folder of presentations at -j1, -j2 and the
# default number of jobs (each slide as its own image), and the time from a
# SIGINT in the middle of a run to the program's exit.
#
#   bash bench/jobs_bench.sh [FOLDER] [BATCH]
# Without FOLDER it generates the benchmark decks (9 decks, 216 text slides);
# BATCH is the quillmere-batch to time (default: build/bin/quillmere-batch).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
batch="${2:-$here/build/bin/quillmere-batch}"
[ -x "$batch" ] || { echo "Build first: bash tools/setup.sh" >&2; exit 2; }

work=$(mktemp -d /tmp/qm-jobs-XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$here/bench/bench_decks.sh"
bench_decks "$work" "${1:-}"
run() {  # label, options...
  local label=$1; shift
  rm -rf "$work/out" && mkdir "$work/out"
  local t0 t1
  t0=$(now)
  "$batch" --quiet --output "$work/out" "$@" "$decks" || true
  t1=$(now)
  awk -v l="$label" -v a="$t0" -v b="$t1" -v n="$(find "$work/out" -name '*.png' | wc -l)" \
    'BEGIN { printf "%-10s %7.2f s  %5d PNG\n", l, b - a, n }'
}
run "-j1" -j 1
run "-j2" -j 2
run "default"

# Ctrl+C in the middle: from the signal to the exit, and what is left behind.
rm -rf "$work/out" && mkdir "$work/out"
# The run and everything it starts carry a mark, so that only its own
# processes are counted afterwards.
mark="QM_BENCH_RUN=$$-$RANDOM"
env "$mark" "$batch" --quiet --output "$work/out" "$decks" & pid=$!
sleep 2
t0=$(now)
kill -INT "$pid"
status=0
wait "$pid" || status=$?
t1=$(now)
sleep 0.2
left=$(grep -lsa "$mark" /proc/[0-9]*/environ | wc -l || true)
hidden=$(find "$work/out" -name '.*' -type f | wc -l || true)
awk -v a="$t0" -v b="$t1" -v s="$status" -v p="$left" -v h="$hidden" \
  'BEGIN { printf "SIGINT -> exit %d in %.2f s; processes left: %d; temporary files left: %d\n", s, b - a, p, h }'
