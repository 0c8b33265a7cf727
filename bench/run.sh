#!/usr/bin/env bash
# Builds the program and the benchmarks in Release into build-bench/, then runs every benchmark
# on a private virtual X display and prints the table of figures, ours beside the baselines.
#
#   bash bench/run.sh [--dir FOLDER] [--runs N] [--no-window]
#
# --dir chooses where the work sets and copies go (default $TMPDIR, else /tmp): about 3 GiB on the
# file system whose figures are wanted. Exits 1 when a target is not met.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLMERE_BUILD_TESTS=OFF -DQUILLMERE_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
    --target quillmere quillmere-backup quillmere_bench quillmere_copy_once quillmere_bare_window

# Xvfb picks a free display itself and writes its number once it accepts connections, so no
# display of another session is ever taken over and no fixed wait is needed.
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
display_file="$(mktemp)"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 2; }
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$display_file")"
rm -f "$display_file"

"$build/bench/quillmere_bench" --bin "$build" "$@"
