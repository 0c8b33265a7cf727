#!/usr/bin/env bash
# The fault mechanisms that need root, a mount namespace or process limits, for the fault tests.
# Each form runs COMMAND... with one fault in place and exits with its status:
#
#   fault-helper.sh tmpfs FOLDER SIZE SNAPSHOT -- COMMAND...
#       FOLDER becomes a tmpfs of SIZE (a full disk once SIZE is used) in a private mount
#       namespace, holding the files FOLDER held; afterwards everything in it is copied to
#       SNAPSHOT, since the tmpfs goes away with the namespace.
#   fault-helper.sh readonly FOLDER -- COMMAND...
#       FOLDER is bind-mounted read-only onto itself in a private mount namespace.
#   fault-helper.sh nocaps -- COMMAND...
#       As root: without CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH, so file modes hold for root
#       as for anyone. Other users have no such capabilities and run COMMAND as they are.
#   fault-helper.sh filesize BLOCKS -- COMMAND...
#       Under a file-size limit of BLOCKS kilobytes, with SIGXFSZ ignored.
#   fault-helper.sh inject CALL ERRNO NTH -- COMMAND...
#       The NTH call of the system call CALL in each thread of COMMAND fails with ERRNO (strace's
#       fault injection); every other call goes through.
#   fault-helper.sh exfat-mount IMAGE FOLDER
#       As root: makes IMAGE a 512 MB exFAT volume (sparse), attaches it to a loop device and
#       mounts it on FOLDER with exfat-fuse, where every process sees it; prints the loop device.
#       exFAT does not tell upper from lower case, as on most USB sticks.
#   fault-helper.sh ext4-mount IMAGE FOLDER
#       As root: makes IMAGE a 16 MB ext4 file system, as on a backup disk, attaches it to a loop
#       device and mounts it on FOLDER; prints the loop device.
#   fault-helper.sh exfat-unmount FOLDER LOOP
#       Unmounts FOLDER (exFAT or ext4), detaches LOOP and removes the image it was made from.
#
# Exit status 77 with "skip: REASON" on stderr means the mechanism is missing on this machine;
# the tests then report the case as skipped with that reason.
set -uo pipefail

skip() {
    echo "skip: $*" >&2
    exit 77
}

# A mount namespace: as root a plain one; otherwise inside a user namespace where the caller is
# root, which many kernels allow.
namespace_runner() {
    command -v unshare >/dev/null || skip "unshare is not installed"
    if [ "$(id -u)" -eq 0 ]; then
        echo "unshare --mount --propagation private"
    else
        echo "unshare --map-root-user --mount --propagation private"
    fi
}

probe_namespace() {
    # shellcheck disable=SC2046
    $(namespace_runner) true 2>/dev/null || skip "no mount namespace for $(id -un) ($(namespace_runner) fails)"
}

