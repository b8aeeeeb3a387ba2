#!/usr/bin/env bash
# Installs what Quillmere needs on Debian 12 (skipping what is there), then
# configures and builds into build/. Safe to run again; quiet when nothing is missing.
# On another system it says so, lists the packages and stops before apt.
# QUILLMERE_WERROR=1 in the environment builds with warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config python3
  libgtest-dev nlohmann-json3-dev
  libreoffice-impress-nogui libreofficekit-dev
  qt6-base-dev
  libspng-dev libdeflate-dev zlib1g-dev libjpeg62-turbo-dev
  fonts-crosextra-carlito fonts-crosextra-caladea fonts-liberation2 fonts-dejavu
  poppler-utils
  xvfb xauth
)

# Reads ID and VERSION_ID without sourcing the file into this shell.
os_field() {
  { sed -n "s/^$1=//p" /etc/os-release 2>/dev/null || true; } | tr -d '"' | head -n1
}
os_id="$(os_field ID)"
os_version="$(os_field VERSION_ID)"
if [ "$os_id" != debian ] || [ "$os_version" != 12 ]; then
  {
    name="$(os_field PRETTY_NAME)"
    echo "tools/setup.sh installs packages on Debian 12 only; this system is" \
         "${name:-not described by /etc/os-release}."
    echo "Install these (Debian 12 names) or their equivalents yourself, then build with"
    echo "  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build"
    printf '  %s\n' "${packages[@]}"
  } >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

werror=OFF
[ "${QUILLMERE_WERROR:-0}" = 1 ] && werror=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_WERROR="$werror" \
  --log-level=WARNING >&2
cmake --build build -j"$(nproc)" >&2
