#!/usr/bin/env bash
# End-to-end cases of the Windows program's main window: quillmere.exe runs under Wine on a
# virtual X display, real key presses reach it through xdotool, and the cases look at the disk and
# the registry afterwards. Called by test-windows.sh with the MinGW build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-win64}"
exe="$build/winapp/quillmere.exe"
# shellcheck source=scripts/wine-desktop.sh
source "$root/scripts/wine-desktop.sh"
fail() {
    echo "quillmere.exe: $*" >&2
    if [ -n "${DISPLAY:-}" ] && import -window root "${TMPDIR:-/tmp}/quillmere-app-failure.png" 2>/dev/null; then
        echo "  (the screen at the failure: ${TMPDIR:-/tmp}/quillmere-app-failure.png)" >&2
    fi
    exit 1
}

# --- nothing but Windows beside it ---------------------------------------------------------------
# Every DLL the program loads must come with Windows itself: no MinGW runtime, no toolkit.
system_dlls='^(kernel32|user32|gdi32|comctl32|shell32|advapi32|ole32|oleaut32|shlwapi|uxtheme|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
dlls="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')"
[ -n "$dlls" ] || fail "objdump found no imports"
foreign="$(echo "$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)"
[ -z "$foreign" ] || fail "needs DLLs that do not come with Windows: $foreign"
echo "quillmere.exe: imports only system DLLs:" $dlls
# Its icon, its version (the project's) and the manifest asking for common controls 6 and
# per-monitor DPI awareness are built into it.
version="$(sed -n 's/^project(Quillmere VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
resources="$(x86_64-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null)" || fail "windres cannot read its resources"
for needed in RT_GROUP_ICON "\"FileVersion\", \"$version\"" Microsoft.Windows.Common-Controls PerMonitorV2; do
    grep -qF -- "$needed" <<<"$resources" || fail "its resources lack $needed"
done

# --- a virtual display, a window manager and a Wine prefix of its own ---------------------------
wine_desktop_start quillmere-app 71 1280x800x24

key='HKCU\Software\Quillmere\Quillmere'
set_value() { "$wine" reg add "$key\\$1" /v "$2" /d "$3" /f >/dev/null 2>&1; }
# reg query prints in the console's code page, which loses Japanese; an export is UTF-16.
value_of() {
    "$wine" reg export "$key\\$1" "$work/export.reg" /y >/dev/null 2>&1 || return 0
    iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' |
        sed -n "s/^\"$2\"=\"\(.*\)\"\$/\1/p" | sed 's/\\\\/\\/g'
}

# windows_titled TITLE COUNT: exactly COUNT windows have the title.
windows_titled() { [ "$(xdotool search --name "^$1\$" 2>/dev/null | wc -l)" = "$2" ]; }
# start: runs the program and waits for its main window; sets $app and $window.
start() {
    "$wine" "$exe" >>"$work/app.log" 2>&1 &
    app=$!
    wait_for 30 xdotool search --onlyvisible --name '^Quillmere$' || fail "the main window did not appear: $(cat "$work/app.log")"
    window="$(xdotool search --onlyvisible --name '^Quillmere$' | head -n 1)"
}
# press WINDOW KEY...: activates the window and presses the key on the real keyboard. Wine takes
# the activation a moment after the window manager reports it, and a key that comes in between
# reaches no window: the window must stay active for three looks 0.1 s apart first.
stays_active() {
    for _ in 1 2 3; do
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] || return 1
        sleep 0.1
    done
}
press() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    wait_for 5 stays_active "$1" || fail "window $1 could not be activated"
    shift
    xdotool key --delay 50 "$@"
}
# quit: Esc, then the program ends of itself.
quit() {
    press "$window" Escape
    wait_for 20 sh -c "! kill -0 $app" || fail "Esc did not end the program"
    wait "$app" || fail "the program ended with status $?"
}

