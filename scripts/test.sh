#!/usr/bin/env bash
# Builds the program and every test suite, then runs them all with CTest.
# With CI=true compiler warnings are errors. The results also go to build/ctest-junit.xml, where
# CI looks for skipped cases.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}"

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DQUILLMERE_WERROR="$werror"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)" --output-junit "$build/ctest-junit.xml"