form="${1:-}"
shift || true
case "$form" in
    tmpfs)
        [ $# -ge 5 ] && [ "$4" = "--" ] || { echo "usage: $0 tmpfs FOLDER SIZE SNAPSHOT -- COMMAND..." >&2; exit 2; }
        folder="$1" size="$2" snapshot="$3"
        shift 4
        probe_namespace
        # shellcheck disable=SC2016,SC2046
        exec $(namespace_runner) bash -c '
            folder="$1" size="$2" snapshot="$3"
            shift 3
            staging="$(mktemp -d)" && cp -a "$folder/." "$staging/" || exit 3
            mount -t tmpfs -o "size=$size,mode=0755" quillmere-fault "$folder" ||
                { echo "skip: cannot mount a tmpfs on $folder" >&2; exit 77; }
            cp -a "$staging/." "$folder/" && rm -rf "$staging" || exit 3
            "$@"
            status=$?
            cp -a "$folder/." "$snapshot/" || exit 3
            exit "$status"' fault-tmpfs "$folder" "$size" "$snapshot" "$@"
        ;;
    readonly)
        [ $# -ge 3 ] && [ "$2" = "--" ] || { echo "usage: $0 readonly FOLDER -- COMMAND..." >&2; exit 2; }
        folder="$1"
        shift 2
        probe_namespace
        # shellcheck disable=SC2016,SC2046
        exec $(namespace_runner) bash -c '
            folder="$1"
            shift
            { mount --bind "$folder" "$folder" && mount -o remount,bind,ro "$folder"; } ||
                { echo "skip: cannot bind-mount $folder read-only" >&2; exit 77; }
            exec "$@"' fault-readonly "$folder" "$@"
        ;;
    nocaps)
        [ $# -ge 2 ] && [ "$1" = "--" ] || { echo "usage: $0 nocaps -- COMMAND..." >&2; exit 2; }
        shift
        [ "$(id -u)" -eq 0 ] || exec "$@"
        command -v setpriv >/dev/null || skip "setpriv is not installed"
        drop="-dac_override,-dac_read_search"
        setpriv --inh-caps="$drop" --bounding-set="$drop" true 2>/dev/null || skip "setpriv cannot drop capabilities here"
        exec setpriv --inh-caps="$drop" --bounding-set="$drop" "$@"
        ;;
    filesize)
        [ $# -ge 3 ] && [ "$2" = "--" ] || { echo "usage: $0 filesize BLOCKS -- COMMAND..." >&2; exit 2; }
        blocks="$1"
        shift 2
        trap '' XFSZ
        ulimit -f "$blocks" || skip "cannot lower the file-size limit"
        exec "$@"
        ;;
    inject)
        [ $# -ge 5 ] && [ "$4" = "--" ] || { echo "usage: $0 inject CALL ERRNO NTH -- COMMAND..." >&2; exit 2; }
        call="$1" error="$2" nth="$3"
        shift 4
        command -v strace >/dev/null || skip "strace is not installed"
        strace -f -qq -o /dev/null -e trace=none true 2>/dev/null || skip "strace cannot trace processes here"
        # The leak checker of a sanitized build cannot run under ptrace and would fail the run
        # at its end; the leaks are the plain runs' to find.
        export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
        exec strace -f -qq -o /dev/null -e trace="$call" -e inject="$call:error=$error:when=$nth" "$@"
        ;;
    exfat-mount)
        [ $# -eq 2 ] || { echo "usage: $0 exfat-mount IMAGE FOLDER" >&2; exit 2; }
        image="$1" folder="$2"
        [ "$(id -u)" -eq 0 ] || skip "mounting an exFAT volume needs root"
        for tool in mkfs.exfat mount.exfat-fuse losetup; do
            command -v "$tool" >/dev/null || skip "$tool is not installed (exfatprogs, exfat-fuse)"
        done
        truncate -s 512M "$image" && mkfs.exfat "$image" >/dev/null || exit 3
        # mount.exfat-fuse wants a block device; a plain image file fails "Block device required".
        # Under a lock: two cases that look for a free loop device at once could pick the same.
        loop="$(flock /tmp/quillmere-loop.lock losetup -f --show "$image")" || skip "no free loop device"
        mount.exfat-fuse "$loop" "$folder" >/dev/null 2>&1 || { losetup -d "$loop"; skip "cannot mount exFAT on $folder"; }
        echo "$loop"
        ;;
    ext4-mount)
        [ $# -eq 2 ] || { echo "usage: $0 ext4-mount IMAGE FOLDER" >&2; exit 2; }
        image="$1" folder="$2"
        [ "$(id -u)" -eq 0 ] || skip "mounting an ext4 file system needs root"
        for tool in mkfs.ext4 losetup; do
            command -v "$tool" >/dev/null || skip "$tool is not installed (e2fsprogs, mount)"
        done
        truncate -s 16M "$image" && mkfs.ext4 -q "$image" || exit 3
        loop="$(flock /tmp/quillmere-loop.lock losetup -f --show "$image")" || skip "no free loop device"
        mount -t ext4 "$loop" "$folder" 2>/dev/null || { losetup -d "$loop"; skip "cannot mount ext4 on $folder"; }
        echo "$loop"
        ;;
    exfat-unmount)
        [ $# -eq 2 ] || { echo "usage: $0 exfat-unmount FOLDER LOOP" >&2; exit 2; }
        folder="$1" loop="$2"
        image="$(losetup -n -O BACK-FILE "$loop" 2>/dev/null)"
        umount "$folder" || umount -l "$folder"
        losetup -d "$loop"
        [ -n "$image" ] && rm -f "$image"
        exit 0
        ;;
    *)
        echo "usage: $0 tmpfs|readonly|nocaps|filesize|inject|exfat-mount|ext4-mount|exfat-unmount ..." >&2
        exit 2
        ;;
esac
