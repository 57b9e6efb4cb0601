#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (as root),
# configures the build folder and builds. Quick when all is in place already.
# Sourced by run.sh and test.sh; sets QUELMAR_BUILD.
set -euo pipefail

QUELMAR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QUELMAR_BUILD="${QUELMAR_BUILD:-$QUELMAR_ROOT/build}"

QUELMAR_PACKAGES=(
    cmake ninja-build python3 git
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    googletest
    g++ clang libclang-rt-14-dev
    wine wine64 libwine
    xvfb xauth x11-utils
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
    gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-tools
)

install_packages() {
    local missing=()
    for package in "${QUELMAR_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    cmake -S "$QUELMAR_ROOT" -B "$QUELMAR_BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$QUELMAR_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$QUELMAR_BUILD" "$@"
}

# Native (Linux) builds of the level filter's portable core in
# $QUELMAR_BUILD/<name>; extra arguments go to CMake, those after "--" to the
# build (e.g. "-- --target DspConcurrencyTest" builds that program only).
native_build() {
    local name="$1"
    shift
    local configure=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        configure+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    cmake -S "$QUELMAR_ROOT/native" -B "$QUELMAR_BUILD/$name" -G Ninja "${configure[@]}" >/dev/null
    cmake --build "$QUELMAR_BUILD/$name" "$@"
}

# Wine needs an X display for every window; start a private Xvfb when there
# is none and say so.
ensure_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local display_number=97
    while [ -e "/tmp/.X11-unix/X$display_number" ] || [ -e "/tmp/.X$display_number-lock" ]; do
        display_number=$((display_number + 1))
    done
    Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QUELMAR_XVFB_PID=$!
    export DISPLAY=":$display_number"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display_number" ] && break
        sleep 0.1
    done
    echo "No display was set: started Xvfb on $DISPLAY"
    trap 'kill "$QUELMAR_XVFB_PID" 2>/dev/null || true' EXIT
}

# The environment under which the programs run (the same as CTest's).
wine_env() {
    export WINEPREFIX="$QUELMAR_BUILD/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export ALSA_CONFIG_PATH="$QUELMAR_BUILD/alsa-null.conf"
}

# Starts the prefix's Wine session (its server, services and the virtual
# desktop) with every standard handle away from the caller's. The session's
# processes outlive the program that starts them; started by a test, they
# would hold CTest's output pipe open, and CTest would wait for them after
# that test: the tests would run one at a time, each charged the others'
# time. The server stays until end_wine_session, and HoldDesktop keeps the
# desktop from closing between two programs.
start_wine_session() {
    wineserver -p </dev/null >/dev/null 2>&1
    wine "$QUELMAR_BUILD/bin/HoldDesktop.exe" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 600); do
        xwininfo -root -tree 2>/dev/null | grep -q '"Default - Wine desktop"' && return 0
        sleep 0.1
    done
    echo "The Wine session's desktop did not appear on $DISPLAY" >&2
    return 1
}

end_wine_session() {
    wineserver -k 2>/dev/null || true
}

# The release's version, "1.0.0", from release/Version.h.
quelmar_version() {
    local part version=""
    for part in MAJOR MINOR PATCH; do
        version+="${version:+.}$(sed -n "s/^#define QUELMAR_VERSION_$part \([0-9][0-9]*\)$/\1/p" "$QUELMAR_ROOT/release/Version.h")"
    done
    [[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "no version in release/Version.h" >&2; return 1; }
    echo "$version"
}
