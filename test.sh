#!/usr/bin/env bash
# Sets up everything, builds, and runs the whole test suite: the sanitizer build, the fuzz
# targets for a bounded time, the command-line contract, the Debian package, the Windows programs
# under Wine, then the release suite under Xvfb (and, with ORVELLE_SLURM_CHECK=1, the Slurm
# recipe on a one-node cluster).
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
jobs=$(nproc)
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"

echo "== format check"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror $files

echo "== sanitizer build (address + undefined)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVELLE_SANITIZE=ON \
  -DORVELLE_BUILD_BENCH=OFF -DORVELLE_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" timeout 1200 ctest --output-on-failure --repeat until-pass:2 -j"$jobs")

echo "== fuzz targets"
CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVELLE_FUZZ=ON \
  -DORVELLE_BUILD_GUI=OFF -DORVELLE_BUILD_TESTS=OFF -DORVELLE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
./fuzz/run-fuzzers.sh build-fuzz "${ORVELLE_FUZZ_SECONDS:-20}"

echo "== release build and suite"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVELLE_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build -j"$jobs"
echo "== command-line contract"
contract=../shared/tools/cli-contract-check
if [ -f "$contract" ]; then bash "$contract" build/orvelle-cli; fi
echo "== Debian package (built, checked, installed with apt-get and removed again)"
./tools/package-check.sh build
echo "== Windows programs, cross-built and checked under Wine"
ORVELLE_JOBS=$jobs ./tools/windows-check.sh build
if [ "${ORVELLE_SLURM_CHECK:-0}" = 1 ]; then
  echo "== Slurm: the documented array job and its merge on a one-node cluster"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO ./tools/slurm-check.sh build
fi
cd build && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" timeout 1200 ctest --output-on-failure --repeat until-pass:2 -j"$jobs"
