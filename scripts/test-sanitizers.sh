#!/usr/bin/env bash
# Builds the Linux suites once more with the compiler's sanitizers and runs them, each build in a
# folder of its own: build-asan/ holds every suite with the address and undefined-behaviour
# sanitizers, build-tsan/ the suites that run the copy engine's threads (the toolkit-free core,
# the window logic, the command-line program and the fault suite's child) with the thread
# sanitizer. The Qt windows are left out of the latter: Qt is not built with it, and what its own
# threads do would be reported as races of ours. Any finding fails the test that meets it (see
# cmake/QuillmereTest.cmake). Called by test.sh; compiler warnings are the main build's to judge.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# run_sanitized FOLDER SANITIZERS EXCLUDED-TESTS [CMAKE-OPTIONS...]
run_sanitized() {
    local build="$1" sanitizers="$2" excluded="$3"
    shift 3
    cmake -S "$root" -B "$build" -G Ninja -DQUILLMERE_WERROR=OFF -DQUILLMERE_SANITIZE="$sanitizers" "$@"
    cmake --build "$build"
    ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)" -E "$excluded"
}

# The layer probes only compile: they prove nothing more in a sanitized build. The settings
# writer killed at random moments needs program starts far quicker than a sanitized build's to
# finish a write at all (it tests the timing of a kill, which the plain build does), and the
# other settings writers are not threaded.
run_sanitized "$root/build-asan" address,undefined '^layers\.|^SettingsFault\.WriterKilledAtRandomMoments'
run_sanitized "$root/build-tsan" thread '^layers\.|^SettingsFault\.' -DQUILLMERE_BUILD_GUI=OFF
