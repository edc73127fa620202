#!/usr/bin/env bash
# Builds the Windows program in build-windows/, cross-compiled here with MinGW-w64:
#   Quenlor.exe                    one static executable, nothing else needed beside it
#   Tarvik-<version>-portable.zip  the program folder: Quenlor.exe, an empty Plans.mdb, the
#                                  README and the licence; unpacked anywhere, it keeps its
#                                  tasks beside itself
#   Tarvik-<version>-setup.exe     the per-user installer (no administrator rights)
# What the program is made with (Qt, SQLite, libjpeg, libmdb for Windows) is built once per
# machine into a cache outside the clone (scripts/cross-cache.sh); the first run takes about
# an hour and a half on two cores, later ones minutes.
# Usage: scripts/windows.sh [--cache-only]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/cross-cache.sh

cross_build_cache
[ "${1:-}" != --cache-only ] || exit 0

build=build-windows
cross_configure "$build" -DTARVIK_TESTS=OFF
cmake --build "$build" -j"$cross_jobs"

version=$(sed -n 's/^project(Tarvik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
program="$build/program"
rm -rf "$program"
mkdir -p "$program"
cp "$build/src/Quenlor.exe" "$build/src/Plans.mdb" README.md "$program/"
# Notepad shows a text with Windows line ends.
sed 's/$/\r/' COPYING > "$program/COPYING.txt"

portable="Tarvik-$version-portable"
rm -rf "${build:?}/$portable" "$build/$portable.zip"
cp -r "$program" "$build/$portable"
(cd "$build" && zip -q -r "$portable.zip" "$portable")
rm -rf "${build:?}/$portable"

cp src/about/pictures/Tarvik.ico "$program/"
makensis -V2 -DVERSION="$version" -DPROGRAM="$(realpath "$program")" \
    -DOUTFILE="$(realpath "$build")/Tarvik-$version-setup.exe" packaging/windows/Tarvik.nsi

ls -l "$build/src/Quenlor.exe" "$build/$portable.zip" "$build/Tarvik-$version-setup.exe"
