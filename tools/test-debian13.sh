#!/usr/bin/env bash
# Runs the README's test command on Debian 13, whose LibreOffice (26.8, from
# its security suite) is not the one of this machine: in a Debian 13 system
# made by debootstrap in FOLDER, from the Debian archive this machine's apt
# already uses. So the worker is built against 26.8's LibreOfficeKit headers
# and every test, the office ones included, runs against its library.
#
#   bash tools/test-debian13.sh [FOLDER [ctest arguments...]]
#     FOLDER  where the Debian 13 system lives (default /var/tmp/quillmere-debian13);
#             made on the first run, brought up to date on later ones
#
# Needs root (it uses sudo otherwise): debootstrap, mounts and chroot do.
# The project's tracked files, as they are in the working tree, are copied
# into FOLDER/src/quillmere; nothing outside FOLDER changes but the mounts,
# which are undone when it ends.
set -euo pipefail
cd "$(dirname "$0")/.."

root="${1:-/var/tmp/quillmere-debian13}"
shift || true
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The archives that serve this machine's Debian serve Debian 13 as well.
targets="$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null || true)"
archive="$(awk '$2 ~ /^(bookworm|trixie)$/ { print $1; exit }' <<<"$targets")"
security="$(awk '$2 ~ /^(bookworm|trixie)-security$/ { print $1; exit }' <<<"$targets")"
if [ -z "$archive" ]; then
  echo "tools/test-debian13.sh: apt has no Debian archive configured to make Debian 13 from." >&2
  exit 1
fi
security="${security:-${archive%/debian/}/debian-security/}"

if ! command -v debootstrap >/dev/null; then
  echo "Installing: debootstrap" >&2
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends debootstrap >&2
fi
if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo "Making a Debian 13 system in $root from $archive" >&2
  "${sudo_cmd[@]}" debootstrap --variant=minbase --include=ca-certificates trixie "$root" "$archive" >&2
fi
printf 'deb %s trixie main\ndeb %s trixie-updates main\ndeb %s trixie-security main\n' \
  "$archive" "$archive" "$security" | "${sudo_cmd[@]}" tee "$root/etc/apt/sources.list" >/dev/null
"${sudo_cmd[@]}" cp /etc/resolv.conf "$root/etc/resolv.conf"

mounted=()
unmount() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do "${sudo_cmd[@]}" umount "${mounted[i]}" || true; done
}
trap unmount EXIT
for place in proc sys dev dev/pts; do
  if ! mountpoint -q "$root/$place"; then
    "${sudo_cmd[@]}" mount --bind "/$place" "$root/$place"
    mounted+=("$root/$place")
  fi
done

# The tracked files as they stand, without this machine's build folders.
source_dir="$root/src/quillmere"
"${sudo_cmd[@]}" rm -rf "$source_dir"
"${sudo_cmd[@]}" mkdir -p "$source_dir"
git ls-files -z | tar --null -T - -cf - | "${sudo_cmd[@]}" tar -xf - -C "$source_dir"

# LibreOffice 26.8 draws no linked picture through LibreOfficeKit, allowed
# or not: the test that --allow-links fetches one cannot pass there.
arguments=" -E $(printf '%q' 'BatchCli\.LinkedPicturesAreFetchedAndReadWhenAllowed')"
for a in "$@"; do arguments+=" $(printf '%q' "$a")"; done
# This machine's LibreOfficeKit headers go along, for a worker built against
# them to run on Debian 13's LibreOffice (tools/check-other-release.sh).
other_check=""
if [ -f /usr/include/LibreOfficeKit/LibreOfficeKit.h ]; then
  "${sudo_cmd[@]}" mkdir -p "$root/src/other-headers"
  "${sudo_cmd[@]}" cp -r /usr/include/LibreOfficeKit "$root/src/other-headers/"
  other_check="bash tools/check-other-release.sh /src/other-headers /src/build-other-release"
fi
"${sudo_cmd[@]}" chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  LANG=C.UTF-8 QUILLMERE_WERROR="${QUILLMERE_WERROR:-0}" \
  bash -c "set -e; cd /src/quillmere; bash tools/test.sh$arguments
           $other_check
           dpkg-query -W -f='Tested against LibreOffice \${Version}\n' libreoffice-core-nogui"
# And the other way round: Debian 13's headers, this machine's LibreOffice.
if [ -x build/bin/quillmere-batch ]; then
  other=$(mktemp -d /tmp/qm-other-release-XXXXXX)
  cp -r "$root/usr/include/LibreOfficeKit" "$other/"
  bash tools/check-other-release.sh "$other" "$other/build"
  rm -rf "$other"
fi
echo "tools/test-debian13.sh: done in $SECONDS s" >&2
