#!/usr/bin/env bash
# The fault suite of the Windows copy engine: real backups of quillmere-backup.exe under Wine with
# one fault each, every one checked on the disk afterwards: each file in the stamp folder is a
# whole copy of its source, no temporary file or work folder is left, and the exit status and the
# message are the expected ones. Called by test-windows.sh with the MinGW build folder, in its
# Wine prefix ($WINEPREFIX). The mounts need root (CI runs as root); as another user those cases
# are reported as skipped.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:?usage: test-windows-faults.sh BUILD_FOLDER}"
exe="$build/cli/quillmere-backup.exe"
helper="$root/tests/faults/fault-helper.sh"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
: "${WINEPREFIX:?the Wine prefix of the test run}"

work="$(mktemp -d "${TMPDIR:-/tmp}/quillmere-wine-faults.XXXXXX")"
mounts=()
writer=""
cleanup() {
    [ -z "$writer" ] || kill "$writer" 2>/dev/null || true
    local mount
    for mount in "${mounts[@]}"; do umount "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null || true; done
    [ -z "${loop:-}" ] || "$helper" exfat-unmount "$work/exfat" "$loop" >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX/dosdevices/q:"
    rm -rf "$work"
}
trap cleanup EXIT

winpath() { echo "Z:${1//\//\\}"; }
is_root() { [ "$(id -u)" -eq 0 ]; }

