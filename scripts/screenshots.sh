#!/usr/bin/env bash
# Takes the README's screenshots: the dialog idle, playing the default file
# with levels and spectrum, and a message box. Needs ImageMagick's import.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages
configure_and_build --target QuelmarTest register_filter samples ClickQuelmar
ensure_display
wine_env
docs="$QUELMAR_ROOT/docs"
shot() {
    sleep "$2"
    import -window root "$docs/$1.png"
    convert "$docs/$1.png" -trim +repage "$docs/$1.png"
}
click() { wine "$QUELMAR_BUILD/bin/ClickQuelmar.exe" "$@"; }

wine "$QUELMAR_BUILD/bin/QuelmarTest.exe" &
click
shot dialog-idle 1
click 203 211  # Build graph, Play
shot dialog-playing 2
wineserver -k || true

wine "$QUELMAR_BUILD/bin/QuelmarTest.exe" &
click 202= 203  # an empty path, Build graph
shot message-box 1
wineserver -k || true
