#!/usr/bin/env bash
# Builds the Debian package tarvik_<version>_<arch>.deb in the build folder and checks it
# with lintian, which fails the script on an error.
# Usage: scripts/package.sh [build-dir]
# Install it with: apt-get install ./build/tarvik_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/setup.sh "$build"
# What CPack works out the library dependencies with, and the package's checker.
missing=()
for p in dpkg-dev file lintian; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
rm -f "$build"/tarvik_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tarvik_*.deb)
echo "lintian $deb:"
lintian --info "$deb"
echo "Made $deb"
