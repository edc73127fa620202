#!/usr/bin/env bash
# Builds the Debian package tarvik_<version>_<arch>.deb in the build folder and checks it
# with lintian, which fails the script on an error.
# Usage: scripts/package.sh [build-dir]
# Install it with: apt-get install ./build/tarvik_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
build="${1:-build}"

scripts/setup.sh "$build"
# What CPack works out the library dependencies with, and the package's checker.
install_packages dpkg-dev file lintian
rm -f "$build"/tarvik_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tarvik_*.deb)
echo "lintian $deb:"
lintian --info "$deb"
echo "Made $deb"
