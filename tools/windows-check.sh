#!/usr/bin/env bash
# Builds the Windows programs (tools/build-windows.sh) and checks them under Wine and Xvfb: the
# Windows unit tests, the command-line contract, the same bytes as the Linux build for info,
# grid and roi, the same pixels for render, the same summary.csv for report (also over Japanese
# names, from a watched folder and from shards merged, and a stopped report's finished rows), the
# window with an example, its four views, the keypad's Japanese message, screenshots of both
# (build-windows/screenshot*.png) and the settings file written on Exit, and the setup: a silent
# install, the installed programs, and a complete uninstall.
# Usage: tools/windows-check.sh [LINUX_BUILD_DIR]   (default build; needs its orvelle-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
linux=$(realpath "${1:-build}")
[ -x "$linux/orvelle-cli" ] || { echo "no Linux orvelle-cli in $linux"; exit 1; }
start=$(date +%s)

ORVELLE_WINDOWS_TESTS=ON tools/build-windows.sh orvelle_windows_tests
x86_64-w64-mingw32-gcc-posix -municode -O2 -Wall -Wextra -Werror -o "$out/wine-window.exe" \
  tools/windows/wine-window.c -lgdi32
echo "== cross-build done in $(($(date +%s) - start)) s"

export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.orvelle-ready" ]; then
  echo "== Wine prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Wine's own fonts when the distribution ships them, Arial's metrics and a Japanese Gothic.
  fonts=$WINEPREFIX/drive_c/windows/Fonts
  for f in /usr/share/wine/fonts/*.ttf /usr/share/fonts/truetype/liberation2/*.ttf \
    /usr/share/fonts/opentype/ipafont-gothic/ipag*.ttf; do
    [ -f "$f" ] && ln -sf "$f" "$fonts/"
  done
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null
  wineserver -w
  touch "$WINEPREFIX/.orvelle-ready"
fi

xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" timeout 1200 \
  tools/windows/wine-checks.sh "$out" "$linux"
echo "== Windows check done in $(($(date +%s) - start)) s"
