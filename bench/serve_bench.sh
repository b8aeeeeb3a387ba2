#!/usr/bin/env bash
# Measures quillmere-serve against quillmere-batch on the same decks, in one
# run, and prints the figures:
#  - slides per second with 1, 2 and 8 clients posting every deck of FOLDER
#    (each client its share, each deck one request), beside quillmere-batch
#    converting the same decks in one run: the service's overhead;
#  - latency (p50, p95) of a one-slide request (the first slide of one deck)
#    on a warm service;
#  - the service's resident memory before and after 500 requests.
#
#   bash bench/serve_bench.sh [FOLDER] [-- quillmere-serve options]
# Without FOLDER it generates the benchmark decks (9 decks, 216 text slides).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
batch="$here/build/bin/quillmere-batch"
serve="$here/build/bin/quillmere-serve"
[ -x "$serve" ] || { echo "Build first: bash tools/setup.sh" >&2; exit 2; }

work=$(mktemp -d /tmp/qm-serve-bench-XXXXXX)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
source "$here/bench/bench_decks.sh"
bench_decks "$work" "${1:-}"
[ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift

mkdir -p "$work/batch"
t0=$(now)
"$batch" --quiet --mode each --output "$work/batch" "${files[@]}" || true
t1=$(now)
slides=$(count "$work/batch")

"$serve" --quiet --listen 127.0.0.1:0 "$@" 2>"$work/serve.log" &
pid=$!
for _ in $(seq 50); do grep -q listening "$work/serve.log" && break; sleep 0.1; done
url=$(sed -n 's/.*listening on \(http:[^ ]*\).*/\1/p' "$work/serve.log")

python3 - "$url" "$pid" "$slides" "$t0" "$t1" "${files[@]}" <<'PY'
import os, statistics, sys, threading, time, urllib.request

url, pid, slides, t0, t1, decks = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5]), sys.argv[6:]
bodies = [(os.path.basename(d), open(d, "rb").read()) for d in decks]

def post(name, body, query=""):
    request = urllib.request.Request(f"{url}/convert?filename={name}{query}", data=body, method="POST")
    with urllib.request.urlopen(request, timeout=600) as response:
        response.read()
        return response.status

def resident_mb():
    # The service and every job and renderer under it.
    total, stack = 0, [pid]
    while stack:
        p = stack.pop()
        try:
            total += int(open(f"/proc/{p}/statm").read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
            for task in os.listdir(f"/proc/{p}/task"):  # jobs are children of the threads that start them
                stack += open(f"/proc/{p}/task/{task}/children").read().split()
        except OSError:
            pass
    return total / 2**20

post(*bodies[0])  # warm the first renderer
batch = t1 - t0
print(f"decks: {len(decks)}, slides: {slides}")
print(f"quillmere-batch, one run:      {batch:7.2f} s  {slides / batch:7.1f} slides/s")
for clients in (1, 2, 8):
    shares = [bodies[i::clients] for i in range(clients)]
    failures = []
    def client(share):
        for name, body in share:
            if post(name, body) != 200:
                failures.append(name)
    start = time.monotonic()
    threads = [threading.Thread(target=client, args=(s,)) for s in shares]
    for t in threads: t.start()
    for t in threads: t.join()
    took = time.monotonic() - start
    print(f"quillmere-serve, {clients} client(s):  {took:7.2f} s  {slides / took:7.1f} slides/s"
          f"  ({slides / took / (slides / batch):.2f} x the command line){'  FAILED: ' + str(failures) if failures else ''}")

latencies = []
for _ in range(40):
    start = time.monotonic()
    post(*bodies[0], query="&mode=first")
    latencies.append(time.monotonic() - start)
latencies.sort()
print(f"one-slide request: p50 {statistics.median(latencies) * 1000:.0f} ms, "
      f"p95 {latencies[int(len(latencies) * 0.95) - 1] * 1000:.0f} ms")

before = resident_mb()
for i in range(500):
    post(*bodies[i % len(bodies)], query="&mode=first")
print(f"resident memory (service, jobs, renderers): {before:.0f} MB before 500 requests, {resident_mb():.0f} MB after")
PY
