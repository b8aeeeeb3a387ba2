#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz) with clang, AddressSanitizer and
# UBSan into build-fuzz/, and runs each for SECONDS (default 30) from its seed
# corpus in tests/fuzz/corpus (copied, so the repository's stays as it is).
# Fails on any crash, leak or time-out; the input that caused it is kept in
# build-fuzz/findings/<target>/ (add it to the seed corpus once fixed).
#
#   bash tools/fuzz.sh [SECONDS] [TARGET...]
# Needs clang and its libFuzzer runtime (tools/setup.sh installs both).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(FramesFuzz ContainerFuzz ImageFuzz NameFuzz OptionsFuzz)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLMERE_FUZZ=ON -DQUILLMERE_SANITIZE=ON --log-level=WARNING >&2
cmake --build build-fuzz -j"${QUILLMERE_BUILD_JOBS:-$(nproc)}" --target qm_fuzzers >&2

status=0
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  findings="build-fuzz/findings/$target"
  mkdir -p "$corpus" "$findings"
  cp -n tests/fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  echo "== $target: $seconds s" >&2
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" \
      2> "build-fuzz/$target.log"; then
    tail -n 40 "build-fuzz/$target.log" >&2
    echo "$target FAILED: the input is in $findings/" >&2
    status=1
  else
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE|cov:" "build-fuzz/$target.log" | tail -n 2 >&2
  fi
done
exit "$status"
