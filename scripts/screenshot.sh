#!/usr/bin/env bash
# Pictures of qov-studio without a display, at 1280x800, drawn off screen: the window as it opens
# (studio.png), with each tool chosen in turn (studio-1.png … studio-4.png), the dubbing tool with
# the pointer on a voice (dubbing.png), after speaking a short text (dubbing-generated.png) and
# while a long text is a running task (dubbing-long.png), the painting tool as it opens
# (painting.png), after a generation of four images (painting-generated.png), with a reference
# image chosen (painting-reference.png) and with its images handed from the history to the
# studio's bin (painting-handed.png), the subtitles tool with the sample video selected on tab A
# (subtitles.png) and tab B (subtitles-tab-b.png), its account dialog (subtitles-account.png),
# while the video is recognised (subtitles-running.png) and with its subtitle file and sentences
# in the bin (subtitles-generated.png) and then spoken as a voice-over track (subtitles-dubbed.png), the preview of that video with a caption drawn over a frame
# (preview-captions.png) and its sentences after a layout and an edit (captions-edited.png), the
# translation tool after turning those sentences into Spanish (translate-window.png) and the
# sentences beside their translation, both drawn over the frame (translate-side-by-side.png), the
# export dialog after exporting the video with its track and subtitles (export-dialog.png) and the
# exported video in the preview with its captions (exported-preview.png), the copywriting tool
# after a generation against the local services (studio-generated.png) and the history dialog
# listing its records (history.png), and the studio as ./run.sh opens it, with the sample project
# (studio-sample.png).
#   scripts/screenshot.sh [DIR]      DIR defaults to build/screenshots; prints the folder
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QOV_BUILD_DIR:-$root/build}
out=${1:-$build/screenshots}
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" qov-studio QOVAIGC aigc-emulator qov_appdata >/dev/null

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/studio*.png "$out"/dubbing*.png "$out"/painting*.png "$out"/subtitles*.png "$out"/history.png \
  "$out"/preview-captions.png "$out"/captions-edited.png "$out"/translate-*.png "$out"/export-dialog.png "$out"/exported-preview.png
# The sample video the studio selects: two recordings of English speech the recognizer's test data
# ships, a second of silence between them, over a plain picture; made where the pictures go and
# removed after.
sample="$out/示例视频.mp4"
speech=/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb
ffmpeg -nostdin -v error -y -f lavfi -i "color=c=0x2f7de1:s=640x360:r=25" \
  -i "$speech-0870.wav" -i "$speech-0880.wav" \
  -filter_complex "anullsrc=r=16000:cl=mono,atrim=duration=1[pause];[1:a][pause][2:a]concat=n=3:v=0:a=1[a]" \
  -map 0:v -map "[a]" -shortest -c:v mpeg4 -c:a aac "$sample"
# A folder of its own, so the pictures never show the user's own results.
. "$root/scripts/local-services.sh"
run_dir="$build/screenshot-run"
rm -rf "$run_dir"
QOV_WORK_DIR="$run_dir/work" start_local_services "$run_dir" "$build"
# The studio lists every picture it writes; standard output is kept for the folder alone.
QT_QPA_PLATFORM=offscreen "$build/bin/qov-studio" --screenshot "$out" >&2 || status=$?
rm -f "$sample"
# The studio as ./run.sh opens it: the sample project, its video made into the working folder.
[ "${status:-0}" -ne 0 ] || QT_QPA_PLATFORM=offscreen "$build/bin/qov-studio" --sample --screenshot "$out" >&2 ||
  status=$?
[ "${status:-0}" -eq 0 ] || exit "$status"
echo "$out"