# Enter runs the backup with the stored inputs: a stamp folder appears in the destination with
# the matching copies, which keep their times; the inputs go back to the registry.
src="$work/ソース フォルダ"
dst="$work/バック アップ"
mkdir -p "$src" "$dst"
printf 'odds' >"$src/ZO01.JRA"
printf 'notes' >"$src/memo.txt"
touch -d '2020-02-03 04:05:06' "$src/ZO01.JRA"
set_value LastExec SrcFolder "$(winpath "$src")"
set_value LastExec DstFolder "$(winpath "$dst")"
set_value LastExec FileType '*.jra'
set_value MainWindow Left 2400
set_value MainWindow Top 1800
start
press "$window" Return
wait_for 30 sh -c "ls \"$dst\"/*/ZO01.JRA" || fail "Enter made no stamp folder with ZO01.JRA in $dst"
stamp="$(ls -d "$dst"/*)"
[[ "$(basename "$stamp")" =~ ^[0-9]{8}_[0-9]{6}$ ]] || fail "the stamp folder is named $(basename "$stamp")"
# The copy is in place before the run's work folder beside it is removed.
wait_for 10 sh -c "[ \"\$(ls -A \"$stamp\" | grep -vx .quillmere)\" = ZO01.JRA ]" || fail "the stamp folder holds: $(ls -A "$stamp")"
# The window's runs keep their record too.
wait_for 10 grep -qx Outcome=completed "$stamp/.quillmere/run.ini" || fail "the run's record does not say completed"
[ "$(cat "$stamp/ZO01.JRA")" = "odds" ] || fail "the copy's content differs"
[ "$(stat -c %Y "$stamp/ZO01.JRA")" = "$(stat -c %Y "$src/ZO01.JRA")" ] || fail "the copy lost its time"

# Esc quits, and the place the window was restored to (Left/Top as stored) is written back.
quit
[ "$(value_of MainWindow Left)/$(value_of MainWindow Top)" = "2400/1800" ] ||
    fail "Left/Top after Esc: $(value_of MainWindow Left)/$(value_of MainWindow Top), not 2400/1800"
[ "$(value_of LastExec DstFolder)" = "$(winpath "$dst")" ] || fail "the destination was not stored"
echo "quillmere.exe: Enter backs up, Esc quits and stores the place"

# A place off every monitor (one since unplugged) opens at the default place instead, and that
# is what is stored on quitting. A missing source is warned about in a box titled バックアップ,
# and the program goes on after it. The Enter comes from the combo box, four Tabs on from the
# first input: the Tab order holds, and the combo box does not keep Enter to itself.
set_value MainWindow Left 900000
set_value MainWindow Top -900000
set_value LastExec SrcFolder "$(winpath "$work/none")"
start
press "$window" Tab Tab Tab Tab Return
wait_for 20 xdotool search --name '^バックアップ$' || fail "a missing source raised no warning"
press "$(xdotool search --name '^バックアップ$' | head -n 1)" Return
wait_for 10 windows_titled バックアップ 0 || fail "the warning did not close on Enter"
[ "$(ls "$dst" | wc -l)" = 1 ] || fail "a backup ran from a missing source"
quit
left="$(value_of MainWindow Left)"
top="$(value_of MainWindow Top)"
[ "$left" -lt 2000 ] && [ "$top" -ge 0 ] && [ "$top" -lt 2000 ] ||
    fail "an off-screen place was restored: Left/Top $left/$top"
echo "quillmere.exe: an off-screen place opens at the default; a failed check warns and goes on"

# A long backup shows the progress window; Esc in it asks whether to stop, and Yes (the box's
# default, so Enter) stops the copy: the finished copies stay whole, nothing half written is left,
# a box says the backup stopped, and the program goes on. The copy runs on a thread of its own, so
# all of this happens while it still copies.
many="$work/many"
mkdir "$many"
(cd "$many" && seq -f 'f%05g.jra' 1 3000 | xargs touch)
set_value LastExec SrcFolder "$(winpath "$many")"
set_value LastExec DstFolder "$(winpath "$dst")"
start
press "$window" Return
wait_for 20 windows_titled バックアップ 1 || fail "no progress window appeared"
progress="$(xdotool search --name '^バックアップ$' | head -n 1)"
press "$progress" Escape
wait_for 10 windows_titled バックアップ 2 || fail "Esc in the progress window asked nothing"
press "$(xdotool search --name '^バックアップ$' | grep -vx "$progress" | head -n 1)" Return
# The progress window goes when the copy has stopped; the box that says so stays.
wait_for 30 sh -c "! xdotool search --name '^バックアップ\$' | grep -qx $progress" || fail "the copy did not stop"
wait_for 10 windows_titled バックアップ 1 || fail "no box said that the backup stopped"
press "$(xdotool search --name '^バックアップ$' | head -n 1)" Return
wait_for 10 windows_titled バックアップ 0 || fail "the stop box did not close"
stopped="$(ls -td "$dst"/*/ | head -n 1)"
copied="$(find "$stopped" -path "$stopped.quillmere" -prune -o -type f -print | wc -l)"
[ "$copied" -gt 0 ] && [ "$copied" -lt 3000 ] || fail "the stopped backup holds $copied of 3000 files"
left="$(find "$stopped" -path "$stopped.quillmere" -prune -o -type f ! -name 'f?????.jra' -print)"
[ -z "$left" ] || fail "the stop left: $left"
wait_for 10 grep -qx Outcome=stopped "$stopped.quillmere/run.ini" || fail "the stopped run's record does not say stopped"
quit
echo "quillmere.exe: Esc in the progress window and Yes stop a long backup ($copied of 3000 copied)"

