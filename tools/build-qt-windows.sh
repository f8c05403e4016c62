#!/usr/bin/env bash
# Builds the static Qt 6.4.2 for 64-bit Windows that tools/build-windows.sh links against, from
# Debian's own qt6-base source package, with Debian's MinGW-w64. Needs deb-src lines (added here
# when missing), about 40 CPU minutes and 1.1 GB. Usage: tools/build-qt-windows.sh PREFIX
set -euo pipefail
prefix=$(realpath -m "${1:?usage: build-qt-windows.sh PREFIX}")
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${ORVELLE_QT_WORK:-$prefix.work}")
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
  echo "== adding deb-src lines"
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  $SUDO apt-get update -q
fi
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends \
  dpkg-dev ninja-build cmake g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
  mingw-w64-tools qt6-base-dev-tools qt6-base-dev

rm -rf "$work" && mkdir -p "$work" && cd "$work"
apt-get source --download-only qt6-base
mkdir src && tar -xf qt6-base_*.orig.tar.* -C src --strip-components=1
src=$work/src

# Debian's +dfsg source lacks the Wacom tablet headers the Windows platform plugin includes;
# Wine's LGPL wintab.h and pktdef.h stand in, behind a header that supplies Wine's macros.
apt-get download libwine-dev
dpkg-deb -x libwine-dev_*.deb wine-dev
wintab=$src/src/3rdparty/wintab
mkdir -p "$wintab"
cp "$(find wine-dev -name pktdef.h | head -n1)" "$wintab/pktdef.h"
cp "$(find wine-dev -name wintab.h | head -n1)" "$wintab/wine-wintab.h"
cat >"$wintab/wintab.h" <<'H'
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(func) func##W
#else
#define WINELIB_NAME_AW(func) func##A
#endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#define API WINAPI
#endif
#include "wine-wintab.h"
H

ORVELLE_QT_MINGW=$prefix
export ORVELLE_QT_MINGW
mkdir -p build && cd build
"$src/configure" -prefix "$prefix" -xplatform win32-g++ -qt-host-path /usr \
  -release -static -static-runtime -opengl desktop -nomake tests -nomake examples \
  -qt-zlib -qt-libpng -qt-pcre -qt-freetype -qt-harfbuzz -qt-doubleconversion -no-feature-jpeg \
  -no-dbus -no-feature-sql -no-feature-network -no-feature-printsupport \
  -no-feature-concurrent -no-feature-xml -no-feature-vulkan \
  -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_C_FLAGS="-ffile-prefix-map=$src=qtbase" -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$src=qtbase"
ninja -j"${ORVELLE_JOBS:-$(nproc)}"
ninja install
cp "$root/cmake/mingw-w64-x86_64.cmake" "$prefix/"
rm -rf "$work"
echo "Qt for Windows in $prefix"
