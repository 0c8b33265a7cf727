#!/usr/bin/env bash
# Runs clang-tidy with the checks in .clang-tidy over the product code of a configured build (its
# compile_commands.json), two files at a time. The tests and the benchmarks are not checked. Any
# finding fails the run.
# Given the MinGW build (build-win64/, made by scripts/test-windows.sh), it checks the code only
# Windows compiles: platform/win32/, winapp/ and the console program's Windows parts in cli/; the
# rest is the same code the Linux build's run has checked.
# Usage: scripts/tidy.sh [build folder, default build/]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: no $build/compile_commands.json; configure the build first" >&2
    exit 1
fi

# The product folders, in the checkout and in the layers' include roots (build/layers/<layer>/),
# through which the layers' headers are reached.
root_pattern="$(printf '%s' "$root" | sed 's/[][\.*^$+?(){}|]/\\&/g')"
folders='(app|backup|cli|forms|platform|settings|winapp)'
sources="^$root_pattern/$folders/"
build_pattern="$(cd "$build" && pwd | sed 's/[][\.*^$+?(){}|]/\\&/g')"
headers="^($root_pattern|$build_pattern/layers/[^/]+)/$folders/"

extra_args=()
if grep -q -- '-w64-mingw32-' "$build/compile_commands.json"; then
    sources="^$root_pattern/(platform/win32|winapp|cli)/.*\.cpp$"
    # clang parses for the MinGW target with MinGW's C++ library (Debian's clang does not find the
    # posix-threads one on its own) and the Windows headers; the compiler's own headers stay
    # clang's, as GCC's intrinsics do not parse with clang.
    extra_args+=(-extra-arg=--target=x86_64-w64-mingw32 -extra-arg=-nostdinc++)
    while read -r folder; do
        case "$folder" in
            */include/c++*) extra_args+=("-extra-arg=-isystem$(realpath "$folder")") ;;
        esac
    done < <(x86_64-w64-mingw32-g++-posix -E -x c++ - -v </dev/null 2>&1 |
        sed -n '/^#include <...> search starts here:$/,/^End of search list\.$/s/^ //p')
fi

start=$SECONDS
# Only the findings and their context are of interest, not the command lines and counts, and
# without the colours run-clang-tidy always asks for.
set +e
run-clang-tidy -p "$build" -j 2 -quiet "${extra_args[@]}" -header-filter="$headers" "$sources" 2>&1 |
    sed 's/\x1b\[[0-9;]*m//g' |
    grep -v -e '^clang-tidy' -e '^[0-9]* warnings\? generated\.$' -e '^Suppressed [0-9]* warnings' \
        -e '^Use -header-filter=' -e '^Running clang-tidy'
status=${PIPESTATUS[0]}
set -e
if [ "$status" -ne 0 ]; then
    echo "tidy: clang-tidy found something in the product code (see above)" >&2
    exit 1
fi
echo "tidy: no finding ($((SECONDS - start)) s)"
