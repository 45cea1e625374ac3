#!/usr/bin/env bash
# Pictures of qov-studio without a display, at 1280x800, drawn off screen: the window as it opens
# (studio.png), with each tool chosen in turn (studio-1.png … studio-4.png), the dubbing tool with
# the pointer on a voice (dubbing.png), after speaking a short text (dubbing-generated.png) and
# while a long text is a running task (dubbing-long.png), the painting tool as it opens
# (painting.png), after a generation of four images (painting-generated.png), with a reference
# image chosen (painting-reference.png) and with its images handed from the history to the
# studio's bin (painting-handed.png), the copywriting tool
# after a generation against the local services (studio-generated.png) and the history dialog
# listing its records (history.png).
#   scripts/screenshot.sh [DIR]      DIR defaults to build/screenshots; prints the folder
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QOV_BUILD_DIR:-$root/build}
out=${1:-$build/screenshots}
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" qov-studio QOVAIGC aigc-emulator qov_media >/dev/null

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/studio*.png "$out"/dubbing*.png "$out"/painting*.png "$out"/history.png
# A folder of its own, so the pictures never show the user's own results.
. "$root/scripts/local-services.sh"
run_dir="$build/screenshot-run"
rm -rf "$run_dir"
QOV_WORK_DIR="$run_dir/work" start_local_services "$run_dir" "$build"
# The studio lists every picture it writes; standard output is kept for the folder alone.
QT_QPA_PLATFORM=offscreen "$build/bin/qov-studio" --screenshot "$out" >&2
echo "$out"
