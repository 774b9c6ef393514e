#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]
# Runs a cross-built test program under Wine in PREFIX (a folder inside the build tree),
# creating and configuring the prefix on first use. ctest uses it as the emulator.
# Programs that open windows (VANU_WINDOWED=1) run under their own Xvfb display.
# A missing Wine, Xvfb or prefix is an error, never a skip.
set -euo pipefail

prefix=${1:?usage: wine-run.sh PREFIX PROGRAM [ARGS...]}
shift

# 64-bit Wine: this machine cannot execute 32-bit code (see README).
loader=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
if [[ ! -x $loader || ! -x $server ]]; then
  echo "wine-run: Wine is not installed ($loader); run scripts/bootstrap.sh" >&2
  exit 97
fi

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINESERVER=$server WINELOADER=$loader

prepare_prefix() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [[ ! -f $prefix/.vanu-ready ]]; then
    # The prefix is made in a neutral locale, whichever locale the first test runs in.
    LC_ALL=C.UTF-8 "$loader" wineboot -i >/dev/null 2>&1
    # A crashing program ends with an error instead of waiting for a click in a dialog.
    "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Unmanaged windows close at once under Xvfb.
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$server" -w
    [[ -f $prefix/system.reg ]] || { echo "wine-run: could not create the prefix $prefix" >&2; exit 98; }
    touch "$prefix/.vanu-ready"
  fi
  # Drive M: is a folder of the build tree, for scenarios that run from a drive root.
  mkdir -p "$prefix-drive-m"
  [[ -L $prefix/dosdevices/m: ]] || ln -sfn "$prefix-drive-m" "$prefix/dosdevices/m:"
  exec 9>&-
}
prepare_prefix

if [[ ${VANU_WINDOWED:-0} == 1 && -z ${DISPLAY:-} ]]; then
  command -v xvfb-run >/dev/null || { echo "wine-run: xvfb-run is missing; run scripts/bootstrap.sh" >&2; exit 99; }
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$loader" "$@"
fi
exec "$loader" "$@"
