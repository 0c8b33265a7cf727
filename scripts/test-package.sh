#!/usr/bin/env bash
# Builds both packages with scripts/package.sh and checks them as their users meet them: the
# Debian package passes lintian, appstreamcli and desktop-file-validate, installs into a scratch
# root (its own dpkg database, under fakeroot, so no root and no sudo are needed and the machine's
# own packages are never touched), works there, and `dpkg -r` takes every file away again; the
# Windows zip holds the two programs and the users' README. Called by test.sh.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
ensure_packages "${PACKAGE_PACKAGES[@]}"

bash "$root/scripts/package.sh"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build-package/CMakeCache.txt")"
deb="$root/dist/quillmere_${version}_amd64.deb"
zip="$root/dist/quillmere-${version}-windows-x86_64.zip"
work="$(mktemp -d "${TMPDIR:-/tmp}/quillmere-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "test-package.sh: $*" >&2; exit 1; }

# --- the checkers ------------------------------------------------------------------------------
# A warning fails too: each one is cheap to fix now and easy to miss once there are several.
status=0
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian: $deb has errors or warnings (above)"

# Every dependency is a package apt can find and install, so `apt install ./quillmere_*.deb` works.
apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt cannot install $deb: $(cat "$work/apt.log")"

# --- install into a scratch root ---------------------------------------------------------------
sysroot="$work/root"
mkdir -p "$sysroot/var/lib/dpkg/info" "$sysroot/var/lib/dpkg/updates"
touch "$sysroot/var/lib/dpkg/status"
# dpkg looks for its helpers (ldconfig, start-stop-daemon) on the PATH, which a user's lacks, and
# would log into the machine's own /var/log/dpkg.log whatever the root. The scratch root holds
# none of the dependencies, and they are not what this installation tests.
dpkg_root() {
    PATH="$PATH:/usr/sbin:/sbin" fakeroot dpkg --root="$sysroot" --log="$work/dpkg-actions.log" \
        --force-depends "$@" >"$work/dpkg.log" 2>&1 || fail "dpkg $*: $(cat "$work/dpkg.log")"
}
dpkg_root --install "$deb"

desktop="$sysroot/usr/share/applications/quillmere.desktop"
metainfo="$sysroot/usr/share/metainfo/io.github.quillmere.Quillmere.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli: $(cat "$work/appstream.log")"

# Every program the desktop and systemd start is one the package installed.
program_of() {  # the file a command names, inside the scratch root
    case "$1" in
        /*) echo "$sysroot$1" ;;
        *) echo "$sysroot/usr/bin/$1" ;;
    esac
}
exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
[ -x "$(program_of "${exec_line%% *}")" ] || fail "the desktop entry starts '$exec_line', which is not installed"
icon="$(sed -n 's/^Icon=//p' "$desktop")"
compgen -G "$sysroot/usr/share/icons/hicolor/*/apps/$icon.png" >/dev/null || fail "no icon $icon is installed"
unit="$sysroot/usr/lib/systemd/user/quillmere-backup.service"
service_exec="$(sed -n 's/^ExecStart=//p' "$unit")"
[ -x "$(program_of "${service_exec%% *}")" ] || fail "the service starts '$service_exec', which is not installed"
[ -f "$sysroot/usr/lib/systemd/user/quillmere-backup.timer" ] || fail "the timer is not installed"

grep -qx 'License: MIT' "$sysroot/usr/share/doc/quillmere/copyright" || fail "the copyright file does not name the MIT licence"
man -l "$sysroot/usr/share/man/man1/quillmere-backup.1.gz" >/dev/null 2>&1 || fail "the manual page of quillmere-backup is missing or does not format"
help="$(HOME="$work" XDG_CONFIG_HOME="$work/config" "$sysroot/usr/bin/quillmere-backup" --help)" ||
    fail "quillmere-backup --help ended with status $?"
grep -q 'quillmere-backup \[--yes\]' <<<"$help" || fail "quillmere-backup --help printed: $help"

# --- removal -----------------------------------------------------------------------------------
dpkg_root --remove quillmere
left="$(find "$sysroot" -mindepth 1 -not -path "$sysroot/var" -not -path "$sysroot/var/lib" \
    -not -path "$sysroot/var/lib/dpkg" -not -path "$sysroot/var/lib/dpkg/*")"
[ -z "$left" ] || fail "dpkg -r left behind: $left"

# --- the Windows zip ---------------------------------------------------------------------------
unzip -tq "$zip" >/dev/null || fail "$zip is damaged"
names="$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')"
[ "$names" = "LICENSE.txt README.txt quillmere-backup.exe quillmere.exe " ] || fail "$zip holds: $names"
# The README is the users' one, in both languages, as Notepad shows it (a byte order mark for the
# Japanese, Windows line ends), and nothing about building from the source.
readme="$work/README.txt"
unzip -p "$zip" README.txt >"$readme"
[ "$(head -c 3 "$readme")" = $'\xef\xbb\xbf' ] || fail "README.txt does not begin with a UTF-8 byte order mark"
if grep -qv $'\r$' "$readme"; then fail "README.txt has lines without Windows line ends"; fi
for text in 使い始める 'Getting started' '終了ステータス' 'Exit statuses' \
    'HKEY_CURRENT_USER\Software\Quillmere\Quillmere\LastExec'; do
    grep -qF "$text" "$readme" || fail "README.txt does not say '$text'"
done
grep -q '^  schtasks /Create .*quillmere-backup\.exe' "$readme" || fail "README.txt has no Task Scheduler line for quillmere-backup.exe"
for status in 0 1 2 3 4 5 6 7; do
    [ "$(grep -c "^  $status  " "$readme")" = 2 ] || fail "README.txt does not give exit status $status in both languages"
done
if grep -qiE 'sudo|\bapt(-get)?\b|cmake|scripts/|\.png|\.md\b' "$readme"; then
    fail "README.txt speaks of building or of files the zip does not hold: $(grep -iE 'sudo|\bapt(-get)?\b|cmake|scripts/|\.png|\.md\b' "$readme")"
fi
echo "test-package.sh: both packages built, checked, installed and removed"
