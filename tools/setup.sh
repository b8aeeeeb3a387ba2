#!/usr/bin/env bash
# Installs what Quillmere needs on Debian 12 or 13 (skipping what is there), then
# configures and builds into build/. Safe to run again; quiet when nothing is missing.
# On another system it says so, lists the packages and stops before apt.
#
#   bash tools/setup.sh [programs|tests|package]
#     programs  what the programs need; builds only them (and what they ship)
#     tests     (the default) that and what the tests need; builds everything
#     package   what the programs and their package need; builds nothing
#               (tools/make-deb.sh builds the package in build-deb/)
#
# LibreOffice must be 25.2 or later: its LibreOfficeKit draws a slide as the slide
# show shows it straight into a pixel buffer, several times faster than exporting
# each slide as a PNG. Debian 13 ships it; on Debian 12 it comes from Debian's own
# bookworm-backports suite, which this script enables for the archive the machine
# already uses (read from apt's configuration) and installs LibreOffice from.
# QUILLMERE_WERROR=1 in the environment builds with warnings as errors;
# QUILLMERE_BUILD_JOBS=N builds with N parallel jobs (default: one per core).
set -euo pipefail
cd "$(dirname "$0")/.."

purpose="${1:-tests}"
case "$purpose" in
  programs | tests | package) ;;
  *) echo "usage: bash tools/setup.sh [programs|tests|package]" >&2; exit 2 ;;
esac

# What building and running the programs needs.
packages=(
  build-essential cmake pkg-config python3 help2man
  nlohmann-json3-dev qt6-base-dev
  libspng-dev libdeflate-dev zlib1g-dev libjpeg62-turbo-dev libwebp-dev libzip-dev libxml2-dev libgsf-1-dev libseccomp-dev libmicrohttpd-dev
  fonts-crosextra-carlito fonts-crosextra-caladea fonts-liberation2 fonts-dejavu
)
# What checking the package needs (the tests check it too).
package_packages=(dpkg-dev lintian desktop-file-utils appstream bash-completion)
# What the tests, the test decks and the fuzz lane need.
test_packages=(
  clang libgtest-dev libpng-dev
  poppler-utils python3-jsonschema parallel
)
[ "$purpose" = programs ] || packages+=("${package_packages[@]}")
[ "$purpose" != tests ] || packages+=("${test_packages[@]}")
# Installed from backports on Debian 12; at least this version everywhere.
office_packages=(libreoffice-impress-nogui libreofficekit-dev)
office_version=4:25.2

# Reads ID and VERSION_ID without sourcing the file into this shell.
os_field() {
  { sed -n "s/^$1=//p" /etc/os-release 2>/dev/null || true; } | tr -d '"' | head -n1
}
os_id="$(os_field ID)"
os_version="$(os_field VERSION_ID)"
if [ "$os_id" != debian ] || { [ "$os_version" != 12 ] && [ "$os_version" != 13 ]; }; then
  {
    name="$(os_field PRETTY_NAME)"
    echo "tools/setup.sh installs packages on Debian 12 and 13 only; this system is" \
         "${name:-not described by /etc/os-release}."
    echo "Install these (Debian 12 names) or their equivalents yourself, then build with"
    echo "  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build"
    printf '  %s\n' "${packages[@]}"
    echo "and LibreOffice 25.2 or later with its LibreOfficeKit headers:"
    printf '  %s\n' "${office_packages[@]}"
  } >&2
  exit 1
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
# clang's runtime with libFuzzer, for tools/fuzz.sh: the release's own clang.
if [ "$purpose" = tests ]; then
  if [ "$os_version" = 12 ]; then packages+=(libclang-rt-14-dev); else packages+=(libclang-rt-19-dev); fi
fi

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
office_missing=()
for p in "${office_packages[@]}"; do
  v="$(dpkg-query -W -f='${Version}' "$p" 2>/dev/null || true)"
  if ! installed "$p" || ! dpkg --compare-versions "$v" ge "$office_version"; then
    office_missing+=("$p")
  fi
done

office_target=()
if ((${#office_missing[@]})) && [ "$os_version" = 12 ]; then
  office_target=(-t bookworm-backports)
  backports=/etc/apt/sources.list.d/quillmere-bookworm-backports.sources
  # Enabled already, by us or by the machine's owner?
  if ! apt-get indextargets --format '$(RELEASE)' 2>/dev/null | grep -qx bookworm-backports; then
    # The archive that serves bookworm here also serves its backports.
    archive="$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
               awk '$2 == "bookworm" { print $1; exit }')"
    if [ -z "$archive" ]; then
      echo "tools/setup.sh: apt has no archive for Debian 12 (bookworm) configured," \
           "so the bookworm-backports suite that holds LibreOffice 25.2 cannot be" \
           "enabled. Add the archive to apt's sources and run this again." >&2
      exit 1
    fi
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    echo "Enabling Debian's bookworm-backports suite of $archive in $backports," \
         "for LibreOffice 25.2 (the suite's packages are only installed when asked for)" >&2
    printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\n%s' \
      "$archive" "$([ -f "$keyring" ] && printf 'Signed-By: %s\n' "$keyring")" |
      "${sudo_cmd[@]}" tee "$backports" >/dev/null
  fi
fi

if ((${#missing[@]} + ${#office_missing[@]})); then
  "${sudo_cmd[@]}" apt-get update -qq
fi
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
if ((${#office_missing[@]})); then
  # The version apt will install, which may be later than the least we need.
  office_candidate="$(apt-cache "${office_target[@]}" policy "${office_missing[0]}" 2>/dev/null |
                      sed -n 's/^ *Candidate: //p' | head -n1)"
  echo "Installing LibreOffice ${office_candidate:-$office_version or later}${office_target:+ from bookworm-backports}:" \
       "${office_missing[*]}" >&2
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${office_target[@]}" \
    "${office_missing[@]}" >&2
fi

[ "$purpose" != package ] || exit 0

werror=OFF
[ "${QUILLMERE_WERROR:-0}" = 1 ] && werror=ON
# The programs alone leave an earlier choice of the tests as it was.
tests=()
if [ "$purpose" = tests ]; then
  tests=(-DQUILLMERE_TESTS=ON)
elif [ ! -f build/CMakeCache.txt ]; then
  tests=(-DQUILLMERE_TESTS=OFF)
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_WERROR="$werror" \
  "${tests[@]}" --log-level=WARNING >&2
if [ "$purpose" = tests ]; then
  cmake --build build -j"${QUILLMERE_BUILD_JOBS:-$(nproc)}" >&2
else
  cmake --build build -j"${QUILLMERE_BUILD_JOBS:-$(nproc)}" --target qm_programs >&2
fi
