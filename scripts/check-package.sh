#!/usr/bin/env bash
# Checks the release zip that scripts/package.sh writes: it holds exactly the
# release's files; a second Release build in a new folder gives the same
# bytes; and, unpacked into a folder with a space in its name in a new, empty
# Wine prefix, tests/PackageTest.cpp finds the version resources and the
# manifest, registers the filter with register.cmd, builds and plays a sample,
# and after unregister.cmd sees "Can't build graph". Exits non-zero on any
# failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

status=0
fail() { echo "FAILED: $*"; status=1; }

bash "$QUELMAR_ROOT/scripts/package.sh"
zip="$QUELMAR_ROOT/dist/QuelmarTest-$(quelmar_version)-win64.zip"

echo "-- the files in $(basename "$zip")"
expected=(QuelmarFilter.dll QuelmarRun.exe QuelmarTest.exe README.txt register.cmd unregister.cmd
    "samples/Ref_movies/Storage/AAC/Track No01.mp4" samples/pink-noise.wav samples/sine-1kHz-minus6dB.wav
    samples/six-channels.wav samples/stereo-left-minus6dB-right-minus20dB.wav samples/video-with-tone.avi)
zip_names() {
    python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$1" | LC_ALL=C sort
}
diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) <(zip_names "$zip") || fail "the zip does not hold exactly the release's files"

echo "-- the same bytes from a second build in a new folder"
again="$QUELMAR_BUILD/release-again"
rm -rf "$again" "$again-dist"
QUELMAR_RELEASE_BUILD="$again" QUELMAR_DIST="$again-dist" bash "$QUELMAR_ROOT/scripts/package.sh" >"$again.log" 2>&1 ||
    { tail -20 "$again.log"; fail "the second build"; }
cmp "$zip" "$again-dist/$(basename "$zip")" || fail "building twice gave different zips"

echo "-- a new Wine prefix, the zip unpacked into \"C:\\Quelmar Test\""
configure_and_build --target PackageTest >/dev/null
ensure_display
wine_env
export WINEPREFIX="$QUELMAR_BUILD/clean-prefix"
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$WINEPREFIX/drive_c/Quelmar Test"
QUELMAR_PACKAGE_DIR='C:\Quelmar Test' timeout 600 wine "$QUELMAR_BUILD/bin/PackageTest.exe" || fail "PackageTest in the new prefix"
wineserver -k 2>/dev/null || true
exit $status
