#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build and the tests need.
# Idempotent: when every package is already present it only checks and returns.
# Must run as root (CI and our development machines run as root).
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix   # i686-w64-mingw32-g++-posix: GoogleTest needs the posix thread model
  g++-mingw-w64-x86-64-posix # the test programs that run under 64-bit Wine
  mingw-w64-tools            # widl
  wine wine64                # the Windows API the cross-built tests run against
  wine32:i386                # Wine's 32-bit files (stdole2.tlb for widl); this machine runs only wine64
  libwine-dev                # Wine's IDL files for widl (oaidl.idl, ocidl.idl, ...)
  xvfb xauth                 # a display for windowed tests
  googletest                 # GoogleTest sources, built by us for both configurations
  openjdk-17-jdk-headless    # jni.h
  clang-14 libclang-rt-14-dev  # libFuzzer
  cmake ninja-build g++ util-linux python3
  imagemagick x11-apps       # screenshots of the trace window (demo)
  locales                    # the system locales the language scenarios run in
)

# The locales in which the launcher's language scenarios run (Wine takes the system
# language from LC_ALL).
locales=(zh_CN zh_TW zh_HK ja_JP)

make_locales() {
  local name
  for name in "${locales[@]}"; do
    locale -a 2>/dev/null | grep -qx "$name.utf8" || localedef -i "$name" -f UTF-8 "$name.UTF-8"
  done
}

missing=()
for p in "${packages[@]}"; do
  # dpkg-query understands name:arch; an absent or half-installed package counts as missing.
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == "ii " ]] || missing+=("$p")
done

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing+=(wine32:i386)
fi

if ((${#missing[@]} == 0)); then
  make_locales
  echo "bootstrap: everything is installed"
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "bootstrap: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi

echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
make_locales
echo "bootstrap: done"
