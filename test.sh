#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh"
build=${QOV_BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)
cd "$build"
QT_QPA_PLATFORM=offscreen ctest -j "$jobs" --output-on-failure --timeout 300