# The file-type list opens on the item equal to the text or on none, and Enter closes it with the
# text as it was: a stored "*.j" must not become "*.jra", the first item it begins, which would
# back up other files than the user asked for. F4 opens the list from the box, four Tabs on.
plain="$work/plain"
mkdir "$plain" "$work/plain-dst"
printf 'j' >"$plain/notes.j"
printf 'odds' >"$plain/ZO01.JRA"
set_value LastExec SrcFolder "$(winpath "$plain")"
set_value LastExec DstFolder "$(winpath "$work/plain-dst")"
set_value LastExec FileType '*.j'
start
press "$window" Tab Tab Tab Tab F4 Return
press "$window" Return
wait_for 30 sh -c "ls \"$work/plain-dst\"/*/*" || fail "Enter after the list made no backup"
quit
[ "$(ls -A "$work"/plain-dst/*/ | grep -vx .quillmere)" = "notes.j" ] || fail "the list changed the wildcard: the backup holds $(ls -A "$work"/plain-dst/*/)"
[ "$(value_of LastExec FileType)" = "*.j" ] || fail "the stored wildcard became $(value_of LastExec FileType)"
echo "quillmere.exe: opening and closing the file-type list keeps the typed wildcard"

# A logoff in the middle of a long backup, as Windows sends it (WM_QUERYENDSESSION, then
# WM_ENDSESSION): the program agrees, stops the copy at its next safe point and waits for it,
# stores its place, and ends. The disk then holds whole copies only and no temporary file, and the
# registry the place, which nothing had stored before.
logoff="$build/tests/winapp/quillmere-logoff.exe"
odds="$work/odds"
mkdir "$odds" "$work/logoff"
head -c $((3000 * 4096)) /dev/urandom | split -b 4096 -a 4 -d --additional-suffix=.jra - "$odds/f"
"$wine" reg delete "$key\\MainWindow" /f >/dev/null 2>&1 || true
set_value LastExec SrcFolder "$(winpath "$odds")"
set_value LastExec DstFolder "$(winpath "$work/logoff")"
set_value LastExec FileType '*.jra'
start
press "$window" Return
wait_for 20 windows_titled バックアップ 1 || fail "no progress window appeared"
"$wine" "$logoff" >>"$work/app.log" 2>&1 || fail "the logoff was refused or got no answer: $(tail -n 3 "$work/app.log")"
wait_for 30 sh -c "! kill -0 $app" || fail "the program did not end after the logoff"
wait "$app" || fail "the program ended with status $? after the logoff"
ended="$(ls -d "$work/logoff"/*/)"
copied="$(find "$ended" -path "$ended.quillmere" -prune -o -type f -print | wc -l)"
[ "$copied" -gt 0 ] && [ "$copied" -lt 3000 ] || fail "the backup cut by the logoff holds $copied of 3000 files"
left_behind="$(find "$ended" -mindepth 1 -path "$ended.quillmere" -prune -o ! -name 'f????.jra' -print)"
[ -z "$left_behind" ] || fail "the logoff left: $left_behind"
grep -qx Outcome=stopped "$ended.quillmere/run.ini" ||
    fail "the run cut by the logoff recorded: $(cat "$ended.quillmere/run.ini" 2>&1)"
for copy in "$ended"/*; do
    cmp -s "$copy" "$odds/$(basename "$copy")" || fail "the copy $(basename "$copy") is not whole"
done
left="$(value_of MainWindow Left)"
top="$(value_of MainWindow Top)"
[[ "$left" =~ ^[0-9]+$ && "$top" =~ ^[0-9]+$ ]] || fail "the logoff stored no place: Left/Top '$left'/'$top'"
echo "quillmere.exe: a logoff mid-copy stops it ($copied of 3000 copied, all whole) and stores the place $left/$top"
