#!/usr/bin/env bash
# Converts a folder of presentations to one PNG per slide twice, in one run:
# with quillmere-batch, and with the pipeline people use today (soffice to PDF
# for all files in one invocation, then pdftoppm at 96 dpi per PDF). Prints
# both times, their ratio and the total PNG bytes of each.
#
#   bash bench/compare_pipeline.sh [FOLDER] [-- quillmere-batch options]
# Without FOLDER it generates the benchmark decks (9 decks, 216 text slides).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
batch="$here/build/bin/quillmere-batch"
[ -x "$batch" ] || { echo "Build first: bash tools/setup.sh" >&2; exit 2; }

work=$(mktemp -d /tmp/qm-compare-XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$here/bench/bench_decks.sh"
bench_decks "$work" "${1:-}"
[ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift

bytes() { find "$1" -type f -name '*.png' -printf '%s\n' | awk '{s+=$1} END {print s+0}'; }

mkdir -p "$work/ours" "$work/pdf" "$work/theirs"
t0=$(now)
"$batch" --quiet --mode each --output "$work/ours" "$@" "${files[@]}" || true
t1=$(now)
soffice --headless "-env:UserInstallation=file://$work/profile" \
  --convert-to pdf --outdir "$work/pdf" "${files[@]}" >/dev/null 2>&1
for pdf in "$work"/pdf/*.pdf; do
  pdftoppm -r 96 -png "$pdf" "$work/theirs/$(basename "$pdf" .pdf)"
done
t2=$(now)

awk -v f=${#files[@]} -v a="$t0" -v b="$t1" -v c="$t2" \
    -v on="$(count "$work/ours")" -v tn="$(count "$work/theirs")" \
    -v ob="$(bytes "$work/ours")" -v tb="$(bytes "$work/theirs")" 'BEGIN {
  ours = b - a; theirs = c - b
  printf "files:                 %d\n", f
  printf "quillmere-batch:       %7.2f s  %4d PNG  %10d bytes\n", ours, on, ob
  printf "soffice + pdftoppm:    %7.2f s  %4d PNG  %10d bytes\n", theirs, tn, tb
  printf "speed-up:              %7.2f x\n", theirs / ours
  printf "bytes (ours/theirs):   %7.2f\n", ob / tb
}'
