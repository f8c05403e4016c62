#!/usr/bin/env bash
# Cross-builds orvelle.exe and orvelle-cli.exe for 64-bit Windows and packs the portable zip
# and the setup (cmake/windows/orvelle.nsi, made with makensis), all into build-windows/. The static Qt for Windows is taken from ORVELLE_QT_MINGW, else
# build-windows/qt6-mingw, unpacked there from ../shared/toolchains when that copy exists, and
# rebuilt from Debian's source (tools/build-qt-windows.sh) only when none is at hand.
# Usage: tools/build-windows.sh [extra cmake targets...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
mkdir -p "$out"
jobs=${ORVELLE_JOBS:-$(nproc)}

qt=${ORVELLE_QT_MINGW:-$out/qt6-mingw}
tarball=$root/../shared/toolchains/qt6-mingw-6.4.2-static.tar.xz
if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  if [ -f "$tarball" ]; then
    echo "== unpacking the static Qt for Windows into $qt"
    mkdir -p "$qt.part"
    tar -xJf "$tarball" -C "$qt.part" --strip-components=1
    rm -rf "$qt" && mv "$qt.part" "$qt"
  else
    echo "== no prebuilt Qt for Windows: building it from Debian's source"
    "$root/tools/build-qt-windows.sh" "$qt"
  fi
fi
export ORVELLE_QT_MINGW=$qt

version=$(sed -n 's/^project(Orvelle VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=1
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$out/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DORVELLE_WARNINGS_AS_ERRORS=ON -DORVELLE_BUILD_BENCH=OFF \
  -DORVELLE_BUILD_TESTS="${ORVELLE_WINDOWS_TESTS:-OFF}" "${launcher[@]}" >/dev/null
cmake --build "$out/build" -j"$jobs" --target orvelle orvelle-cli "$@"

for p in orvelle orvelle-cli; do
  x86_64-w64-mingw32-strip -o "$out/$p.exe" "$out/build/$p.exe"
done

echo "== portable copy"
stage=$out/zip/orvelle-$version-win64
rm -rf "$out/zip" && mkdir -p "$stage/examples" "$stage/licences"
cp "$out/orvelle.exe" "$out/orvelle-cli.exe" "$stage/"
cp -r examples/. "$stage/examples/"
cp desktop/windows/README.txt "$stage/README.txt"
cp desktop/debian/copyright "$stage/licences/orvelle.txt"
cp /usr/share/common-licenses/LGPL-3 "$stage/licences/qt-LGPL-3.txt"
cp /usr/share/common-licenses/GPL-3 "$stage/licences/qt-GPL-3.txt"
# Debian's copyright files of the same libraries that Qt bundles (zlib, libpng, PCRE2, FreeType,
# HarfBuzz) and of Qt itself give their licence texts.
for pair in qt6-base-dev:qt6-base zlib1g:zlib libpng16-16:libpng libpcre2-16-0:pcre2 \
  libfreetype6:freetype libharfbuzz0b:harfbuzz; do
  cp "/usr/share/doc/${pair%%:*}/copyright" "$stage/licences/${pair#*:}.txt"
done
# Text files with Windows line ends, so that Notepad shows them as they are meant.
find "$stage" -name '*.txt' ! -path '*/examples/*' -exec sed -i 's/\r*$/\r/' {} +
zip_file=$out/orvelle-$version-win64.zip
rm -f "$zip_file"
# The same sources give the same zip: every entry carries the time of the last commit.
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
(cd "$out/zip" && export TZ=UTC && find "orvelle-$version-win64" -exec touch -d "@$stamp" {} + &&
  zip -qrX9 "$zip_file" "orvelle-$version-win64")

echo "== setup"
# The setup installs the portable folder's files; its uninstaller deletes the same list.
lists=$out/nsis
rm -rf "$lists" && mkdir -p "$lists"
(
  cd "$stage"
  find . -type d | LC_ALL=C sort | while read -r d; do
    rel=${d#.}
    rel=${rel#/}
    win=${rel//\//\\}
    echo "SetOutPath \"\$INSTDIR${win:+\\$win}\""
    find "$d" -maxdepth 1 -type f | LC_ALL=C sort | while read -r f; do
      echo "File \"$stage/${f#./}\""
    done
  done >"$lists/files.nsh"
  find . -type f | LC_ALL=C sort | while read -r f; do
    rel=${f#./}
    echo "Delete \"\$INSTDIR\\${rel//\//\\}\""
  done >"$lists/unfiles.nsh"
  find . -mindepth 1 -type d | LC_ALL=C sort -r | while read -r d; do
    rel=${d#./}
    echo "RMDir \"\$INSTDIR\\${rel//\//\\}\""
  done >>"$lists/unfiles.nsh"
)
setup=$out/orvelle-$version-setup.exe
setup_start=$(date +%s%N)
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DLISTS="$lists" \
  -DICON="$out/build/windows/orvelle.ico" -DOUTFILE="$setup" cmake/windows/orvelle.nsi
echo "setup made in $((($(date +%s%N) - setup_start) / 1000000)) ms"
ls -l "$out/orvelle.exe" "$out/orvelle-cli.exe" "$zip_file" "$setup"
