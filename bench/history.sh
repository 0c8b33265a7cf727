#!/usr/bin/env bash
# "30 days of odds": the cost of a backup history in one destination. A source starts with
# 20 000 files of 4 KiB and gains 200 new files a day; it is backed up once a day for 30 days by
#   (a) full copies: quillmere-backup as it runs by default,
#   (b) quillmere-backup --share-unchanged,
#   (c) rsync -a --link-dest to the day before, then sync -f,
#   (d) cp -r --preserve=timestamps, then sync -f,
# and each one's total time and destination space (du, a file with several links counted once)
# are printed side by side. Then one day alone, 20 000 unchanged files and 200 new ones after one
# earlier backup: (b) against (c) and (d), paired runs, medians and ratios.
#
#   bash bench/history.sh [--quick] [--days N] [--runs N] [--program PATH]
#
# --quick scales everything down for a try (5 days, 2000 files and 20 a day, 3 runs). --program
# measures that quillmere-backup instead of one built here in Release into build-bench/. Needs
# root: every side writes to a new ext4 without a journal in a sparse loop image of its own under
# /var/tmp, mounted under /mnt and removed with its image at the end. Nothing is deleted while it
# runs, so no side creates files over inodes freed minutes before (which slows every create on
# ext4 without a journal). Exits 0 when every target is met, 1 when one is not, 2 when the
# benchmark itself failed.
set -euo pipefail
export LC_ALL=C
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

days=30 start_files=20000 daily_files=200 runs=5 program=""
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) days=5 start_files=2000 daily_files=20 runs=3 ;;
        --days) days="$2"; shift ;;
        --runs) runs="$2"; shift ;;
        --program) program="$(realpath "$2")"; shift ;;
        *) echo "history.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
[ "$(id -u)" -eq 0 ] || { echo "history.sh: run as root (it mounts loop images)" >&2; exit 2; }

# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
if [ -z "$program" ]; then
    cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQUILLMERE_BUILD_TESTS=OFF -DQUILLMERE_BUILD_BENCH=ON >/dev/null
    cmake --build "$root/build-bench" --parallel "$(nproc)" --target quillmere-backup
    program="$root/build-bench/cli/quillmere-backup"
fi
if ! "$program" --help | grep -q -- --share-unchanged; then
    echo "history.sh: $program has no --share-unchanged" >&2
    exit 2
fi

images=() mounts=()
cleanup() {
    local i
    for i in "${!mounts[@]}"; do umount "${mounts[$i]}" && rmdir "${mounts[$i]}"; done
    for i in "${!images[@]}"; do rm -f "${images[$i]}"; done
    true
}
trap cleanup EXIT

# new_fs FILES: a new ext4 without a journal with room for FILES files of 4 KiB and their
# folders; its mount point is left in $made. The inode tables are written now, not by the
# kernel's background thread while the sides are timed.
new_fs() {
    local image mount_point
    image="$(mktemp /var/tmp/quillmere-history-XXXXXX.img)"
    images+=("$image")
    truncate -s "$(($1 * 6 / 1000 / 1024 + 1))G" "$image"
    mkfs.ext4 -q -F -O ^has_journal -E lazy_itable_init=0 -N "$(($1 + 100000))" "$image"
    mount_point="$(mktemp -d /mnt/quillmere-history-XXXXXX)"
    mount -o loop "$image" "$mount_point"
    mounts+=("$mount_point")
    made="$mount_point"
}

# add_files FOLDER FIRST COUNT: COUNT files of 4 KiB of pseudo-random bytes, numbered from FIRST
# ("o0000000.jra" on), written by one process and flushed, so no side pays for their write-back.
add_files() {
    head -c "$(($3 * 4096))" /dev/urandom |
        split -b 4096 -a 7 --numeric-suffixes="$2" --additional-suffix=.jra - "$1/o"
    sync -f "$1"
}

# timed COMMAND...: runs it with its output in $output, its time in seconds in $elapsed; the
# whole machine is synced first so that no run pays for another's write-back.
timed() {
    local before after
    sync
    before=$EPOCHREALTIME
    output="$("$@")"
    after=$EPOCHREALTIME
    elapsed="$(awk -v a="$before" -v b="$after" 'BEGIN { printf "%.6f", b - a }')"
}

