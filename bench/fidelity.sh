#!/usr/bin/env bash
# How close quillmere-batch's slide images are to LibreOffice's own: converts
# every presentation of each folder with quillmere-batch (each slide), exports
# the same slides with LibreOffice's per-slide export through its UNO API
# (bench/reference_slides.py), and prints, per folder, the normalized RMSE of
# our images against those: the mean, the largest and the worst slides.
# Presentations quillmere-batch refuses (broken, password-protected) are left
# out; files of one folder sharing a base name (deck.ppt, deck.pptx) write the
# same image names, so the last of them is what is compared.
#
#   bash bench/fidelity.sh [FOLDER...]
# Without FOLDER: the test decks (build/decks) and the samples (build/bin/Samples).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
batch="$here/build/bin/quillmere-batch"
diff="$here/build/bin/quillmere-fidelity-diff"
[ -x "$batch" ] && [ -x "$diff" ] || { echo "Build first: bash tools/setup.sh" >&2; exit 2; }
[ $# -gt 0 ] || set -- "$here/build/decks" "$here/build/bin/Samples"

work=$(mktemp -d /tmp/qm-fidelity-XXXXXX)
trap 'rm -rf "$work"' EXIT
n=0
for folder in "$@"; do
  n=$((n + 1))
  ours="$work/$n/ours"
  reference="$work/$n/reference"
  mkdir -p "$ours" "$reference"
  mapfile -t files < <(find "$folder" -maxdepth 1 -type f -iname '*.ppt*' | sort)
  [ ${#files[@]} -gt 0 ] || { echo "No presentations in $folder" >&2; continue; }
  "$batch" --quiet --mode each --output "$ours" "${files[@]}" >/dev/null 2>&1 || true
  converted=()
  for file in "${files[@]}"; do
    base=$(basename "${file%.*}")
    [ -e "$ours/${base}_Slide1.png" ] && converted+=("$file")
  done
  echo "== $folder: ${#converted[@]} of ${#files[@]} presentations converted"
  [ ${#converted[@]} -gt 0 ] || continue
  python3 "$here/bench/reference_slides.py" --out "$reference" "${converted[@]}"
  "$diff" "$ours" "$reference"
done
