#!/usr/bin/env bash
# Runs a render worker built against another LibreOffice release's
# LibreOfficeKit headers on this system's LibreOffice, as an installed
# Quillmere meets LibreOffice's next release when the system is updated:
# every slide of the samples must still be converted (through LibreOffice's
# PNG export), and the run must say why it is slower.
#
#   bash tools/check-other-release.sh HEADERS BUILD
#     HEADERS  a folder holding the other release's LibreOfficeKit/ headers
#     BUILD    a build folder for that worker (made afresh: copied sources may
#              carry times older than an earlier build's objects)
#
# Needs this checkout built (build/bin/quillmere-batch, by tools/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
headers="$1"
build="$2"
batch="build/bin/quillmere-batch"
[ -x "$batch" ] || { echo "Build first: bash tools/setup.sh" >&2; exit 2; }
[ -f "$headers/LibreOfficeKit/LibreOfficeKit.h" ] ||
  { echo "tools/check-other-release.sh: no LibreOfficeKit headers in $headers" >&2; exit 2; }

rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_TESTS=OFF \
  -DLOK_INCLUDE_DIR="$headers" >/dev/null
cmake --build "$build" -j"${QUILLMERE_BUILD_JOBS:-$(nproc)}" --target quillmere-render-worker >/dev/null

out=$(mktemp -d /tmp/qm-other-release-XXXXXX)
trap 'rm -rf "$out"' EXIT
samples=build/bin/Samples
status=0
QUILLMERE_RENDER_WORKER="$build/bin/quillmere-render-worker" \
  "$batch" --mode each --json --output "$out" "$samples" >"$out/records.json" 2>"$out/stderr" || status=$?
cat "$out/stderr" >&2
python3 - "$out/records.json" "$out/stderr" "$status" <<'PY'
import json, sys, zipfile
records = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
said = open(sys.argv[2]).read()
failed = []
for r in records:
    if "path" not in r:
        continue
    with zipfile.ZipFile(r["path"]) as z:
        slides = sum(1 for n in z.namelist() if n.startswith("ppt/slides/slide") and n.endswith(".xml"))
    if r["status"] != "converted" or len(r["images"]) != slides:
        failed.append("%s: %s, %d of %d slides" % (r["path"], r["status"], len(r["images"]), slides))
if sys.argv[3] != "0":
    failed.append("quillmere-batch ended with status " + sys.argv[3])
if "is not the release this Quillmere was built for" not in said:
    failed.append("the run did not say that its worker was built for another release")
if not records or failed:
    print("tools/check-other-release.sh: FAILED\n  " + "\n  ".join(failed or ["no records"]), file=sys.stderr)
    sys.exit(1)
print("tools/check-other-release.sh: %d decks, every slide converted by a worker built for another release"
      % sum(1 for r in records if "path" in r), file=sys.stderr)
PY
