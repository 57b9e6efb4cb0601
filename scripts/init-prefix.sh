#!/usr/bin/env bash
# Creates the Wine prefix named by WINEPREFIX: wineboot, then a virtual
# desktop, which draws window frames without a window manager and lets a
# window hide at once (without one, Wine waits about 2 s for the X server
# whenever an active window is hidden).
set -euo pipefail
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null
wineserver -w