# The stamp folder is named after the local time to the second: a run into a destination starts
# in a later second than the one before it ended.
after_second() {
    while [ "${EPOCHREALTIME%.*}" -le "$1" ]; do sleep 0.05; done
}

backup() {  # CONFIG SOURCE DESTINATION [--share-unchanged]
    XDG_CONFIG_HOME="$1" "$program" --yes "${@:4}" "$2" "$3" '*.jra' | tail -n1
}
rsync_day() {  # SOURCE DESTINATION-ROOT DAY-FOLDER [ANCHOR]
    rsync -a ${4:+--link-dest="$2/$4"} "$1/" "$2/$3/" && sync -f "$2"
}
cp_day() {  # SOURCE DESTINATION-ROOT DAY-FOLDER
    cp -r --preserve=timestamps "$1" "$2/$3" && sync -f "$2"
}

# check_copy FOLDER COUNT WHAT: the folder holds COUNT "*.jra" files.
check_copy() {
    local found
    found="$(find "$1" -maxdepth 1 -type f -name '*.jra' | wc -l)"
    [ "$found" -eq "$2" ] || { echo "history.sh: $3: $1 holds $found files, not $2" >&2; exit 2; }
}
space() { du -s -B1 "$1" | cut -f1; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
seconds() { awk -v s="$1" 'BEGIN { printf (s < 1 ? "%.1f ms" : "%.2f s"), (s < 1 ? s * 1000 : s) }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
status=0
# row WHAT OURS BASELINE OURS-TEXT BASELINE-TEXT MAX-RATIO: one line of the targets table.
row() {
    local ratio met
    ratio="$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", a / b }')"
    met="$(awk -v a="$2" -v b="$3" -v m="$6" 'BEGIN { print (a / b <= m ? "met" : "NOT met") }')"
    [ "$met" = met ] || status=1
    echo "| $1 | $4 | $5 | $ratio | <= $6 | $met |"
}

echo "measuring $program, $days days from $start_files files and $daily_files a day, then $runs runs" >&2
total_files=$((days * start_files + daily_files * days * (days - 1) / 2))
new_fs "$((start_files + daily_files * days))"
source_folder="$made/odds"
mkdir "$source_folder"
sides=(full shared rsync cp)
declare -A destination time last_end
for side in "${sides[@]}"; do
    new_fs "$total_files"
    destination[$side]="$made/backups"
    mkdir "$made/backups" "$made/config"
    time[$side]=0
    last_end[$side]=0
done

previous_day=""
for day in $(seq -w 1 "$days"); do
    if [ "$day" -eq 1 ]; then
        add_files "$source_folder" 0 "$start_files"
    else
        add_files "$source_folder" "$((start_files + daily_files * (10#$day - 2)))" "$daily_files"
    fi
    files=$((start_files + daily_files * (10#$day - 1)))
    echo "day $day: $files files" >&2
    # Who goes first turns with the days, so no side always follows the same one.
    for k in 0 1 2 3; do
        side="${sides[$(((10#$day + k) % 4))]}"
        out="${destination[$side]}"
        after_second "${last_end[$side]}"
        case "$side" in
            full) timed backup "${out%/*}/config" "$source_folder" "$out"; folder="$output" ;;
            shared) timed backup "${out%/*}/config" "$source_folder" "$out" --share-unchanged; folder="$output" ;;
            rsync) timed rsync_day "$source_folder" "$out" "day-$day" "${previous_day:+day-$previous_day}"
                   folder="$out/day-$day" ;;
            cp) timed cp_day "$source_folder" "$out" "day-$day"; folder="$out/day-$day" ;;
        esac
        last_end[$side]="${EPOCHREALTIME%.*}"
        check_copy "$folder" "$files" "$side, day $day"
        time[$side]="$(awk -v a="${time[$side]}" -v b="$elapsed" 'BEGIN { printf "%.6f", a + b }')"
        [ "$side" = full ] && last_full="$folder"
    done
    previous_day="$day"
done

