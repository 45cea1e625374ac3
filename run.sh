#!/usr/bin/env bash
# Installs what is missing, builds, starts the local services and runs the main job.
#   ./run.sh                 the stand-in editor (qov-studio) against the local services, with the
#                            sample project open; without a display, a demonstration of every tool
#                            through the command line
#   ./run.sh --empty         the stand-in editor with nothing in it
#   ./run.sh COMMAND ARGS    runs qovaigc COMMAND ARGS (e.g. ./run.sh write "一段话题")
# The application folder lives in .run/ (or $QOV_RUN_DIR): settings pointing at the local
# services, the task logs, and the working folder with every result, kept between runs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${QOV_BUILD_DIR:-$root/build}
run_dir=${QOV_RUN_DIR:-$root/.run}
mkdir -p "$run_dir"
log="$run_dir/build.log"

# Standard output belongs to the job: setup and build talk to the log, and show it on failure.
if ! { "$root/scripts/setup-deps.sh" && "$root/scripts/build.sh" qovaigc aigc-emulator QOVAIGC qov-studio qov_appdata; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: setup or build failed (log: $log)" >&2
  exit 1
fi

. "$root/scripts/local-services.sh"
start_local_services "$run_dir" "$build"

cli="$build/bin/qovaigc"
sample=(--sample)
if [ "${1:-}" = "--empty" ]; then
  sample=()
  shift
fi
if [ $# -gt 0 ]; then
  set +e
  "$cli" "$@"
  status=$?
  set -e
  exit $status
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Local services: $base; working folder: $QOV_WORK_DIR" >&2
  set +e
  "$build/bin/qov-studio" --module "$build/lib/libQOVAIGC.so" "${sample[@]}"
  status=$?
  set -e
  exit $status
fi

# One subtitles run of the demonstration: its file and sentences, or why it failed; the rest of the
# demonstration goes on either way.
subtitles() {
  local title=$1 srt errors
  shift
  errors=$(mktemp)
  last_srt=""
  if srt=$("$cli" subtitles "$@" 2>"$errors"); then
    echo "  $title: $srt"
    sed 's/^/  | /' "$srt"
    last_srt=$srt
  else
    echo "  $title failed: $(tail -n 1 "$errors")"
  fi
  rm -f "$errors"
}

echo "No display: showing every tool through the command line instead of the editor."
echo "Local services: $base"
echo "Working folder: $QOV_WORK_DIR"
echo
"$cli" help
echo
echo "Demonstration: ./run.sh write \"为新品发布会写一段开场白\""
path=$("$cli" write "为新品发布会写一段开场白")
echo "  text file: $path"
sed 's/^/  | /' "$path"
echo
echo "Demonstration: ./run.sh dub \"欢迎使用智能配音\""
audio=$("$cli" dub "欢迎使用智能配音")
echo "  audio file: $audio"
echo
echo "Demonstration: ./run.sh extract AUDIO AUDIO.wav --codec pcm, then ./run.sh duration AUDIO.wav"
"$cli" extract "$audio" "${audio%.mp3}.wav" --codec pcm
echo "  ${audio%.mp3}.wav: $("$cli" duration "${audio%.mp3}.wav") seconds"
echo
echo "Demonstration: ./run.sh subtitles AUDIO --engine file|cloud (the spoken audio above)"
for engine in file cloud; do
  subtitles "$engine engine" "$audio" --engine "$engine"
done
echo "Demonstration: ./run.sh subtitles VIDEO --engine file|cloud (a short video made from it with FFmpeg)"
video="$QOV_WORK_DIR/demo-clip.mp4"
ffmpeg -nostdin -v error -y -f lavfi -i color=c=navy:s=320x180:r=25 -i "$audio" -shortest \
  -c:v mpeg4 -c:a aac "$video"
for engine in file cloud; do
  subtitles "$engine engine" "$video" --engine "$engine"
done
echo "Demonstration: ./run.sh subtitles RECORDING --engine cloud --model 1737 (English speech)"
english=/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb-0920.wav
subtitles "cloud engine, English model" "$english" --engine cloud --model 1737
echo "  The local services recognise English only: Mandarin speech, as above, needs the real services."
echo "Demonstration: ./run.sh translate RECORDING.srt --to es (those English captions, by Apertium)"
if [ -n "$last_srt" ] && spanish=$("$cli" translate "$last_srt" --to es 2>/dev/null); then
  echo "  Spanish captions: $spanish"
  sed 's/^/  | /' "$spanish"
else
  echo "  translation failed: $("$cli" translate "${last_srt:-none.srt}" --to es 2>&1 >/dev/null | tail -n 1)"
fi
echo
echo "Demonstration: ./run.sh localize VIDEO --to es (an English video to its Spanish version)"
english_video="$QOV_WORK_DIR/english-talk.mp4"
ffmpeg -nostdin -v error -y -f lavfi -i color=c=darkgreen:s=320x180:r=25 -i "$english" -shortest \
  -c:v mpeg4 -c:a aac "$english_video"
if localized=$("$cli" localize "$english_video" --to es 2>"$QOV_WORK_DIR/localize.log"); then
  echo "  Spanish video: $localized (dubbed track ducked over the original, Spanish and English subtitles)"
  sed -n 's/^step /  step /p' "$QOV_WORK_DIR/localize.log"
else
  echo "  localize failed: $(tail -n 1 "$QOV_WORK_DIR/localize.log")"
fi
echo
echo "Demonstration: ./run.sh paint \"雪山下的湖泊\" --size 1024x1024 --count 2"
"$cli" paint "雪山下的湖泊" --size 1024x1024 --count 2 | sed 's/^/  image: /'
echo
echo "Demonstration: ./run.sh history copywriting"
"$cli" history copywriting | sed 's/^/  /'
