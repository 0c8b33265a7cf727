#!/usr/bin/env bash
# Cross-builds the toolkit-free core and window logic, their test suites and the Windows programs
# (quillmere.exe, quillmere-backup.exe) for 64-bit Windows with MinGW-w64, runs the suites under
# Wine in a throw-away Wine prefix, then the copy engine's fault suite and both programs end to
# end. Called by test.sh; the argument is ON to make compiler warnings errors.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
werror="${1:-OFF}"
build="$root/build-win64"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DQUILLMERE_BUILD_GUI=OFF -DQUILLMERE_WERROR="$werror"
cmake --build "$build"

WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/quillmere-wine.XXXXXX")"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The Wine server of this prefix outlives the test program; stop it before the prefix goes.
trap '/usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
# Wine marks every name beginning with "." hidden, which Windows does not; as on Windows, only
# the hidden attribute makes a file hidden here, so the suites see the system they are about.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w
ctest --test-dir "$build" --output-on-failure --no-tests=error

# --- quillmere-backup.exe on a real backup ----------------------------------------------------
# The console program copies real files under Wine: the copies keep their times, the stamp
# folder's path is the last line of its output, and the inputs land in the registry.
work="$(mktemp -d "${TMPDIR:-/tmp}/quillmere-cli.XXXXXX")"
trap '/usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX" "$work"' EXIT
mkdir "$work/src"
printf 'odds' >"$work/src/ZO01.JRA"
printf 'notes' >"$work/src/memo.txt"
touch -d '2020-02-03 04:05:06' "$work/src/ZO01.JRA"
winpath() { echo "Z:${1//\//\\}"; }
fail() { echo "quillmere-backup.exe: $*" >&2; exit 1; }

status=0
out="$(/usr/lib/wine/wine64 "$build/cli/quillmere-backup.exe" --yes "$(winpath "$work/src")" \
    "$(winpath "$work/dst")" 2>"$work/err")" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$work/err")"
stamp_line="$(printf '%s\n' "$out" | tr -d '\r' | tail -n 1)"
[[ "$stamp_line" =~ ^Z:.*\\dst\\[0-9]{8}_[0-9]{6}$ ]] || fail "last line is not the stamp folder: $stamp_line"
stamp="$work/dst/${stamp_line##*\\}"
[ "$(ls "$stamp")" = "ZO01.JRA" ] || fail "the stamp folder holds: $(ls "$stamp")"
[ "$(stat -c %Y "$stamp/ZO01.JRA")" = "$(stat -c %Y "$work/src/ZO01.JRA")" ] || fail "the copy lost its time"
/usr/lib/wine/wine64 reg query 'HKCU\Software\Quillmere\Quillmere\LastExec' /v DstFolder 2>/dev/null |
    tr -d '\r' | grep -qF "$(winpath "$work/dst")" || fail "the destination was not stored in the registry"
# Sharing on: the unchanged file of the next backup is the earlier copy's file (a hard link),
# and --list counts it as shared. The first stamp folder takes an earlier stamp: the second run
# may come in the same second.
mv "$stamp" "$work/dst/20000101_000000"
out="$(/usr/lib/wine/wine64 "$build/cli/quillmere-backup.exe" --share-unchanged 2>"$work/err")" ||
    fail "the sharing run failed: $(cat "$work/err")"
shared="$work/dst/$(printf '%s\n' "$out" | tr -d '\r' | tail -n 1 | sed 's/.*\\//')"
[ "$(stat -c %i "$shared/ZO01.JRA")" = "$(stat -c %i "$work/dst/20000101_000000/ZO01.JRA")" ] ||
    fail "the unchanged file was not linked to the earlier copy"
/usr/lib/wine/wine64 "$build/cli/quillmere-backup.exe" --list 2>&1 | tr -d '\r' | grep -qF '共有 4 バイト' ||
    fail "--list does not show the shared bytes"

status=0
/usr/lib/wine/wine64 "$build/cli/quillmere-backup.exe" "$(winpath "$work/src")" "$(winpath "$work/none")" \
    >/dev/null 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "a missing destination without --yes answered $status, not 3"
[ ! -e "$work/none" ] || fail "a missing destination was created without --yes"
# The progress line on a console. Wine draws a console on a terminal with escape sequences of its
# own, so the console the run had is read back (quillmere-console-screen.exe): the last progress
# line alone, the earlier file name blanked out, and no escape character the program wrote raw.
printf '@"%s" --yes "%s" "%s" "*.*"\r\n@"%s" "%s"\r\n' "$(winpath "$build/cli/quillmere-backup.exe")" \
    "$(winpath "$work/src")" "$(winpath "$work/console")" \
    "$(winpath "$build/tests/winapp/quillmere-console-screen.exe")" "$(winpath "$work/screen.txt")" >"$work/console.cmd"
script -qfec "/usr/lib/wine/wine64 cmd /c '$(winpath "$work/console.cmd")'" /dev/null </dev/null >"$work/console.log" 2>&1 ||
    fail "the run on a console failed: $(cat -v "$work/console.log")"
grep -qxF '100%  2 / 2 ファイル' "$work/screen.txt" || fail "the console's progress line reads: $(cat -v "$work/screen.txt")"
if grep -q $'\x1b' "$work/screen.txt"; then fail "an escape sequence reached the console: $(cat -v "$work/screen.txt")"; fi
# An old backup past --keep-runs goes whole, its read-only copy with it; the new one stays.
old="$work/dst/20000101_000000"
mkdir -p "$old/.quillmere" "$old/sub" && printf '[Run]\nOutcome=completed\n' >"$old/.quillmere/run.ini"
printf 'odds' >"$old/sub/ZO01.JRA" && chmod a-w "$old/sub/ZO01.JRA"
/usr/lib/wine/wine64 "$build/cli/quillmere-backup.exe" --keep-runs 1 "$(winpath "$work/src")" \
    "$(winpath "$work/dst")" >/dev/null 2>"$work/err" || fail "the run with --keep-runs failed: $(cat "$work/err")"
[ ! -e "$old" ] || fail "the old backup past --keep-runs 1 stays: $(find "$old")"
[ "$(ls "$work/dst" | wc -l)" = 1 ] || fail "--keep-runs 1 left: $(ls "$work/dst")"
# Stored by that run; the window runs that follow keep every backup again.
/usr/lib/wine/wine64 reg delete 'HKCU\Software\Quillmere\Quillmere\LastExec' /v KeepRuns /f >/dev/null 2>&1
help="$(/usr/lib/wine/wine64 "$build/cli/quillmere-backup.exe" --help 2>&1 | tr -d '\r')"
[[ "$help" == *"4  Ctrl+C"* && "$help" != *SIGINT* ]] || fail "--help does not name the console's stop events: $help"
echo "quillmere-backup.exe: backup under Wine passed"

# --- the Windows copy engine's fault suite, in the same prefix ------------------------------------
bash "$root/scripts/test-windows-faults.sh" "$build"

# --- quillmere.exe, its windows driven by real key presses on a virtual display ----------------
bash "$root/scripts/test-windows-app.sh" "$build"
bash "$root/scripts/test-windows-dialogs.sh" "$build"
