#!/usr/bin/env bash
# Sets up, builds and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
