#!/usr/bin/env bash
# Installs the Debian packages the build, the viewer and the tests need (only the missing ones).
set -euo pipefail
packages=(
  cmake make g++ clang-14 libclang-rt-14-dev clang-format python3
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libqt6opengl6-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl-mesa0
  xvfb xauth fonts-ipafont-gothic fonts-liberation2 locales
  dpkg-dev file lintian appstream desktop-file-utils shared-mime-info man-db bash-completion poppler-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
