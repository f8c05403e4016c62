#!/usr/bin/env bash
# Sets up everything, builds, and starts the viewer with a bundled example opened.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target orvelle-cli $( [ -f app/main.cpp ] && echo --target orvelle )
example=examples/volcano_pitch5.thk
if [ -x build/orvelle ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/orvelle "$example"
fi
if [ -x build/orvelle ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): the window cannot open here."
else
  echo "The window is not built yet."
fi
echo "What the viewer reads from $example:"
exec build/orvelle-cli info "$example"
