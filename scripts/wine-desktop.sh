# shellcheck shell=bash
# Sourced by the scripts that run quillmere.exe on a virtual desktop: a virtual X display of its
# own, a small window manager (so windows get title bars and activation as on a desktop) and a
# fresh Wine prefix, all in a work folder that goes, with every process started here, when the
# script exits.
#
# wine_desktop_start NAME FIRST_DISPLAY SCREEN: takes the first free display among FIRST_DISPLAY
# and the three after it (so runs beside other virtual displays do not meet) with a screen of
# SCREEN (for instance 1280x800x24). Sets work, DISPLAY, WINEPREFIX and the Wine settings.

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
work=""
desktop_pids=()

wine_desktop_stop() {
    "$wineserver" -k >/dev/null 2>&1 || true
    local pid
    for pid in "${desktop_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -z "$work" ] || rm -rf "$work"
}

# wait_for SECONDS COMMAND...: polls until the command succeeds; false after the time is up.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# winpath PATH: the Linux path as Wine's drive Z: names it.
winpath() { echo "Z:${1//\//\\}"; }

# window TITLE_PATTERN: waits up to 20 s for a visible window whose title matches; prints its id.
window() {
    wait_for 20 xdotool search --onlyvisible --name "$1" || return 1
    xdotool search --onlyvisible --name "$1" | head -n 1
}

# gone TITLE_PATTERN: waits up to 20 s until no visible window's title matches.
gone() {
    wait_for 20 sh -c '! xdotool search --onlyvisible --name "$1"' sh "$1"
}

wine_desktop_start() {
    local name="$1" first="$2" screen="$3" number display=""
    for number in $(seq "$first" $((first + 3))); do
        if [ ! -e "/tmp/.X11-unix/X$number" ] && [ ! -e "/tmp/.X$number-lock" ]; then
            display=":$number"
            break
        fi
    done
    if [ -z "$display" ]; then
        echo "$name: displays :$first to :$((first + 3)) are all taken" >&2
        exit 1
    fi
    work="$(mktemp -d "${TMPDIR:-/tmp}/$name.XXXXXX")"
    trap wine_desktop_stop EXIT
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
    Xvfb "$display" -screen 0 "$screen" -nolisten tcp >"$work/xvfb.log" 2>&1 &
    desktop_pids+=($!)
    export DISPLAY="$display"
    if ! wait_for 10 xdotool getdisplaygeometry; then
        echo "$name: Xvfb did not start on $display: $(cat "$work/xvfb.log")" >&2
        exit 1
    fi
    openbox >"$work/openbox.log" 2>&1 &
    desktop_pids+=($!)
    "$wine" wineboot --init >/dev/null 2>&1
    # Windows links its message boxes' font to a Japanese one for the characters it lacks; a
    # fresh Wine prefix links none, and the boxes' Japanese texts would show as empty squares.
    local font
    for font in Tahoma "MS Shell Dlg"; do
        "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v "$font" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1
    done
    "$wineserver" -w
}
