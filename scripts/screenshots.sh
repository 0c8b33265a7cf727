#!/usr/bin/env bash
# Takes the README's screenshots of the three windows on a virtual X display with a small window
# manager (so the title bars show), into docs/. Run after a build (bash scripts/run.sh builds).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages xvfb xauth xdotool imagemagick openbox fonts-noto-cjk fonts-ipafont-gothic

if [ -z "${QUILLMERE_IN_XVFB:-}" ]; then
    QUILLMERE_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

program=build/app/quillmere
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/config/Quillmere" "$work/ソース フォルダ/2026年" "$work/ソース フォルダ/古いオッズ" "$work/バックアップ"
printf 'odds\n' > "$work/ソース フォルダ/ZO010605.jra"
# The inputs come from the settings of an earlier run: typing Japanese through xdotool is unreliable.
cat > "$work/config/Quillmere/Quillmere.conf" <<CONF
[LastExec]
SrcFolder=$work/ソース フォルダ
DstFolder=$work/バックアップ
FileType=*.jra
CONF

openbox >/dev/null 2>&1 &
sleep 1
XDG_CONFIG_HOME="$work/config" "$program" >/dev/null 2>&1 &
main=$(xdotool search --sync --onlyvisible --name '^Quillmere$' | head -n 1)
xdotool windowfocus --sync "$main"

shot() {  # window id, output file
    sleep 0.8
    import -window "$1" -frame "docs/$2"
}
shot "$main" main-window.png

xdotool key Tab Return
dialog=$(xdotool search --sync --onlyvisible --name '^フォルダの選択$' | head -n 1)
shot "$dialog" folder-dialog.png
xdotool windowfocus --sync "$dialog" key Escape

xdotool windowfocus --sync "$main"
xdotool key Tab Tab Tab Tab Return
about=$(xdotool search --sync --onlyvisible --name 'Tarnwick$' | head -n 1)
shot "$about" about-window.png
xdotool windowfocus --sync "$about" key Escape
xdotool windowfocus --sync "$main" key Escape
echo "screenshots written to docs/"
