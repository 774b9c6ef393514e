#!/usr/bin/env bash
# bench.sh [PAIRS]
# The launcher benchmark: builds the 64-bit setup.exe, the installer stub and the baseline
# driver, then runs setup.exe on a medium without records against the driver that makes the
# same process starts, alternating the two in one Wine session, and prints the median ratio
# of their times. Not a test: nothing is asserted.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
pairs=${1:-15}

bash "$root/scripts/bootstrap.sh" >/dev/null
if [[ ! -f $build/win64/build.ninja ]]; then
  cmake -S "$root" -B "$build/win64" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" \
    -DVANU_WIN32_BIN_DIR="$build/win32/bin" >"$build/win64.configure.log"
fi
cmake --build "$build/win64" -j "${JOBS:-2}" --target launcher_bench >/dev/null

# A prefix of its own: the runs share no named objects and no server with the Wine tests.
# setup.exe loads the window system for its cursor, so it gets a display.
prefix=$build/win64/bench-prefix
status=0
VANU_WINDOWED=1 "$root/scripts/wine-run.sh" "$prefix" "$build/win64/bin/launcher_bench.exe" "$pairs" || status=$?
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
exit $status
