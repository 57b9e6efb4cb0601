#!/usr/bin/env bash
# Builds the Release binaries and writes dist/QuelmarTest-<version>-win64.zip:
# QuelmarTest.exe, QuelmarFilter.dll, QuelmarRun.exe,
# register.cmd, unregister.cmd, README.txt and the sample media. The same
# commit gives the same bytes.
#   QUELMAR_RELEASE_BUILD  the Release build folder (build/release)
#   QUELMAR_DIST           where the zip goes (dist)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

release_build="${QUELMAR_RELEASE_BUILD:-$QUELMAR_BUILD/release}"
dist="${QUELMAR_DIST:-$QUELMAR_ROOT/dist}"

version="$(quelmar_version)"

install_packages

# The filter reports its build date (__DATE__, __TIME__): the compiler takes
# the commit's time from SOURCE_DATE_EPOCH. A Release build made at another
# commit is cleaned first, so no object keeps an older date.
SOURCE_DATE_EPOCH="$(git -C "$QUELMAR_ROOT" log -1 --format=%ct 2>/dev/null || stat -c %Y "$QUELMAR_ROOT/release/Version.h")"
export SOURCE_DATE_EPOCH

cmake -S "$QUELMAR_ROOT" -B "$release_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$QUELMAR_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
binaries=(QuelmarTest.exe QuelmarFilter.dll QuelmarRun.exe)
epoch_file="$release_build/source-date-epoch"
if [ "$(cat "$epoch_file" 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
    cmake --build "$release_build" --target clean
    echo "$SOURCE_DATE_EPOCH" >"$epoch_file"
fi
cmake --build "$release_build" --target "${binaries[@]%.*}"
# Only the media: no Wine prefix gets a drive mapped.
env -u WINEPREFIX "$QUELMAR_ROOT/scripts/make-samples.sh" "$release_build/samples"

stage="$release_build/zip"
rm -rf "$stage"
mkdir -p "$stage"
for binary in "${binaries[@]}"; do
    cp "$release_build/bin/$binary" "$stage/"
done
cp "$QUELMAR_ROOT/release/register.cmd" "$QUELMAR_ROOT/release/unregister.cmd" "$stage/"
sed -e "s/@VERSION@/$version/" "$QUELMAR_ROOT/release/README.txt" >"$stage/README.txt"
cp -r "$release_build/samples" "$stage/samples"

zip="$dist/QuelmarTest-$version-win64.zip"
mkdir -p "$dist"
python3 "$QUELMAR_ROOT/scripts/make_zip.py" "$zip" "$stage"
echo "Wrote $zip"
