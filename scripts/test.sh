#!/usr/bin/env bash
# Sets up, builds and runs every test, headless: once as the program is built, then once
# more under AddressSanitizer and UBSan, in a Debug build folder of its own, then for the
# Windows build under Wine (where this machine has the cross build cache). Warnings are
# errors here (and so in CI), though not in a user's build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

scripts/setup.sh build -DTARVIK_WERROR=ON
(cd build && ctest --output-on-failure -j"$jobs")

scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVIK_SANITIZE=ON -DTARVIK_BENCH=OFF -DTARVIK_WERROR=ON
(cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j"$jobs")

bash scripts/test-windows.sh
