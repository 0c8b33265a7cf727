#!/usr/bin/env bash
# Builds the program and the benchmarks in Release into build-bench/, then runs every benchmark
# on a private virtual X display and prints the table of figures, ours beside the baselines.
#
#   bash bench/run.sh [--fresh-fs | --dir FOLDER] [--runs N] [--no-window]
#
# --dir chooses where the work sets and copies go (default $TMPDIR, else /tmp): about 3 GiB per
# run on the file system whose figures are wanted. --fresh-fs (as root) measures on a new ext4
# file system without a journal in a loop image under /var/tmp, on which nothing has ever been
# deleted; the image goes again at the end. Exits 1 when a target is not met.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

args=()
fresh=""
runs=5
previous=""
for arg in "$@"; do
    if [ "$arg" = --fresh-fs ]; then fresh=1; else args+=("$arg"); fi
    [ "$previous" = --runs ] && runs="$arg"
    previous="$arg"
done
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
image=""
mount_point=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$mount_point" ] && umount "$mount_point" && rmdir "$mount_point"
    [ -n "$image" ] && rm -f "$image"
    true
}
trap cleanup EXIT

if [ -n "$fresh" ]; then
    # Room for every run's copies kept to the end: about 6 GiB and 250 000 files a run, both
    # sides, and 2 GiB of work sets. The image is sparse, so the disk gives only what is
    # written. The copies stay when the benchmark ends (--keep): the file system goes with the
    # image.
    image="$(mktemp /var/tmp/quillmere-bench-XXXXXX.img)"
    truncate -s "$((6 * runs + 8))G" "$image"
    mkfs.ext4 -q -F -O ^has_journal -N "$((300000 * runs + 1000000))" "$image"
    mount_point="$(mktemp -d /mnt/quillmere-bench-XXXXXX)"
    mount -o loop "$image" "$mount_point"
    echo "measuring on $(findmnt -no SOURCE,FSTYPE,OPTIONS "$mount_point"), ext4 without a journal in $image" >&2
    args+=(--dir "$mount_point" --keep)
fi
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

status=0
"$build/bench/quillmere_bench" --bin "$build" "${args[@]}" || status=$?
exit "$status"
