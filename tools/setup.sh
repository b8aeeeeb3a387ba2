#!/usr/bin/env bash
# Installs what Quillmere needs on Debian 12 (skipping what is there), then
# configures and builds into build/. Safe to run again.
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
)

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

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
cmake --build build -j"$(nproc)" >&2
