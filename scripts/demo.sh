#!/usr/bin/env bash
# The main job, end to end: lays out a sample installation medium in build/demo/medium and
# runs the launcher on it with "-show" under Wine and Xvfb. A robot answers the
# "close debug window" box; while it is open a screenshot is saved to
# build/demo/trace-window.png. Prints the trace text, the message boxes and the programs
# the launcher started, with their command lines.
#
# This machine cannot execute 32-bit code (see README), so the demo runs the 64-bit build of
# setup.exe, made from the same sources as the 32-bit deliverable in build/win32/bin.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
demo=$build/demo
bash "$root/scripts/bootstrap.sh"
for config in win32:i686 win64:x86_64; do
  name=${config%%:*} arch=${config##*:}
  log=$build/$name.demo-build.log
  mkdir -p "$build"
  if ! { cmake -S "$root" -B "$build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
           -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
           -DVANU_WIN32_BIN_DIR="$build/win32/bin" &&
         cmake --build "$build/$name" -j "${JOBS:-2}"; } >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "demo: the $name build failed (full log: $log)" >&2
    exit 1
  fi
done

bin=$build/win64/bin
prefix=$build/win64/wineprefix
winpath() { echo "Z:${1//\//\\}"; }

rm -rf "$demo"
mkdir -p "$demo/medium" "$demo/installed/System"
cp "$bin/setup.exe" "$demo/medium/setup.exe"
cp "$bin/program_stub.exe" "$demo/medium/QINS.exe"
cp "$bin/program_stub.exe" "$demo/installed/System/Website.exe"
printf '[ENG]\r\nHint=Hint\r\nQmoName=Vanu Duvude\r\n\r\n[SCH]\r\nHint=Hint\r\n' >"$demo/medium/SetupLan.ini"
printf '[property]\r\nversion_code=6.1.0312.131ZH\r\nfull_caption=Vanu Duvude\r\n' >"$demo/medium/InstallInfo.ini"

# The installer stub reports completion over the pipe and then runs on for a second.
export VANU_STUB_LOG=$(winpath "$demo/started.log")
export VANU_STUB_SEND=08000000434F5059454E4400 VANU_STUB_SLEEP_MS=1000
unset VANU_STUB_PIPE
# A prefix of its own is made on first use by wine-run.sh; the installed suite's record:
"$root/scripts/wine-run.sh" "$prefix" reg add 'HKCR\halvicor' /v install_dir /t REG_SZ \
  /d "$(winpath "$demo/installed")" /f >/dev/null
# Wine's desktop process stays bound to the display of the first program: end this
# display-less session before the windowed run.
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true

cat >"$demo/run.sh" <<INNER
set -e
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 "$bin/ui_robot.exe" "$(winpath "$demo/report.txt")" "$(winpath "$demo/go")" \
  "$(winpath "$demo/medium/setup.exe")" -show &
robot=\$!
for i in \$(seq 1 600); do [ -f "$demo/report.txt.open" ] && break; sleep 0.1; done
sleep 0.5
import -window root "$demo/trace-window.png"
touch "$demo/go"
wait \$robot
/usr/lib/wine/wineserver -w
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash "$demo/run.sh"
"$root/scripts/wine-run.sh" "$prefix" reg delete 'HKCR\halvicor' /f >/dev/null 2>&1 || true
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true

echo
echo "== the launcher's run (medium: $demo/medium)"
cat "$demo/report.txt"
echo
echo "== programs started (name | command line | process id | current folder)"
tr -d '\r' <"$demo/started.log"
echo
echo "screenshot of the trace window: $demo/trace-window.png"
