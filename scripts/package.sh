#!/usr/bin/env bash
# Builds the two packages people install and writes them into dist/:
#   quillmere_<version>_amd64.deb               the Linux package (cpack -G DEB, Release build in
#                                               build-package/ with Debian's hardening flags)
#   quillmere-<version>-windows-x86_64.zip      the two Windows programs, the README and the licence, from the
#                                               MinGW build in build-win64/ (the one the Wine test
#                                               run uses, so after the test command it is reused)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" g++-mingw-w64-x86-64-posix

linux_build="$root/build-package"
windows_build="$root/build-win64"
# What the Windows zip holds besides the README: exactly these programs of the MinGW build.
windows_programs=("$windows_build/winapp/quillmere.exe" "$windows_build/cli/quillmere-backup.exe")
dist="$root/dist"

fail() { echo "package.sh: $*" >&2; exit 1; }

# --- Linux -------------------------------------------------------------------------------------
# The flags Debian builds its own packages with (fortified functions, a read-only relocation
# table bound at start-up); no debugging information, as the package's programs are stripped.
# Asked for in the source folder, so the file-prefix map names it and the flags stay the same
# from run to run (a change would rebuild everything).
flags() { (cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get "$1"); }
cmake -S "$root" -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUILLMERE_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)"
cmake --build "$linux_build"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux_build/CMakeCache.txt")"
[ -n "$version" ] || fail "no project version in $linux_build/CMakeCache.txt"

deb="$dist/quillmere_${version}_amd64.deb"
zip="$dist/quillmere-${version}-windows-x86_64.zip"
# A failed run must not leave the packages of an earlier one looking like its own.
rm -f "$deb" "$zip"
mkdir -p "$dist"
# Each package is made in a folder inside dist/ and renamed into place once whole, so an
# interrupted run never leaves a partial package under the final name.
stage="$(mktemp -d "$dist/.staging.XXXXXX")"
trap 'rm -rf "$stage"' EXIT
(cd "$linux_build" && cpack -G DEB -B "$stage/cpack" >/dev/null)
mv "$stage/cpack/${deb##*/}" "$deb"
echo "package.sh: $deb"

# --- Windows -----------------------------------------------------------------------------------
# Configured as scripts/test-windows.sh configures it (warnings-as-errors stays as that left it).
cmake -S "$root" -B "$windows_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DQUILLMERE_BUILD_GUI=OFF
cmake --build "$windows_build"
for program in "${windows_programs[@]}"; do
    [ -f "$program" ] || fail "$program is missing after the MinGW build, and the Windows zip needs it"
done

for program in "${windows_programs[@]}"; do
    x86_64-w64-mingw32-strip -o "$stage/${program##*/}" "$program"
done
# The users' README (not the developers' README.md) with Windows line ends, so Notepad shows its
# lines, and a byte order mark, so it reads the Japanese as UTF-8 whatever the system's code page.
{ printf '\xef\xbb\xbf'; sed 's/\r*$/\r/' "$root/packaging/README-windows.txt"; } >"$stage/README.txt"
sed 's/\r*$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
(cd "$stage" && zip -q -X -9 "$stage/${zip##*/}" "${windows_programs[@]##*/}" README.txt LICENSE.txt)
mv "$stage/${zip##*/}" "$zip"
echo "package.sh: $zip"
