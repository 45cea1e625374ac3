# Sourced, not run. Makes a video whose sound is real English speech, so the recognizer of the
# local services has words to decode and every later step of a localisation has real text:
#   . bench/speech-video.sh; make_speech_video OUT SECONDS RECORDING...
# The recordings follow one another with a short pause after each (people pause between
# sentences, and the recognizer cuts its sentences at pauses); with SECONDS above 0 the round is
# looped and cut to SECONDS, with 0 it plays once. The picture is a plain colour, so it costs the
# encoder next to nothing and the sound is what is measured. OUT appears whole or not at all.

speech_video_pause=${SPEECH_VIDEO_PAUSE:-0.8}

make_speech_video() {
  local out=$1 seconds=$2
  shift 2
  [ $# -gt 0 ] || { echo "make_speech_video: no recording given" >&2; return 1; }
  local inputs=() chain="" labels="" i=0 recording
  for recording in "$@"; do
    inputs+=(-i "$recording")
    chain+="[$i:a]aresample=16000,aformat=channel_layouts=mono,apad=pad_dur=$speech_video_pause[s$i];"
    labels+="[s$i]"
    i=$((i + 1))
  done
  local round="$out.round.wav"
  ffmpeg -nostdin -v error -y "${inputs[@]}" -filter_complex "${chain}${labels}concat=n=$#:v=0:a=1[out]" \
    -map "[out]" "$round"
  local length
  length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$round")
  [ "$seconds" = 0 ] && seconds=$length
  local loop=()
  [ "$(echo "$seconds > $length" | bc -l)" = 1 ] && loop=(-stream_loop -1)
  ffmpeg -nostdin -v error -y "${loop[@]}" -i "$round" \
    -f lavfi -i "color=c=0x203040:size=640x360:rate=25" \
    -map 0:a -map 1:v -t "$seconds" -ac 2 -ar 44100 -c:a aac -b:a 128k \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p "$out.part.mp4"
  rm -f "$round"
  mv "$out.part.mp4" "$out"
}
