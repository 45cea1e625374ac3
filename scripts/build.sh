#!/usr/bin/env bash
# Configures and builds into build/ (or $QOV_BUILD_DIR). Extra arguments name the targets.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QOV_BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

if [ ! -f "$build/CMakeCache.txt" ]; then
  # Ninja starts the next compile sooner than make's recursive makefiles and keeps both cores busy.
  generator=()
  command -v ninja >/dev/null && generator=(-G Ninja)
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ $# -gt 0 ]; then
  targets=()
  for target in "$@"; do targets+=(--target "$target"); done
  cmake --build "$build" -j "$jobs" "${targets[@]}"
else
  cmake --build "$build" -j "$jobs"
fi
