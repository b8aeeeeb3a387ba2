#!/usr/bin/env bash
# Sets everything up, then runs the whole test suite through CTest.
# Pass "-L fast" (or any ctest arguments) to narrow it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh tests
cd build
ctest --output-on-failure -j2 "$@"
