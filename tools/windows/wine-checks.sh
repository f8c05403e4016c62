#!/usr/bin/env bash
# The part of tools/windows-check.sh that runs with an X server. Usage: wine-checks.sh OUT LINUX
set -uo pipefail
out=$1
linux=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
pictures="python3 $root/tools/windows/pictures.py"
failed=0
fail() {
  echo "FAIL $*"
  failed=$((failed + 1))
}
# One Wine server for the whole run; each program start is then a fraction of a second.
wineserver -p
trap 'wineserver -k' EXIT
work=$(mktemp -d)
trap 'wineserver -k; rm -rf "$work"' EXIT

echo "== unit tests under Wine"
# Left out: the comma-decimal locale cases (a glibc locale) and POSIX permission bits.
wine "$out/build/tests/orvelle_windows_tests.exe" \
  --gtest_filter='-*Comma*:SettingsFileSave.ReplacesTheFileWholeAndLeavesNoTemporaryFile' \
  >"$work/unit.log" 2>&1 || fail "unit tests"
tail -3 "$work/unit.log"
grep '^\[  FAILED' "$work/unit.log"

echo "== command-line contract through Wine"
cli=$out/orvelle-cli-wine
printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$out/orvelle-cli.exe" >"$cli"
chmod +x "$cli"
contract=$root/../shared/tools/cli-contract-check
if [ -f "$contract" ]; then bash "$contract" "$cli" || fail "contract"; fi

