#!/usr/bin/env bash
# Builds QuelmarTest.exe and starts it under Wine on the current display.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_packages
configure_and_build --target QuelmarTest register_filter samples
ensure_display
wine_env
wine "$QUELMAR_BUILD/bin/QuelmarTest.exe"
