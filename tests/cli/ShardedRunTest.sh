#!/bin/bash
# A folder converted in three shards by GNU parallel gives exactly the images
# and the per-file JSON records of one run over the whole folder: the tool
# keeps no state between runs, so an engine that spreads work can shard it.
#
#   ShardedRunTest.sh QUILLMERE_BATCH DECKS_FOLDER
set -euo pipefail
batch=$1
decks=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/one" "$work/three"
for deck in std4 wide3 custom2 hidden5 widescreen2 marks varied2; do
  cp "$decks/$deck.pptx" "$work/in/"
done
cp "$decks/wide3.ppt" "$work/in/wide3-binary.ppt"
find "$work/in" -type f | sort > "$work/list"

"$batch" -q --json -o "$work/one" --files-from "$work/list" > "$work/one.jsonl"
parallel --will-cite -j3 --pipe-part -a "$work/list" --block -1 \
  "$batch" -q --json -j1 -o "$work/three" --files-from - > "$work/three.jsonl"

/usr/bin/python3 - "$work" <<'PY'
import filecmp, json, os, sys
work = sys.argv[1]
def read(name, folder):
    records, summary = [], {}
    for line in open(os.path.join(work, name)):
        obj = json.loads(line)
        if "summary" in obj:
            for key, value in obj["summary"].items():
                summary[key] = summary.get(key, 0) + value
        else:
            obj["images"] = [p.replace("/" + folder + "/", "/OUT/") for p in obj["images"]]
            records.append(obj)
    return sorted(records, key=lambda r: r["path"]), summary
one, one_summary = read("one.jsonl", "one")
three, three_summary = read("three.jsonl", "three")
assert len(one) == 8, "one run gave %d records" % len(one)
assert one == three, "the records differ:\n%s\n%s" % (one, three)
assert one_summary == three_summary, "%s != %s" % (one_summary, three_summary)
assert one_summary["converted"] == 8, one_summary
names = sorted(os.listdir(os.path.join(work, "one")))
assert names == sorted(os.listdir(os.path.join(work, "three"))), "the images differ"
same, different, errors = filecmp.cmpfiles(os.path.join(work, "one"), os.path.join(work, "three"), names, shallow=False)
assert not different and not errors, "images differ in their bytes: %s %s" % (different, errors)
print("%d files, %d images: the same in one run and in three shards" % (len(one), len(names)))
PY
