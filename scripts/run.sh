#!/usr/bin/env bash
# Builds the program and starts it on the current desktop.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
# The window texts are Japanese: a CJK font must be there for them to render, and the
# proportional IPA P Gothic fits them into the controls they were laid out for. Qt's own
# translations give the message boxes' Yes and No buttons the user's language.
ensure_packages "${BUILD_PACKAGES[@]}" fonts-noto-cjk fonts-ipafont-gothic qt6-translations-l10n

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja
cmake --build "$build" --target quillmere
exec "$build/app/quillmere" "$@"