# ---- what each case sets up; the run then uses src, dst, target, wildcard and runner -----------
# files NAME... : small source files holding their own names, with an old time (no wait for them).
files() {
    local name
    for name in "$@"; do printf '%s' "$name" >"$src/$name"; done
    touch -d '2020-02-03 04:05:06' "$src"/*
}

setup_disk_full() {
    is_root || return 77
    head -c 600K /dev/urandom >"$src/a.jra"
    head -c 600K /dev/urandom >"$src/b.jra"
    head -c 1500K /dev/urandom >"$src/c.jra"
    files d.jra
    mkdir -p "$dst" && mount -t tmpfs -o size=2M quillmere-full "$dst" && mounts+=("$dst")
    # The destination as Windows sees a small disk: its own drive letter.
    ln -sfn "$dst" "$WINEPREFIX/dosdevices/q:"
    target="Q:\\"
    expect_copies=(a.jra b.jra)
}

setup_read_only() {
    is_root || return 77
    files a.jra
    mkdir -p "$dst" && mount -t tmpfs -o size=1M,ro quillmere-ro "$dst" && mounts+=("$dst")
    expect_copies=()
}

# File modes hold for root only without its capabilities. Wine's server opens the files for its
# programs, so a server of this prefix is started without them too, and stopped afterwards.
nocaps() {
    "$wineserver" -k >/dev/null 2>&1 || true
    "$wineserver" -w
    runner=("$helper" nocaps --)
    after=("$wineserver" -k)
}

setup_denied() {
    is_root || return 77
    files a.jra
    mkdir -p "$dst" && chmod 0555 "$dst"
    nocaps
    expect_copies=()
}

setup_unreadable() {
    is_root || return 77
    files a.jra b.jra c.jra
    chmod 000 "$src/b.jra"
    nocaps
    expect_copies=(a.jra)
}

# On exFAT (times in whole seconds), a file rewritten in place again and again: never a copy that
# is neither version; the file is tried again and at last reported.
setup_changing() {
    is_root || return 77
    mkdir -p "$work/exfat"
    loop="$("$helper" exfat-mount "$work/exfat.img" "$work/exfat")" || return 77
    rm -rf "$src" && src="$work/exfat/src" && mkdir "$src"
    files a.jra
    head -c 8M /dev/zero | tr '\0' A >"$work/A" && head -c 8M /dev/zero | tr '\0' B >"$work/B"
    cp "$work/A" "$src/b.jra"
    (while :; do
        dd if="$work/B" of="$src/b.jra" bs=1M conv=notrunc status=none
        dd if="$work/A" of="$src/b.jra" bs=1M conv=notrunc status=none
    done) &
    writer=$!
    expect_copies=(a.jra)
}

setup_clash() {
    files A.jra a.jra b.jra
    expect_copies=(A.jra)
}

# Names that the usual Win32 path rules would change, beside the names they would become, into a
# destination given in the "\\?\" form.
setup_names() {
    files AUX.jra CON.jra x.jra 'x.jra.' y.jra 'y.jra '
    wildcard='*'
    target="\\\\?\\$(winpath "$dst")"
    expect_copies=(AUX.jra CON.jra x.jra 'x.jra.' y.jra 'y.jra ')
}

# A source file named like a temporary file is copied, and stays in an earlier stamp folder, while
# the work folder a killed run left there, with a read-only copy, is removed.
setup_leftovers() {
    files .quillmere-0123abcd.tmp a.jra
    wildcard='*'
    local earlier="$dst/20000101_000000"
    mkdir -p "$earlier/.quillmere-work-0000dead"
    cp "$src/.quillmere-0123abcd.tmp" "$earlier/"
    printf 'half' >"$earlier/.quillmere-work-0000dead/.quillmere-0000dead.tmp"
    chmod 0444 "$earlier/.quillmere-work-0000dead/.quillmere-0000dead.tmp"
    expect_copies=(.quillmere-0123abcd.tmp a.jra)
}

# Ctrl+C half-way through 2000 files (Wine turns SIGINT into the console's Ctrl+C event).
setup_ctrl_c() {
    local i
    for i in $(seq -w 1 2000); do head -c 100000 /dev/zero >"$src/f$i.jra"; done
    touch -d '2020-02-03 04:05:06' "$src"/*
    interrupt=50
}

check_leftovers() {
    local earlier="$dst/20000101_000000"
    [ "$(ls -A "$earlier")" = ".quillmere-0123abcd.tmp" ] || echo "the earlier stamp folder holds: $(ls -A "$earlier")"
}

check_changing() {
    [ ! -e "$stamp/b.jra" ] || cmp -s "$stamp/b.jra" "$work/A" || cmp -s "$stamp/b.jra" "$work/B" ||
        echo "b.jra is neither version: $(tr -s AB <"$stamp/b.jra")"
}

check_ctrl_c() {
    local count
    count="$(find "$stamp" -name 'f*.jra' | wc -l)"
    [ "$count" -ge "$interrupt" ] && [ "$count" -lt 2000 ] || echo "$count copies after Ctrl+C"
}

# ---- the table ----------------------------------------------------------------------------------
# case | exit status | what the message must hold: @ stands for the stamp folder, ^ for the
# destination, % for the source folder, each as the run was given it
table=(
    "disk_full  | 1 | @\\c.jra: "
    "read_only  | 1 | フォルダの作成: ^\\20"
    "denied     | 1 | フォルダの作成: ^\\20"
    "unreadable | 1 | %\\b.jra: "
    "changing   | 1 | %\\b.jra: コピー中にファイルが変更されました"
    "clash      | 1 | %\\a.jra: コピー先では @\\A.jra と同じ名前になります"
    "names      | 0 |"
    "leftovers  | 0 |"
    "ctrl_c     | 4 |"
)

failures=0 skipped=0
for row in "${table[@]}"; do
    IFS='|' read -r name status text <<<"$row"
    name="${name// /}" status="${status// /}" text="${text# }"
    src="$work/$name/src" dst="$work/$name/dst"
    mkdir -p "$src"
    target="" wildcard='*.jra' runner=() after=() expect_copies=() interrupt=0 stamp="" loop="${loop:-}"
    prepared=0
    "setup_$name" || prepared=$?
    if [ "$prepared" -eq 77 ]; then
        echo "quillmere-backup.exe faults: $name skipped (needs root, a loop device and exfat-fuse)"
        skipped=$((skipped + 1))
        continue
    elif [ "$prepared" -ne 0 ]; then
        echo "quillmere-backup.exe faults: $name FAILED: its set-up failed ($prepared)" >&2
        failures=$((failures + 1))
        continue
    fi
    [ -n "$target" ] || target="$(winpath "$dst")"
    mkdir -p "$dst" 2>/dev/null || true
    started=$SECONDS
    "${runner[@]}" "$wine" "$exe" --yes "$(winpath "$src")" "$target" "$wildcard" >"$work/$name.out" 2>"$work/$name.err" &
    pid=$!
    if [ "$interrupt" -gt 0 ]; then
        for _ in $(seq 300); do
            [ "$(find "$dst" -name 'f*.jra' 2>/dev/null | wc -l)" -ge "$interrupt" ] && break
            sleep 0.05
        done
        kill -INT "$pid"
    fi
    answer=0
    wait "$pid" || answer=$?
    if [ "${#after[@]}" -gt 0 ]; then
        "${after[@]}" >/dev/null 2>&1 || true
        "$wineserver" -w
    fi
    problems="$(
        [ "$answer" = "$status" ] || echo "exit status $answer, not $status"
        stamp="$(find "$dst" -mindepth 1 -maxdepth 1 -type d -name '2???????_??????' ! -name 20000101_000000 | head -n 1)"
        message="$(tr -d '\r' <"$work/$name.err")"
        wanted="${text//@/${target%\\}\\${stamp##*/}}"
        wanted="${wanted//%/$(winpath "$src")}"
        wanted="${wanted//^/${target%\\}}"
        [ -z "$text" ] || [[ "$message" == *"$wanted"* ]] || echo "the message lacks \"$wanted\""
        if [ -n "$stamp" ]; then
            # Whole copies only, each of its own source, and nothing of the run left behind.
            leftovers="$(find "$stamp" -mindepth 1 \( -name '.quillmere-work-*' -o \( -name '.quillmere-*.tmp' ! -name '.quillmere-0123abcd.tmp' \) \))"
            [ -z "$leftovers" ] || echo "left behind: $leftovers"
            while IFS= read -r -d '' copy; do
                cmp -s "$copy" "$src/${copy##*/}" || echo "${copy##*/} is not a whole copy of its source"
            done < <(find "$stamp" -mindepth 1 -maxdepth 1 -type f -print0)
            if [ "$interrupt" -eq 0 ]; then
                names="$(cd "$stamp" && find . -mindepth 1 -maxdepth 1 ! -name .quillmere -printf '%P\n' | LC_ALL=C sort)"
                expected="$(printf '%s\n' "${expect_copies[@]}" | LC_ALL=C sort | sed '/^$/d')"
                [ "$names" = "$expected" ] || echo "the stamp folder holds [${names//$'\n'/|}], not [${expected//$'\n'/|}]"
            fi
            # The run's record in its hidden folder says how it ended.
            case "$status" in 0) outcome=completed ;; 1) outcome=failed ;; 4) outcome=stopped ;; *) outcome= ;; esac
            [ -z "$outcome" ] || tr -d '\r' <"$stamp/.quillmere/run.ini" | grep -qx "Outcome=$outcome" ||
                echo "the run's record does not say $outcome: $(cat "$stamp/.quillmere/run.ini" 2>&1)"
        elif [ "${#expect_copies[@]}" -gt 0 ]; then
            echo "no stamp folder"
        fi
        if declare -F "check_$name" >/dev/null; then "check_$name"; fi
    )"
    if [ -n "$problems" ]; then
        echo "quillmere-backup.exe faults: $name FAILED after $((SECONDS - started)) s:" >&2
        printf '  %s\n' "$problems" "output: $(tr -d '\r' <"$work/$name.err" | tail -n 3)" >&2
        failures=$((failures + 1))
    else
        echo "quillmere-backup.exe faults: $name passed ($((SECONDS - started)) s)"
    fi
    [ -z "$writer" ] || { kill "$writer" 2>/dev/null; wait "$writer" 2>/dev/null || true; writer=""; }
done
echo "quillmere-backup.exe faults: $((${#table[@]} - failures - skipped)) passed, $failures failed, $skipped skipped"
# As root every mechanism is there: a skipped case would be a fault that was never injected.
is_root && [ "$skipped" -gt 0 ] && exit 1
[ "$failures" -eq 0 ]
