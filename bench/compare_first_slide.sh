#!/usr/bin/env bash
# Makes a picture of the first slide of each presentation of a folder twice:
# with quillmere-batch (--mode first) and with one `soffice --convert-to png`
# over all the files (which exports the first slide). Prints both times and
# their ratio, and the RMSE of our pictures against soffice's.
#
#   bash bench/compare_first_slide.sh [FOLDER] [-- quillmere-batch options]
# Without FOLDER it generates the benchmark decks (9 decks, 216 text slides).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
batch="$here/build/bin/quillmere-batch"
diff="$here/build/bin/quillmere-fidelity-diff"
[ -x "$batch" ] && [ -x "$diff" ] || { echo "Build first: bash tools/setup.sh" >&2; exit 2; }

work=$(mktemp -d /tmp/qm-first-XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$here/bench/bench_decks.sh"
bench_decks "$work" "${1:-}"
[ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift


mkdir -p "$work/ours" "$work/theirs"
t0=$(now)
"$batch" --quiet --mode first --output "$work/ours" "$@" "${files[@]}" || true
t1=$(now)
soffice --headless "-env:UserInstallation=file://$work/profile" \
  --convert-to png --outdir "$work/theirs" "${files[@]}" >/dev/null 2>&1
t2=$(now)
# soffice names the picture <base>.png; ours is <base>_Slide1.png.
mkdir -p "$work/ours-named"
for png in "$work"/ours/*_Slide1.png; do
  [ -e "$png" ] && cp "$png" "$work/ours-named/$(basename "$png" _Slide1.png).png"
done

awk -v f=${#files[@]} -v a="$t0" -v b="$t1" -v c="$t2" \
    -v on="$(count "$work/ours")" -v tn="$(count "$work/theirs")" 'BEGIN {
  ours = b - a; theirs = c - b
  printf "files:                   %d\n", f
  printf "quillmere-batch first:   %7.2f s  %4d PNG\n", ours, on
  printf "soffice --convert-to png:%7.2f s  %4d PNG\n", theirs, tn
  printf "speed-up:                %7.2f x\n", theirs / ours
}'
echo "our first slides against soffice's:"
"$diff" --worst 3 "$work/ours-named" "$work/theirs" | sed 's/^/  /'
