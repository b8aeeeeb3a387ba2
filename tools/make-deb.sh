#!/usr/bin/env bash
# Builds the Debian package: installs what is missing (tools/setup.sh package),
# builds the programs alone into build-deb/, and packs them with cpack. The
# package's path is the last line printed; everything else goes to standard
# error.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh package

werror=OFF
[ "${QUILLMERE_WERROR:-0}" = 1 ] && werror=ON
# Debian's own compiler and linker flags, with every hardening option.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_TESTS=OFF \
  -DQUILLMERE_WERROR="$werror" -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  --log-level=WARNING >&2
cmake --build build-deb -j"${QUILLMERE_BUILD_JOBS:-$(nproc)}" >&2
rm -f build-deb/quillmere_*.deb
(cd build-deb && cpack -G DEB >&2)
shopt -s nullglob
debs=("$PWD"/build-deb/quillmere_*.deb)
if [ "${#debs[@]}" -ne 1 ]; then
  echo "tools/make-deb.sh: cpack wrote ${#debs[@]} packages into build-deb/, not one" >&2
  exit 1
fi
echo "${debs[0]}"
