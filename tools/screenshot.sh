#!/usr/bin/env bash
# Writes PNG pictures of the main window (at start, with an example loaded, in debug mode) into
# the directory given as the first argument (default: build/screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots}")
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target orvelle_app_tests >/dev/null
run=(env QT_QPA_PLATFORM=offscreen)
if command -v xvfb-run >/dev/null && command -v xauth >/dev/null; then run=(xvfb-run -a); fi
ORVELLE_SCREENSHOT_DIR="$out" "${run[@]}" build/tests/orvelle_app_tests \
  --gtest_filter='WindowScreenshot.*' >/dev/null
echo "Window pictures in $out:"
ls -1 "$out"/*.png
