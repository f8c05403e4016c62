#!/usr/bin/env bash
# Builds the Debian package of a configured build directory and checks it: lintian, the
# AppStream data, the desktop entry, the manual pages and the bash completion; then installs it
# with apt-get, runs both programs from /usr/bin and removes it again, together with anything
# the installation pulled in, so that the machine is left as it was.
#   tools/package-check.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

fail() {
  echo "package check: $*" >&2
  exit 1
}

cmake --build "$build" -j"$(nproc)" --target package >/dev/null
debs=("$build"/orvelle_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one orvelle_*_amd64.deb in $build"
deb=$(realpath "${debs[0]}")
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "orvelle_${version}_amd64.deb" ] || fail "file name $(basename "$deb")"
echo "package: $deb (version $version)"

echo "-- contents and fields"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for path in /usr/bin/orvelle /usr/bin/orvelle-cli /usr/share/applications/orvelle.desktop \
  /usr/share/mime/packages/orvelle-thk.xml /usr/share/icons/hicolor/scalable/apps/orvelle.svg \
  /usr/share/icons/hicolor/48x48/apps/orvelle.png /usr/share/icons/hicolor/128x128/apps/orvelle.png \
  /usr/share/icons/hicolor/256x256/apps/orvelle.png /usr/share/man/man1/orvelle.1.gz \
  /usr/share/man/man1/orvelle-cli.1.gz /usr/share/metainfo/org.orvelle.Orvelle.metainfo.xml \
  /usr/share/orvelle/examples/volcano_pitch5.thk /usr/share/bash-completion/completions/orvelle-cli \
  /usr/share/doc/orvelle/copyright /usr/share/doc/orvelle/changelog.gz; do
  grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
# Caches belong to the package manager's triggers, never to the package.
if grep -E '^/usr/share/mime/[^p]|icon-theme\.cache|mimeinfo\.cache' <<<"$contents"; then
  fail "the package holds a desktop cache"
fi
for field in Depends Maintainer Description; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field field"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "Depends were not computed"
grep -q "^orvelle ($version)" desktop/debian/changelog || fail "desktop/debian/changelog lacks $version"
grep -q "<release version=\"$version\"" desktop/org.orvelle.Orvelle.metainfo.xml ||
  fail "the metainfo has no release $version"
for page in desktop/man/*.1; do
  grep -q "^\.TH .*\"Orvelle $version\"" "$page" || fail "$page does not name version $version"
done

echo "-- lintian"
lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
  fail "lintian reports errors"

echo "-- AppStream data, desktop entry, MIME type"
appstreamcli validate --no-net desktop/org.orvelle.Orvelle.metainfo.xml
desktop-file-validate desktop/orvelle.desktop || fail "desktop-file-validate"

echo "-- manual pages"
for page in desktop/man/*.1; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

tmp=$(mktemp -d)
installed=false
# A viewer that wrongly kept its settings beside the program would leave this file behind.
stray=/usr/bin/setting.dat
stray_before=false
[ ! -e "$stray" ] || stray_before=true
before=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' | awk '$1=="ii"{print $2}')
cleanup() {
  if $installed; then
    echo "-- removing the package"
    local after added
    after=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' | awk '$1=="ii"{print $2}')
    added=$(comm -13 <(sort <<<"$before") <(sort <<<"$after"))
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -q $added >/dev/null
    $stray_before || $SUDO rm -f "$stray"
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

if dpkg-query -W -f='${db:Status-Abbrev}' orvelle 2>/dev/null | grep -q '^i'; then
  fail "orvelle is installed on this machine already; the check would replace it"
fi

echo "-- installing with apt-get"
installed=true
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "$deb" \
  >"$tmp/apt.log" 2>&1 || {
  cat "$tmp/apt.log" >&2
  fail "apt-get install failed"
}

[ "$(/usr/bin/orvelle-cli --version)" = "orvelle-cli $version" ] || fail "orvelle-cli --version"
[ "$(/usr/bin/orvelle --version)" = "orvelle $version" ] || fail "orvelle --version"
/usr/bin/orvelle-cli info /usr/share/orvelle/examples/volcano_pitch5.thk >"$tmp/info.json" ||
  fail "orvelle-cli info on the installed example"
grep -q '"Elevation_m"' "$tmp/info.json" || fail "orvelle-cli info printed no data type"
# A compute node has no display at all: the 3D view is drawn all the same.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/orvelle-cli render \
  /usr/share/orvelle/examples/volcano_pitch5.thk --view 3d -o "$tmp/3d.png" ||
  fail "orvelle-cli render --view 3d without a display"
[ "$(head -c 8 "$tmp/3d.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "render --view 3d without a display wrote no PNG"
grep -q 'application/x-orvelle-thk:\*\.thk' /usr/share/mime/globs2 ||
  fail "the MIME database does not know .thk files"
[ "$(man -w orvelle-cli)" = /usr/share/man/man1/orvelle-cli.1.gz ] || fail "man -w orvelle-cli"

echo "-- bash completion"
completions=$(bash -c '
  source /usr/share/bash-completion/bash_completion
  __load_completion orvelle-cli || exit 1
  ask() {
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _orvelle_cli orvelle-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}"
  }
  ask orvelle-cli ""
  ask orvelle-cli report a.thk --w
  ask orvelle-cli render a.thk --view ""
  ask orvelle-cli report a.thk --page ""
  ask orvelle-cli grid a.thk --format ""
  ask orvelle-cli diff a.thk b.thk --r
')
expected=$'info grid render roi diff report\n--watch\ncolormap contour linegraph 3d\na4 letter\ncsv npy gsf\n--ratio'
[ "$completions" = "$expected" ] || fail "bash completion gave: $completions"

echo "-- the viewer from /usr/bin under a virtual X server"
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
# The window creates its settings file at start; it must land in the user's configuration.
HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime" \
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" timeout 120 env -u QT_QPA_PLATFORM bash -c '
    /usr/bin/orvelle /usr/share/orvelle/examples/volcano_pitch5.thk >"$1/viewer.log" 2>&1 &
    viewer=$!
    for _ in $(seq 300); do
      [ -s "$XDG_CONFIG_HOME/Orvelle/setting.dat" ] && break
      kill -0 $viewer 2>/dev/null || break
      sleep 0.1
    done
    sleep 1
    kill -0 $viewer 2>/dev/null || { cat "$1/viewer.log" >&2; echo "the viewer did not stay up" >&2; exit 1; }
    kill $viewer
    wait $viewer 2>/dev/null || true
  ' viewer "$tmp" || fail "the installed viewer did not start"
[ -s "$tmp/config/Orvelle/setting.dat" ] || fail "no settings in the user configuration directory"
$stray_before || [ ! -e "$stray" ] || fail "the installed viewer wrote $stray"

cleanup
installed=false
trap - EXIT
dpkg-query -W -f='${db:Status-Abbrev}' orvelle 2>/dev/null | grep -q '^i' && fail "orvelle is still installed"
[ ! -e /usr/bin/orvelle ] && [ ! -e /usr/share/orvelle ] || fail "files remain after removal"
! grep -q 'x-orvelle-thk' /usr/share/mime/globs2 || fail "the MIME type remains after removal"
after=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' | awk '$1=="ii"{print $2}')
[ "$before" = "$after" ] || fail "the installed packages differ from before the check"
echo "package check passed"
