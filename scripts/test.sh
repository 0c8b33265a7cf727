#!/usr/bin/env bash
# Builds the program and every test suite, then runs them all with CTest, and clang-tidy over the
# product code (scripts/tidy.sh; a finding fails). Then the Linux suites run again built with the
# sanitizers (scripts/test-sanitizers.sh), the toolkit-free core is cross-built for Windows and its
# suite runs a second time under Wine, and last the two packages are built, checked, installed
# into a scratch root and removed.
# With CI=true compiler warnings are errors. The results also go to build/ctest-junit.xml, where
# CI looks for skipped cases.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${CHECK_PACKAGES[@]}" "${FAULT_TEST_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DQUILLMERE_WERROR="$werror"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)" --output-junit "$build/ctest-junit.xml"

# --- Static checks: clang-tidy over the product code, with the checks in .clang-tidy ---------
bash "$root/scripts/tidy.sh" "$build"

# --- Sanitizers: the Linux suites again, built to catch memory, undefined-behaviour and thread faults
bash "$root/scripts/test-sanitizers.sh"

# --- Windows: the core under Wine -----------------------------------------------------------
# A fresh Wine prefix in a temporary folder: no test sees a real Wine set-up, and the registry
# the settings tests write to starts empty and is thrown away. Mono and Gecko are not needed.
bash "$root/scripts/test-windows.sh" "$werror"
# The Windows-only code through the MinGW build's compile database, with the same checks.
bash "$root/scripts/tidy.sh" "$root/build-win64"

# --- Packages: the .deb and the Windows zip (reuses the MinGW build above) ----------------------
bash "$root/scripts/test-package.sh"
