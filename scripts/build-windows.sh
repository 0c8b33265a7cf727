#!/usr/bin/env bash
# Builds the Windows programs, quillmere.exe and quillmere-backup.exe, with the MinGW-w64 cross
# compiler into build-windows/ (a release build without the tests) and prints where they are.
# Each is one file that needs nothing beside it but Windows 10 or later.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages cmake ninja-build g++-mingw-w64-x86-64-posix

build="$root/build-windows"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_BUILD_GUI=OFF -DQUILLMERE_BUILD_TESTS=OFF
cmake --build "$build" --target quillmere quillmere-backup
echo "$build/winapp/quillmere.exe"
echo "$build/cli/quillmere-backup.exe"
