#!/usr/bin/env bash
# The one command that sets up a fresh Debian machine and runs every test:
# installs the toolchain (scripts/bootstrap.sh), configures and builds the four
# configurations, runs the native and the Wine tests and the bounded fuzz runs, and ends
# with one line "N passed, M failed". Exit status 0 only when nothing failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
fuzz_seconds=${FUZZ_SECONDS:-30}
jobs=${JOBS:-2}
passed=0
failed=0

finish() {
  [[ -x /usr/lib/wine/wineserver && -d $build/win64/wineprefix ]] &&
    WINEPREFIX=$build/win64/wineprefix /usr/lib/wine/wineserver -k >/dev/null 2>&1
  echo
  echo "$passed passed, $failed failed"
  ((failed == 0 && passed > 0))
  exit $?
}

step() { echo; echo "== $*"; }

step "bootstrap"
if ! bash "$root/scripts/bootstrap.sh"; then failed=$((failed + 1)); finish; fi

configure_and_build() {  # name, cmake arguments...
  local name=$1; shift
  step "build $name"
  if ! cmake -S "$root" -B "$build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$build/$name.configure.log" 2>&1; then
    cat "$build/$name.configure.log"; return 1
  fi
  cmake --build "$build/$name" -j "$jobs"
}

mkdir -p "$build"
configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" || { failed=$((failed + 1)); finish; }
configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" \
  -DVANU_WIN32_BIN_DIR="$build/win32/bin" || { failed=$((failed + 1)); finish; }
configure_and_build native -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc \
  -DVANU_WIN32_BIN_DIR="$build/win32/bin" || { failed=$((failed + 1)); finish; }
configure_and_build fuzz -DVANU_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14 \
  || { failed=$((failed + 1)); finish; }

run_ctest() {  # name [wrapper...]
  local name=$1 log="$build/$1.ctest.log"
  shift
  step "tests $name"
  # A test that times out runs once more: under load Wine has been seen, rarely, to hang in a
  # program's exit after its test had passed. A test that hangs twice fails.
  "$@" ctest --test-dir "$build/$name" --output-on-failure -j "$jobs" --timeout 300 \
    --repeat after-timeout:2 2>&1 | tee "$log"
  local summary total bad
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [[ -z $summary ]]; then
    echo "ctest ($name) ran no test"; failed=$((failed + 1)); return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

run_ctest native
# One display for every Wine test: Wine's desktop process stays bound to the display that
# its first windowed program had.
run_ctest win64 xvfb-run -a -s "-screen 0 1024x768x24"

step "fuzz (${fuzz_seconds} s each)"
for fuzzer in completion_message_fuzzer section_lookup_fuzzer version_parser_fuzzer; do
  corpus="$build/fuzz/corpus/${fuzzer%_fuzzer}"
  mkdir -p "$corpus"
  cp -n "$root/tests/fuzz/corpus/${fuzzer%_fuzzer}/"* "$corpus/" 2>/dev/null
  if (cd "$build/fuzz" && "./bin/$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=0 \
        "$corpus" >"$build/fuzz/$fuzzer.log" 2>&1); then
    echo "$fuzzer: no crash ($(grep -c . "$build/fuzz/$fuzzer.log") log lines)"
    passed=$((passed + 1))
  else
    tail -n 40 "$build/fuzz/$fuzzer.log"
    echo "$fuzzer: FAILED"
    failed=$((failed + 1))
  fi
done

finish
