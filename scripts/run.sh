#!/usr/bin/env bash
# Sets up, builds and starts Tarvik. The program folder is build/src: the executable
# Quenlor with Plans.mdb beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build --target Quenlor
exec build/src/Quenlor