one_copy="$(space "$last_full")"
echo
echo "$days days, from $start_files files of 4 KiB and $daily_files new ones a day, one backup a day:"
echo
echo "| side | total time | destination space | space / one full copy |"
echo "|---|---|---|---|"
declare -A label=([full]="quillmere-backup, full copies" [shared]="quillmere-backup --share-unchanged"
    [rsync]="rsync -a --link-dest to the day before, sync -f" [cp]="cp -r --preserve=timestamps, sync -f")
declare -A used
for side in "${sides[@]}"; do
    used[$side]="$(space "${destination[$side]}")"
    echo "| ${label[$side]} | $(seconds "${time[$side]}") | $(mib "${used[$side]}") |" \
        "$(awk -v a="${used[$side]}" -v b="$one_copy" 'BEGIN { printf "%.2f", a / b }') |"
done
echo
echo "One full copy (the last day's, its folder included): $(mib "$one_copy")."

# One day alone: a source of start_files files, one earlier backup of them in each run's own
# destination (made untimed), then daily_files new files and the timed runs.
new_fs "$((start_files + daily_files))"
day_source="$made/odds"
mkdir "$day_source"
add_files "$day_source" 0 "$start_files"
declare -A fs_of
for side in shared rsync cp; do
    new_fs "$(((2 * runs + 1) * (start_files + daily_files)))"
    fs_of[$side]="$made"
    mkdir "$made/config"
done
echo "making the earlier backups of the single day" >&2
for run in $(seq "$runs"); do
    mkdir "${fs_of[shared]}/run-$run" "${fs_of[rsync]}/run-$run"
    backup "${fs_of[shared]}/config" "$day_source" "${fs_of[shared]}/run-$run" --share-unchanged >/dev/null
    rsync_day "$day_source" "${fs_of[rsync]}/run-$run" earlier
done
seeded="${EPOCHREALTIME%.*}"
add_files "$day_source" "$start_files" "$daily_files"
after_second "$seeded"
files=$((start_files + daily_files))
declare -A samples=([shared]="" [rsync]="" [cp]="")
order=(shared rsync cp)
for run in $(seq "$runs"); do
    echo "single day, run $run of $runs" >&2
    for k in 0 1 2; do
        side="${order[$(((run + k) % 3))]}"
        case "$side" in
            shared) timed backup "${fs_of[shared]}/config" "$day_source" "${fs_of[shared]}/run-$run" --share-unchanged
                    folder="$output"
                    linked="$(find "$folder" -maxdepth 1 -type f -name '*.jra' -links +1 | wc -l)" ;;
            rsync) timed rsync_day "$day_source" "${fs_of[rsync]}/run-$run" today earlier
                   folder="${fs_of[rsync]}/run-$run/today" ;;
            cp) timed cp_day "$day_source" "${fs_of[cp]}" "run-$run"; folder="${fs_of[cp]}/run-$run" ;;
        esac
        check_copy "$folder" "$files" "$side, single day, run $run"
        samples[$side]+=" $elapsed"
    done
done
# shellcheck disable=SC2086  # the samples are words
shared="$(median ${samples[shared]})" rsync_median="$(median ${samples[rsync]})" cp_median="$(median ${samples[cp]})"

echo
echo "$start_files unchanged files and $daily_files new ones after one earlier backup, medians of $runs paired runs" \
    "($linked of the last run's files share their inode with the earlier backup):"
echo
echo "| figure | ours (median) | baseline (median) | ratio | target | result |"
echo "|---|---|---|---|---|---|"
row "$days days, destination space with --share-unchanged, vs one full copy" "${used[shared]}" "$one_copy" \
    "$(mib "${used[shared]}")" "$(mib "$one_copy")" 1.10
# Each day's folder of some 20 000 names takes space of its own that no sharing of files saves
# (about 0.6 MiB on ext4), so the anchor shows what a history of complete folders costs at least.
row "$days days, destination space with --share-unchanged, vs rsync --link-dest" "${used[shared]}" \
    "${used[rsync]}" "$(mib "${used[shared]}")" "$(mib "${used[rsync]}")" 1.05
row "one day, --share-unchanged, vs cp and sync" "$shared" "$cp_median" "$(seconds "$shared")" \
    "$(seconds "$cp_median")" 0.50
row "one day, --share-unchanged, vs rsync --link-dest and sync" "$shared" "$rsync_median" "$(seconds "$shared")" \
    "$(seconds "$rsync_median")" 1.00
exit "$status"
