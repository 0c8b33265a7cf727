#!/usr/bin/env bash
# Takes the README's screenshots of the Windows program's three windows under Wine, on a virtual
# X display with a small window manager (so the title bars show), into docs/windows-*.png.
# Run after a MinGW build (bash scripts/test.sh, or scripts/build-windows.sh); the argument is
# the build folder (default build-win64).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages wine64 xvfb openbox xdotool imagemagick fonts-ipafont-gothic
build="$(cd "${1:-$root/build-win64}" && pwd)"
exe="$build/winapp/quillmere.exe"
# shellcheck source=scripts/wine-desktop.sh
source "$root/scripts/wine-desktop.sh"
[ -f "$exe" ] || { echo "screenshots-windows: $exe not built" >&2; exit 1; }

wine_desktop_start quillmere-shots 81 1024x768x24

# The inputs of an earlier run, on the Windows drive C: typing Japanese through xdotool is unreliable.
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/Program Files/Pat98/2026年" "$drive_c/Program Files/Pat98/古いオッズ" "$drive_c/バックアップ"
printf 'odds\n' >"$drive_c/Program Files/Pat98/ZO010605.jra"
key='HKCU\Software\Quillmere\Quillmere\LastExec'
"$wine" reg add "$key" /v SrcFolder /d 'C:\Program Files\Pat98' /f >/dev/null 2>&1
"$wine" reg add "$key" /v DstFolder /d 'C:\バックアップ' /f >/dev/null 2>&1
"$wine" reg add "$key" /v FileType /d '*.jra' /f >/dev/null 2>&1

# need TITLE_PATTERN: the window's id, or a word on which window never came.
need() { window "$1" || { echo "screenshots-windows: no window $1" >&2; return 1; }; }
shot() {  # window id, output file
    sleep 0.8
    import -window "$1" -frame "$root/docs/$2"
}

(cd "$drive_c" && "$wine" "$exe" >/dev/null 2>&1) &
main="$(need '^Quillmere$')"
xdotool windowfocus --sync "$main"
shot "$main" windows-main-window.png

xdotool key --delay 150 Tab space
dialog="$(need '^フォルダの選択$')"
shot "$dialog" windows-folder-dialog.png
xdotool windowfocus --sync "$dialog" key Escape

xdotool windowfocus --sync "$main"
xdotool key --delay 150 Tab Tab Tab Tab space
about="$(need 'Tarnwick$')"
shot "$about" windows-about-window.png
xdotool windowfocus --sync "$about" key Escape
xdotool windowfocus --sync "$main" key Escape
echo "screenshots written to docs/windows-*.png"
