#!/usr/bin/env bash
# Sets up everything, builds, and starts the viewer with a bundled example opened. Without a
# display the window cannot open: the example's views are rendered to PNG files instead.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target orvelle-cli --target orvelle
example=examples/volcano_pitch5.thk

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/orvelle "$example"
fi

echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open here."
# The 3D picture is drawn with Mesa's software renderer, which needs no display.
cli=(build/orvelle-cli)
out=build/run-pictures
mkdir -p "$out"
rendered=()
for view in colormap contour linegraph 3d; do
  if "${cli[@]}" render "$example" --view "$view" -o "$out/$view.png" 2>"$out/$view.log"; then
    rendered+=("$(realpath "$out/$view.png")")
  fi
done
if [ ${#rendered[@]} -gt 0 ]; then
  echo "The views of $example were rendered to PNG files instead:"
  printf '  %s\n' "${rendered[@]}"
else
  echo "This build cannot render the views yet (see $out/*.log)."
  echo "What the viewer reads from $example:"
  exec build/orvelle-cli info "$example"
fi
