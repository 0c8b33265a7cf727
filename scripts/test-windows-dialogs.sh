#!/usr/bin/env bash
# End-to-end cases of quillmere.exe's folder dialog and About window under Wine, on a virtual
# display with a window manager, driven by real key presses: the folder dialog opens from 参照,
# Enter opens folders in its list and OK writes the open one back into the main window (a backup
# then copies from there and stores it in the registry); a drive without a medium is left without
# a message; a folder gone before it is opened is reported and the dialog goes on; Esc and the
# close box leave the text as it was; the About window opens, its two links (not their captions)
# launch their fixed addresses without a word when nothing handles them, and Esc, Enter and the
# close box close it.
# Called by test-windows.sh with the MinGW build folder (default build-win64).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build-win64}" && pwd)"
exe="$build/winapp/quillmere.exe"
# shellcheck source=scripts/wine-desktop.sh
source "$root/scripts/wine-desktop.sh"
[ -f "$exe" ] || { echo "test-windows-dialogs: $exe not built" >&2; exit 1; }

fail() {
    echo "quillmere.exe dialogs: $*" >&2
    import -window root "$work/failure.png" 2>/dev/null && cp "$work/failure.png" "${TMPDIR:-/tmp}/quillmere-dialogs-failure.png" &&
        echo "  (the screen at the failure: ${TMPDIR:-/tmp}/quillmere-dialogs-failure.png)" >&2
    exit 1
}

wine_desktop_start quillmere-dialogs 81 1280x1024x24
# Drive M: names a folder that is not there, as a card reader or a DVD drive without a medium does.
ln -s "$work/no-medium" "$WINEPREFIX/dosdevices/m:"

# Waits up to 20 s for the message box beside the main window.
wait_for_box() {
    wait_for 20 sh -c '[ "$(xdotool search --onlyvisible --name "^Quillmere\$" | wc -l)" -ge 2 ]'
}
press() { xdotool windowfocus --sync "$1" 2>/dev/null || true; shift; xdotool key --delay 150 "$@"; }

# The source row starts at src, which holds no odds file; only src\Odds\Day1 does, so a backup
# that finds it proves the dialog's folder reached the main window.
mkdir -p "$work/src/Odds/Day1/Vanishing" "$work/src/Other" "$work/dst"
printf 'odds' >"$work/src/Odds/Day1/ZO01.JRA"
key='HKCU\Software\Quillmere\Quillmere\LastExec'
# Typed in capitals: the dialog reads the names back as the disk holds them.
"$wine" reg add "$key" /v SrcFolder /d "$(winpath "$work")\SRC" /f >/dev/null 2>&1
"$wine" reg add "$key" /v DstFolder /d "$(winpath "$work/dst")" /f >/dev/null 2>&1
"$wine" reg add "$key" /v FileType /d '*.jra' /f >/dev/null 2>&1

# The launches of the About window's links are read from Wine's own trace of ShellExecuteW. With
# no handler for web pages or mail in the prefix, nothing is started and each launch fails.
"$wine" reg delete 'HKCR\http' /f >/dev/null 2>&1 || true
"$wine" reg delete 'HKCR\mailto' /f >/dev/null 2>&1 || true
WINEDEBUG=+exec "$wine" "$exe" >/dev/null 2>"$work/exec.log" &
app=$!
main="$(window '^Quillmere$')" || fail "the main window did not open"

# 参照 (the focus starts in the source box): the dialog opens on src with the focus in the drive
# list. Tab to the folders, Down to "Odds", Enter opens it, Down to "Day1", Enter opens it, and
# Enter on the open folder presses OK.
press "$main" Tab space
dialog="$(window '^フォルダの選択$')" || fail "参照 did not open the folder dialog"
press "$dialog" Tab Down Return Down Return Return
gone '^フォルダの選択$' || fail "Enter on the open folder did not close the folder dialog"

