#!/bin/bash
# The Debian package, checked as a user gets it: tools/make-deb.sh builds it,
# it is unpacked into a throwaway folder (not /usr, so the programs must find
# their helpers and data from where they are), and the unpacked quillmere-batch
# converts the unpacked samples, one image per slide. The menu entry and the
# AppStream file validate, lintian reports no error, and the package's version
# is the one every program shows; the service's unit and manual page are there.
#
#   PackageTest.sh SOURCE_FOLDER
set -euo pipefail
source_folder=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

deb=$(bash "$source_folder/tools/make-deb.sh" 2>"$work/make-deb.log" | tail -n1) || {
  cat "$work/make-deb.log" >&2
  exit 1
}
echo "package: $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb -x "$deb" "$work/root"
usr="$work/root/usr"

fail() { echo "FAIL: $*" >&2; exit 1; }

# One version: the package's, and each program's.
version=$(dpkg-deb -f "$deb" Version)
[ "$("$usr/bin/quillmere-batch" --version | head -n1)" = "quillmere-batch $version" ] ||
  fail "quillmere-batch --version does not show the package's version $version"
[ "$("$usr/bin/quillmere" --version)" = "quillmere $version" ] ||
  fail "quillmere --version does not show the package's version $version"
[ "$("$usr/bin/quillmere-serve" --version)" = "quillmere-serve $version" ] ||
  fail "quillmere-serve --version does not show the package's version $version"
# The service's unit starts the packaged program, and is not enabled.
unit="$usr/lib/systemd/system/quillmere-serve.service"
grep -qx 'ExecStart=/usr/bin/quillmere-serve --listen 127.0.0.1:8080' "$unit" ||
  fail "the service's unit does not start /usr/bin/quillmere-serve on 127.0.0.1:8080"
[ ! -e "$work/root/etc/systemd" ] || fail "the package enables a unit"
[ -f "$usr/share/man/man1/quillmere-serve.1.gz" ] || fail "no manual page for quillmere-serve"

# The unpacked programs on the unpacked samples, with nothing pointing them at
# a build folder.
mkdir "$work/images"
env -u QUILLMERE_RENDER_WORKER -u QUILLMERE_JOB \
  "$usr/bin/quillmere-batch" -q -o "$work/images" "$usr/share/quillmere/Samples/"* ||
  fail "the unpacked quillmere-batch did not convert the unpacked samples"
/usr/bin/python3 - "$usr/share/quillmere/Samples" "$work/images" <<'PY'
import os, re, sys, zipfile
samples, images = sys.argv[1], sys.argv[2]
decks = sorted(os.listdir(samples))
assert decks, "the package holds no samples"
for deck in decks:
    with zipfile.ZipFile(os.path.join(samples, deck)) as z:
        slides = sum(bool(re.fullmatch(r"ppt/slides/slide\d+\.xml", n)) for n in z.namelist())
    stem = os.path.splitext(deck)[0]
    want = {f"{stem}_Slide{i}.png" for i in range(1, slides + 1)}
    got = {n for n in os.listdir(images) if n.startswith(stem + "_")}
    assert slides > 0 and got == want, f"{deck}: {slides} slides, images {sorted(got)}"
print(f"converted {len(decks)} samples, one image per slide")
PY

desktop-file-validate "$usr/share/applications/quillmere.desktop" ||
  fail "the menu entry does not validate"
for size in 16 32 48 256; do
  [ -f "$usr/share/icons/hicolor/${size}x$size/apps/quillmere.png" ] ||
    fail "no ${size}x$size icon for the menu entry"
done
appstreamcli validate --no-net "$usr/share/metainfo/"*.metainfo.xml ||
  fail "the AppStream file does not validate"

lintian --no-tag-display-limit "$deb" 2>/dev/null | tee "$work/lintian.txt"
if grep -q '^E: ' "$work/lintian.txt"; then fail "lintian reports errors"; fi
echo "package checked"
