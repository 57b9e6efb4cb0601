#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb; exits non-zero
# on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_packages
configure_and_build
ensure_display
wine_env
status=0
ctest --test-dir "$QUELMAR_BUILD" --output-on-failure -j2 || status=$?
wineserver -k 2>/dev/null || true
exit $status
