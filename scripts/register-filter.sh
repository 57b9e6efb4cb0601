#!/usr/bin/env bash
# Registers the level filter DLL given by its Linux path in the Wine prefix
# named by WINEPREFIX (regsvr32 takes the Windows form of the path).
set -euo pipefail
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine regsvr32 /s "$(winepath -w "$1")"
wineserver -w
