#!/usr/bin/env bash
# Pictures of qov-studio without a display: the window as it opens (studio.png) and with each
# tool chosen in turn (studio-1.png … studio-4.png), at 1280x800, drawn off screen.
#   scripts/screenshot.sh [DIR]      DIR defaults to build/screenshots; prints the folder
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QOV_BUILD_DIR:-$root/build}
out=${1:-$build/screenshots}
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" qov-studio >/dev/null

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/studio*.png
# The studio lists every picture it writes; standard output is kept for the folder alone.
QT_QPA_PLATFORM=offscreen "$build/bin/qov-studio" --screenshot "$out" >&2
echo "$out"
