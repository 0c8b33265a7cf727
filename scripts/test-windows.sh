#!/usr/bin/env bash
# Cross-builds the toolkit-free core and its test suite for 64-bit Windows with MinGW-w64 and
# runs the suite under Wine in a throw-away Wine prefix. Called by test.sh; the argument is ON
# to make compiler warnings errors.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
werror="${1:-OFF}"
build="$root/build-win64"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DQUILLMERE_BUILD_GUI=OFF -DQUILLMERE_WERROR="$werror"
cmake --build "$build"

WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/quillmere-wine.XXXXXX")"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The Wine server of this prefix outlives the test program; stop it before the prefix goes.
trap '/usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
# Wine marks every name beginning with "." hidden, which Windows does not; as on Windows, only
# the hidden attribute makes a file hidden here, so the suites see the system they are about.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w
ctest --test-dir "$build" --output-on-failure --no-tests=error
