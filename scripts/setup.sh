#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds Tarvik.
# Usage: scripts/setup.sh [build-dir] [--target TARGET] [extra cmake options...]
# Without --target it builds everything: the program, the tests and the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
build="${1:-build}"
shift || true
target=()
if [ "${1:-}" = "--target" ]; then
    target=(--target "$2")
    shift 2
fi

# The last line: what the tests check the installed desktop entry and metadata with.
packages=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libsqlite3-dev libjpeg-dev libicu-dev
          libqt6sql6-sqlite libxcb1-dev
          fonts-dejavu-core qt6-translations-l10n fonts-paratype mdbtools-dev mdbtools dbus-daemon
          desktop-file-utils appstream)
install_packages "${packages[@]}"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" "${target[@]}" -j"$(nproc)"