# The dialog opens on Day1 now. Its sub-folder goes before it is opened: a box titled Quillmere
# says so and Enter closes it; the dialog goes on, and Esc after moving to the root closes it.
press "$main" space
dialog="$(window '^フォルダの選択$')" || fail "the folder dialog did not open a second time"
rmdir "$work/src/Odds/Day1/Vanishing"
press "$dialog" Tab End Return
wait_for_box || fail "opening a folder that has gone showed no message"
press "$(xdotool search --onlyvisible --name '^Quillmere$' | grep -vx "$main" | head -n 1)" Return
press "$dialog" Home Return Escape
gone '^フォルダの選択$' || fail "Esc did not close the folder dialog after a folder failed to open"

# Up in the drive list picks M:, which cannot be read: no message, the list goes back to Z:, and
# Esc (which a message box would have taken) closes the dialog.
press "$main" space
dialog="$(window '^フォルダの選択$')" || fail "the folder dialog did not open for the drive case"
press "$dialog" Up Escape
gone '^フォルダの選択$' || fail "a drive without a medium kept the folder dialog from closing (a message?)"

# The close box after moving to the root: the row keeps the folder chosen above.
press "$main" space
dialog="$(window '^フォルダの選択$')" || fail "the folder dialog did not open for the close box"
# Alt+F4 is what the close box does; destroying the X window would leave Wine's window behind.
press "$dialog" Tab Home Return alt+F4
gone '^フォルダの選択$' || fail "the close box did not close the folder dialog"

# Back in the source box, Enter backs up from the row's folder.
press "$main" shift+Tab Return
for _ in $(seq 200); do
    stamp="$(find "$work/dst" -mindepth 2 -name ZO01.JRA 2>/dev/null | head -n 1)"
    [ -n "$stamp" ] && break
    sleep 0.1
done
[ -n "$stamp" ] || fail "no backup from the folder chosen in the dialog (src\\Odds\\Day1)"

# ﾊﾞｰｼﾞｮﾝ情報, five Tabs on from the source box. Clicks (at 96 DPI a pixel is 15 twips; the X
# window is the client area) on the caption "E-Mail  :", the mail address and the home page: the
# two links launch their fixed addresses, the caption nothing, and the failed launches show no
# box, so Esc then closes the About window. Enter closes it too.
press "$main" Tab Tab Tab Tab Tab space
about="$(window 'Tarnwick$')" || fail "ﾊﾞｰｼﾞｮﾝ情報 did not open the About window"
click() { xdotool mousemove --sync --window "$about" "$1" "$2" click 1; }
click 136 125 # Text1, "E-Mail  :"
click 205 125 # txtMail
click 190 142 # Label3
for _ in $(seq 200); do
    [ "$(grep -c '^[0-9a-f]*:trace:exec:SHELL_execute mask' "$work/exec.log")" -ge 2 ] && break
    sleep 0.1
done
launched="$(sed -n 's/.*trace:exec:SHELL_execute mask.* file=L"\([^"]*\)".*/\1/p' "$work/exec.log" | tr '\n' ' ')"
[ "$launched" = "mailto:sk@tw.test http://www.tw.test/ " ] || fail "the About window's clicks launched: '$launched'"
press "$about" Escape
gone 'Tarnwick$' || fail "Esc did not close the About window after its links were clicked"
press "$main" space
window 'Tarnwick$' >/dev/null || fail "the About window did not open a second time"
press "$(window 'Tarnwick$')" Return
gone 'Tarnwick$' || fail "Enter did not close the About window"
press "$main" space
window 'Tarnwick$' >/dev/null || fail "the About window did not open a third time"
press "$(window 'Tarnwick$')" alt+F4
gone 'Tarnwick$' || fail "the close box did not close the About window"

press "$main" Escape
for _ in $(seq 200); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$app" 2>/dev/null || fail "Esc did not end the program"
"$wine" reg query "$key" /v SrcFolder 2>/dev/null | tr -d '\r' |
    grep -qF "$(winpath "$work/src/Odds/Day1")" || fail "the registry does not hold the folder chosen in the dialog"
echo "quillmere.exe: folder dialog and About window under Wine passed"