echo "== info, grid and roi: the same bytes as the Linux build"
inputs=("$root"/examples/*.thk)
# A sample of the parser's seed files: well-formed and damaged ones, so messages compare too.
mapfile -t seeds < <(ls "$root"/fuzz/corpus/thkfile/* 2>/dev/null | head -n 40)
inputs+=("${seeds[@]}")
[ -d "$root/tests/fixtures" ] && inputs+=("$root"/tests/fixtures/*.thk)
compared=0
run_both() {  # run_both NAME STDIN ARGS...: compares status, stdout and stderr
  local name=$1 input=$2
  shift 2
  "$linux/orvelle-cli" "$@" <"$input" >"$work/l.out" 2>"$work/l.err"
  echo "$?" >>"$work/l.out"
  # Wine has once dropped a run's standard error (once in well over a thousand runs; 350 repeats
  # of that run never showed it again), so a difference counts when a second run shows it too.
  # The first one is printed either way.
  local attempt
  for attempt in 1 2; do
    wine "$out/orvelle-cli.exe" "$@" <"$input" >"$work/w.out" 2>"$work/w.err"
    echo "$?" >>"$work/w.out"
    if cmp -s "$work/l.out" "$work/w.out" && cmp -s "$work/l.err" "$work/w.err"; then
      compared=$((compared + 1))
      return
    fi
    [ "$attempt" = 1 ] && echo "differed once, run again: $name: $*" &&
      diff <(head -c 2000 "$work/l.out"; cat "$work/l.err") \
        <(head -c 2000 "$work/w.out"; cat "$work/w.err") | head -5
  done
  fail "$name: $*"
}
for f in "${inputs[@]}"; do
  run_both info /dev/null info "$f"
  run_both grid /dev/null grid "$f" --type 0 -o -
  run_both roi /dev/null roi "$f" --roi1 40,60 --roi2 150,150 -o -
done
clip=$root/examples/volcano_spline_clipboard.txt
run_both info-stdin "$clip" info -
run_both roi-stdin "$clip" roi - --roi1 20,20 --spline 3 -o -
# Japanese folder and file names on the command line, in messages and for an output file.
jp=$work/測定データ
mkdir -p "$jp"
cp "$root/examples/volcano_pitch5.thk" "$jp/ウェーハ１.thk"
run_both info-japanese /dev/null info "$jp/ウェーハ１.thk"
run_both missing-japanese /dev/null info "$jp/無い.thk"
wine "$out/orvelle-cli.exe" roi "$jp/ウェーハ１.thk" --roi1 40,60 -o "$jp/結果.csv" &&
  "$linux/orvelle-cli" roi "$jp/ウェーハ１.thk" --roi1 40,60 -o - | cmp -s - "$jp/結果.csv" ||
  fail "roi into a Japanese file name"
echo "$compared runs gave the same bytes"

echo "== render: pixels compared with the Linux build"
for f in "$root"/examples/*.thk; do
  for view in colormap contour linegraph 3d; do
    "$linux/orvelle-cli" render "$f" --view "$view" -o "$work/l.png" 2>/dev/null
    wine "$out/orvelle-cli.exe" render "$f" --view "$view" -o "$work/w.png" 2>/dev/null
    result=$($pictures diff "$work/l.png" "$work/w.png" 2>&1)
    echo "$(basename "$f") $view: $result"
    # The colour map and the contour map carry no text: they must be equal. The line graph and
    # the 3D view draw their labels through the system's font rasteriser.
    case "$view:$result" in
      colormap:"0 pixels differ" | contour:"0 pixels differ" | linegraph:* | 3d:*) ;;
      *) fail "render $view" ;;
    esac
  done
done

echo "== report: workers, the Linux build's summary.csv, --resume, a stopped run"
# Good and damaged files, named relative to the working folder so both builds print the same.
mkdir -p "$work/rin"
cp "$root"/examples/*.thk "$work/rin/"
for f in "${seeds[@]}"; do cp "$f" "$work/rin/$(basename "$f").thk"; done
report() {  # report CLI OUT [options]: runs report over rin/ in $work, echoes its status
  local cli=$1 dir=$2
  shift 2
  (cd "$work" && $cli report rin/*.thk -o "$dir" --jobs 2 --timeout 120 --quiet "$@" 2>/dev/null)
  echo "$?"
}
lstatus=$(report "$linux/orvelle-cli" lin)
wstatus=$(report "wine $out/orvelle-cli.exe" win)
lpages=$(pdfinfo "$work/lin/report.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
wpages=$(pdfinfo "$work/win/report.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
echo "$(($(wc -l <"$work/lin/summary.csv") - 1)) rows; status $lstatus and $wstatus; PDF pages $lpages and $wpages"
cmp -s "$work/lin/summary.csv" "$work/win/summary.csv" || fail "report: summary.csv differs"
[ "$lstatus" = "$wstatus" ] && [ -n "$lpages" ] && [ "$lpages" = "$wpages" ] || fail "report"
wstatus=$(report "wine $out/orvelle-cli.exe" win --resume)
cmp -s "$work/lin/summary.csv" "$work/win/summary.csv" && [ "$wstatus" = "$lstatus" ] ||
  fail "report --resume"
# Ctrl+C: Wine turns SIGINT to a console program into the console's Ctrl+C event, which
# reaches the console handler as on Windows. It comes once the second file is started (the
# slow examples go first), so the first one's row is in and the rest are not run.
(cd "$work" && wine "$out/orvelle-cli.exe" report rin/volcano_pitch5.thk \
  rin/coads_atlantic_sparse.thk rin/[0-9]*.thk -o stop --jobs 1 --quiet 2>/dev/null) &
pid=$!
for _ in $(seq 1 300); do
  [ "$(ls -d "$work"/stop/*/ 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.1
done
pkill -INT -n -f 'orvelle-cli.exe report rin/volcano_pitch5.thk rin/coads' || fail "no report to stop"
wait "$pid"
status=$?
kept=$(tail -n +2 "$work/stop/summary.csv" | grep -cvF ',not run,')
notrun=$(grep -cF ',not run,' "$work/stop/summary.csv")
echo "stopped: status $status, $kept finished rows kept, $notrun not run"
[ "$status" -eq 130 ] && [ "$kept" -ge 1 ] && [ "$notrun" -ge 1 ] || fail "stopped report"
tail -n +2 "$work/stop/summary.csv" | grep -vF ',not run,' | grep -vxFf "$work/lin/summary.csv" &&
  fail "a finished row of the stopped run differs from the Linux build's"
[ -z "$(find "$work/stop" -regex '.*\.[0-9]+$')" ] || fail "the stopped run left a temporary file"

echo "== report: Japanese names, a watched folder, shards and merge"
# The same names relative to the working folder on both sides, so summary.csv must be equal.
mkdir -p "$work/測定"
cp "$root/examples/volcano_pitch5.thk" "$work/測定/ウェーハ１.thk"
cp "$root/examples/volcano_pitch5.thk" "$work/測定/ウェーハ２.thk"
jp_report() {  # jp_report CLI OUT [options]: report over the two Japanese files from $work
  local cli=$1 dir=$2
  shift 2
  (cd "$work" && $cli report 測定/ウェーハ１.thk 測定/ウェーハ２.thk -o "$dir" --quiet "$@" 2>/dev/null)
}
jp_report "$linux/orvelle-cli" jlin
jp_report "wine $out/orvelle-cli.exe" jwin
[ -f "$work/jwin/ウェーハ１/info.json" ] && cmp -s "$work/jlin/summary.csv" "$work/jwin/summary.csv" ||
  fail "report over Japanese names"
jp_report "wine $out/orvelle-cli.exe" js1 --shard 1/2
jp_report "wine $out/orvelle-cli.exe" js2 --shard 2/2
(cd "$work" && wine "$out/orvelle-cli.exe" report --merge -o jmerged js2 js1 --quiet 2>/dev/null)
[ -f "$work/jmerged/ウェーハ２/page/colormap-0.ppm" ] &&
  cmp -s "$work/jlin/summary.csv" "$work/jmerged/summary.csv" || fail "report --shard and --merge"
# A watched folder names its files folder/name, as on Linux.
(cd "$work" && wine "$out/orvelle-cli.exe" report --watch 測定 -o jwatch --settle 0 --quiet \
  2>/dev/null) &
pid=$!
for _ in $(seq 1 600); do
  [ "$(wc -l 2>/dev/null <"$work/jwatch/summary.csv" || echo 0)" -ge 3 ] && break
  sleep 0.1
done
pkill -INT -n -f 'orvelle-cli.exe report --watch' || fail "no watching report to stop"
wait "$pid"
cmp -s "$work/jlin/summary.csv" "$work/jwatch/summary.csv" || {
  fail "report --watch"
  cut -d, -f1 "$work/jwatch/summary.csv"
}

echo "== the window under Wine"
gui=$work/gui
mkdir -p "$gui"
cp "$out/orvelle.exe" "$gui/"
window="wine $out/wine-window.exe"
(cd "$gui" && wine orvelle.exe "$root/examples/volcano_pitch5.thk") &
pid=$!
if $window wait "Orvelle " 60; then
  sleep 3  # the first frames of the 3D view
  $window shot "Orvelle " "$work/shot.bmp" && $pictures shot "$work/shot.bmp" "$out/screenshot.png"
  $pictures views "$out/screenshot.png" || fail "four views"
  # The keypad on the contour's border count, and its Japanese message for a value out of range.
  $window dblclick "Orvelle " 493 334
  if $window wait "Data Input" 20; then
    $window keys "Data Input" 99n
    sleep 2
    $window shot "Orvelle" "$work/keypad.bmp" && $pictures shot "$work/keypad.bmp" "$out/screenshot-keypad.png"
    $window keys "Orvelle" n
    sleep 1
    $window click "Data Input" 180 208  # CAN
    sleep 1
    ! $window wait "Data Input" 1 || fail "the keypad did not close"
  else
    fail "no keypad"
  fi
  # The window wrote the settings at start; Exit must write them again.
  rm -f "$gui/setting.dat"
  $window click "Orvelle " 789 695  # Exit
else
  fail "no window"
fi
for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then
  fail "the window did not end on Exit"
  kill "$pid"
fi
wait "$pid"
lines=$(wc -l <"$gui/setting.dat" 2>/dev/null || echo 0)
crlf=$(grep -c $'\r$' "$gui/setting.dat" 2>/dev/null || echo 0)
echo "setting.dat beside orvelle.exe: $lines lines, $crlf with CR LF"
[ "$lines" -eq 61 ] && [ "$crlf" -eq 61 ] || fail "setting.dat"
echo "screenshots: $out/screenshot.png, $out/screenshot-keypad.png"

echo "== the setup: silent install, the installed programs, the uninstaller"
setup=$(ls "$out"/orvelle-*-setup.exe)
progs=$(wine cmd /c echo %ProgramW6432% 2>/dev/null | tr -d '\r')
inst=$(winepath -u "$progs\\Orvelle Test" 2>/dev/null)
appdata=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')\\Orvelle" 2>/dev/null)
keys=('HKLM\Software\Classes\.thk' 'HKLM\Software\Classes\Orvelle.thk'
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvelle')
link=$(winepath -u "$(wine cmd /c echo %ProgramData% 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs\\Orvelle.lnk" 2>/dev/null)
rm -rf "$inst" "$appdata"
# /D= takes the rest of the command line, spaces and all, unquoted: cmd passes it as it is.
wine cmd /c "$(winepath -w "$setup") /S /D=$progs\\Orvelle Test" || fail "silent install"
installed=$(cd "$inst" 2>/dev/null && find . -type f | wc -l)
echo "$installed files in $progs\\Orvelle Test"
[ -f "$inst/installed" ] && [ -f "$inst/uninstall.exe" ] && [ -f "$inst/licences/orvelle.txt" ] ||
  fail "installed files"
[ -f "$link" ] || fail "no Start-menu entry"
for k in "${keys[@]}"; do wine reg query "$k" >/dev/null 2>&1 || fail "no registry key $k"; done
wine reg query 'HKLM\Software\Classes\Orvelle.thk\shell\open\command' /ve 2>/dev/null |
  grep -q 'Orvelle Test\\orvelle.exe" "%1"' || fail "the .thk file type"
wine "$inst/orvelle-cli.exe" info "$inst/examples/volcano_pitch5.thk" >"$work/i.out" 2>&1 &&
  "$linux/orvelle-cli" info "$root/examples/volcano_pitch5.thk" | cmp -s - "$work/i.out" ||
  fail "the installed orvelle-cli.exe"
# The viewer started from the install folder keeps its settings in the user's folder.
(cd "$inst" && wine orvelle.exe) &
pid=$!
if $window wait "Orvelle " 60; then
  $window click "Orvelle " 789 695  # Exit
else
  fail "no window from the install folder"
fi
for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && kill "$pid"
wait "$pid"
[ -f "$appdata/setting.dat" ] && [ ! -e "$inst/setting.dat" ] ||
  fail "the installed viewer's settings are not in $appdata"
# What the setup put there and nothing else goes: setting.dat in the user's folder stays.
wine "$inst/uninstall.exe" /S || fail "silent uninstall"
for _ in $(seq 1 150); do [ -e "$inst" ] || break; sleep 0.2; done
[ -e "$inst" ] && { fail "left in the install folder:"; find "$inst"; }
[ -e "$link" ] && fail "the Start-menu entry is left"
for k in "${keys[@]}"; do ! wine reg query "$k" >/dev/null 2>&1 || fail "registry key $k left"; done
[ -f "$appdata/setting.dat" ] || fail "the uninstaller took the user's settings"

[ "$failed" -eq 0 ] && echo "Windows checks passed" || echo "$failed Windows check(s) failed"
[ "$failed" -eq 0 ]
