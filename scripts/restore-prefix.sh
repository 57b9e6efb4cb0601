#!/usr/bin/env bash
# Puts the prefix named by WINEPREFIX back as the run command expects it,
# whatever a test that changes it left behind (or a run killed during it):
# the level filter given by its Linux path registered, and no graph editor
# or property-page values of the tests. CTest runs it before and after those
# tests. No `wineserver -w`: the test run's session stays up throughout.
set -euo pipefail
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine regsvr32 /s "$(winepath -w "$1")"
wine reg delete 'HKCR\CLSID\{29E07010-BD27-11CE-AB59-00AA00577DA1}' /f >/dev/null 2>&1 || true
wine reg delete 'HKLM\Software\Microsoft\Shared Tools\Graphedit' /f >/dev/null 2>&1 || true
