#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds Tarvik.
# Usage: scripts/setup.sh [build-dir] [--target TARGET] [extra cmake options...]
# Without --target it builds everything: the program, the tests and the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
shift || true
target=()
if [ "${1:-}" = "--target" ]; then
    target=(--target "$2")
    shift 2
fi

# The last line: what the tests check the installed desktop entry and metadata with.
packages=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libsqlite3-dev libjpeg-dev libicu-dev
          fonts-dejavu-core qt6-translations-l10n fonts-paratype mdbtools-dev mdbtools dbus-daemon
          desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" "${target[@]}" -j"$(nproc)"
