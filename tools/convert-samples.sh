#!/usr/bin/env bash
# Sets everything up, then converts the sample presentations with the
# command-line converter and says where the images are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
out="$PWD/build/sample-images"
mkdir -p "$out"
build/bin/quillmere-batch --output "$out" build/bin/Samples
