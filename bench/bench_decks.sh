# Sourced by the benchmark scripts, not run on its own.

# now: the wall clock in seconds, with nanoseconds.
now() { date +%s.%N; }

# count FOLDER: how many PNG files lie in FOLDER and below.
count() { find "$1" -type f -name '*.png' | wc -l; }

# bench_decks WORK [FOLDER]: sets `decks` to FOLDER, or, without one, to the
# benchmark decks (9 decks, 216 text slides) generated into WORK/decks; sets
# `files` to the folder's presentations (*.ppt*), sorted. Exits 2 when it
# holds none.
bench_decks() {
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  decks="${2:-}"
  if [ -z "$decks" ]; then
    decks="$1/decks"
    python3 "$here/tools/make_decks.py" --bench --out "$decks" >/dev/null
  fi
  mapfile -t files < <(find "$decks" -maxdepth 1 -type f -iname '*.ppt*' | sort)
  [ ${#files[@]} -gt 0 ] || { echo "No presentations in $decks" >&2; exit 2; }
}
