#!/usr/bin/env bash
# Builds and runs the benchmarks; they print their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
export QT_QPA_PLATFORM=offscreen
build/bench/bench_store
build/bench/bench_commands
build/bench/bench_grid
build/bench/bench_search
build/bench/bench_reminders
build/bench/bench_durability
build/bench/bench_jet
# The start as the user sees it needs an X server; without DISPLAY it says so.
build/bench/bench_startup
