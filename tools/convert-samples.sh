#!/usr/bin/env bash
# Sets everything up. Then, on a desktop (DISPLAY or WAYLAND_DISPLAY set),
# opens the window with the sample presentations in its list; without one,
# converts the samples with the command-line converter and says where the
# images are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh programs
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the Quillmere window with the samples; press \"Start Saving As PNG\"." >&2
  exec build/bin/quillmere build/bin/Samples
fi
out="$PWD/build/sample-images"
mkdir -p "$out"
build/bin/quillmere-batch --output "$out" build/bin/Samples
