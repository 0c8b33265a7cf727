# ensure_packages PKG...: installs the Debian packages among PKG that are not installed yet,
# with sudo when not run as root. Sourced by the build scripts.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$package")
        fi
    done
    [ "${#missing[@]}" -eq 0 ] && return 0

    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq
    # Through env: sudo would drop the variable from the environment it passes on.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The packages every build needs: compiler, CMake with Ninja, Qt 6 Widgets, GoogleTest.
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-qpa-plugins libgtest-dev)

# The static checks of the product code (scripts/tidy.sh): clang-tidy and its parallel runner.
CHECK_PACKAGES=(clang-tidy)

# What bench/run.sh needs besides: the virtual X display the start-up is measured on, the X
# client library the measuring program watches it with, and the fonts the window's texts use;
# bench/history.sh compares a history of backups with rsync's.
BENCH_PACKAGES=(xvfb libxcb1-dev fonts-noto-cjk fonts-ipafont-gothic rsync)

# The fault suite's exFAT volume: the file system's tools and its FUSE driver; strace injects a
# failing system call.
FAULT_TEST_PACKAGES=(exfatprogs exfat-fuse strace)

# The packages the Windows run of the core tests needs: the MinGW-w64 cross compiler, Wine to run
# the test program, and the GoogleTest sources to build it for Windows; for the Windows program's
# windows a virtual display with a window manager, the key presser, and Japanese fonts.
WINDOWS_TEST_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 googletest xvfb openbox xdotool fonts-ipafont-gothic)

# What scripts/package.sh and its test need: the Debian package tools (dpkg-shlibdeps, an install
# into a scratch root under fakeroot), the three checkers and the zip tools.
PACKAGE_PACKAGES=(dpkg-dev fakeroot lintian appstream desktop-file-utils zip unzip)
