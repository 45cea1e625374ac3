#!/usr/bin/env bash
# Whether `qovaigc localize` picks up where a killed run stopped, against fresh local services.
# A short English video is localised once without interruption, as the reference; then, ROUNDS
# times (default 20), a copy of it in a folder of its own is localised, killed with SIGKILL at a
# random moment of the reference's duration (with KILL_AFTER_RECOGNITION=1, of its part after the
# recognition, counted from the round's own recognition; it otherwise takes most kills), and
# localised again to the end. Each round passes
# when the rerun exits 0; its captions in both languages are byte for byte the reference's; its
# track has the reference's size and decodes to the same duration (not the same samples: the local
# speech engine's voice wavers from one request to the next); and no caption's speech was asked
# for twice across the killed run and its rerun, except the one request the kill cut off before
# its speech was kept. Slow (minutes); not part of the checks CI runs. Exits 1 on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QOV_BUILD_DIR:-$root/build}
rounds=${ROUNDS:-20}
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" qovaigc aigc-emulator >/dev/null
qovaigc="$build/bin/qovaigc"

run_dir=$(mktemp -d)
trap 'rm -rf "$run_dir"' EXIT
. "$root/scripts/local-services.sh"
start_local_services "$run_dir" "$build"
trap 'kill "$local_services_pid" 2>/dev/null || true; wait "$local_services_pid" 2>/dev/null || true; rm -rf "$run_dir"' EXIT
requests="$base/__control/requests"

. "$root/bench/speech-video.sh"
librivox=/usr/share/pocketsphinx/test/data/librivox
video="$run_dir/talk.mp4"
make_speech_video "$video" 0 "$librivox/sense_and_sensibility_01_austen_64kb-0870.wav" \
  "$librivox/sense_and_sensibility_01_austen_64kb-0880.wav"

now() { date +%s.%N; }
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }
# The tex field of each speech request the services received since they were last cleared, one a
# line, still percent-encoded (the same text is encoded the same way every time).
spoken_texts() {
  curl -sf "$requests?endpoint=tts-short" |
    jq -r '.[].body | split("&")[] | select(startswith("tex=")) | .[4:]'
}

# Localises a fresh copy of the video in folder $1 without interruption; sets took (s).
uninterrupted() {
  mkdir "$run_dir/$1"
  cp "$video" "$run_dir/$1/talk.mp4"
  local start status
  start=$(now)
  # Each line of standard error with the seconds since the start, so the steps can be timed.
  set +e
  "$qovaigc" localize "$run_dir/$1/talk.mp4" --to es --jobs 1 2>&1 >"$run_dir/$1/out" |
    while IFS= read -r line; do echo "$(echo "$(now) - $start" | bc -l) $line"; done >"$run_dir/$1/err"
  status=${PIPESTATUS[0]}
  set -e
  took=$(echo "$(now) - $start" | bc -l)
  [ "$status" = 0 ] || {
    echo "an uninterrupted run failed:" >&2
    cat "$run_dir/$1/err" >&2
    exit 1
  }
}

# The reference: one uninterrupted run. The services load their models on the first request, so
# a second run, with them warm, gives the duration the kills are spread over; its captions show
# that a run's results depend on nothing but the video.
curl -sf -X DELETE "$requests" >/dev/null
uninterrupted reference
spoken_texts >"$run_dir/reference/texts"
uninterrupted warm
reference_seconds=$took
kill_from=0
counted_from=""
if [ "${KILL_AFTER_RECOGNITION:-0}" = 1 ]; then
  kill_from=$(awk '/step 1\/5 recognise: done/ { print $1 }' "$run_dir/warm/err")
  [ -n "$kill_from" ] || { echo "the warm run never said its recognition was done" >&2; exit 1; }
  counted_from=" after the recognition"
fi
for file in captions.en.srt captions.es.srt; do
  cmp -s "$run_dir/reference/talk.es.qovaigc/$file" "$run_dir/warm/talk.es.qovaigc/$file" || {
    echo "two uninterrupted runs made different $file: a rerun has nothing to be compared with" >&2
    exit 1
  }
done
reference="$run_dir/reference/talk.es.qovaigc"
[ -s "$run_dir/reference/texts" ] || { echo "the reference run asked for no speech" >&2; exit 1; }
if [ -n "$(sort "$run_dir/reference/texts" | uniq -d)" ]; then
  echo "the reference run asked for the same speech twice itself; nothing to compare reruns with" >&2
  exit 1
fi
for file in captions.en.srt captions.es.srt track.es.wav; do
  [ -s "$reference/$file" ] || { echo "the reference run left no $file" >&2; exit 1; }
done
reference_track_size=$(stat -c %s "$reference/track.es.wav")
reference_track_seconds=$(duration "$reference/track.es.wav")
printf 'reference: %.3f s (warm; kills within %.3f s%s), %d speech requests, track %d bytes, %s s\n' \
  "$reference_seconds" "$(echo "$reference_seconds - $kill_from" | bc -l)" "$counted_from" \
  "$(wc -l <"$run_dir/reference/texts")" "$reference_track_size" "$reference_track_seconds"

failed=0
killed_rounds=0
for round in $(seq "$rounds"); do
  folder="$run_dir/round$round"
  mkdir "$folder"
  cp "$video" "$folder/talk.mp4"
  project="$folder/talk.es.qovaigc"
  curl -sf -X DELETE "$requests" >/dev/null
  # A deliberate kill at a random moment of the reference's duration, or of its part after the
  # recognition, counted from when this run says its recognition is done.
  delay=$(echo "scale=3; ($reference_seconds - $kill_from) * $RANDOM / 32768" | bc -l)
  mkfifo "$folder/err.fifo"
  : >"$folder/err1"
  "$qovaigc" localize "$folder/talk.mp4" --to es --jobs 1 >"$folder/out1" 2>"$folder/err.fifo" &
  pid=$!
  exec 4<"$folder/err.fifo"
  if [ "$kill_from" != 0 ]; then
    while IFS= read -r line <&4; do
      echo "$line" >>"$folder/err1"
      [[ $line == *"step 1/5 recognise: done"* ]] && break
    done
  fi
  cat <&4 >>"$folder/err1" &
  drain=$!
  exec 4<&-
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  status=0
  wait "$pid" 2>/dev/null || status=$?
  wait "$drain"
  rm -f "$folder/err.fifo"
  problems=()
  killed_at="finished before the kill"
  if [ "$status" = 137 ]; then
    killed_at=$(grep -o 'step [0-9]/5 [a-z ]*' "$folder/err1" | tail -n 1 || true)
    killed_at="killed at $(printf %.3f "$delay") s$counted_from${killed_at:+, after \"$killed_at\"}"
    killed_rounds=$((killed_rounds + 1))
  elif [ "$status" != 0 ]; then
    problems+=("the first run failed with $status before the kill")
  fi
  # The killed process has no connection left: what the services recorded is all it asked for.
  spoken_texts >"$folder/texts1"
  kept=0
  [ -d "$project/speech" ] && kept=$(find "$project/speech" -maxdepth 1 -name '*.wav' | wc -l)
  cut_off=$(($(wc -l <"$folder/texts1") - kept))

  status=0
  "$qovaigc" localize "$folder/talk.mp4" --to es --jobs 1 >"$folder/out2" 2>"$folder/err2" || status=$?
  spoken_texts >"$folder/texts"
  [ "$status" = 0 ] || problems+=("the rerun exited $status: $(tail -n 1 "$folder/err2")")
  if [ "$status" = 0 ]; then
    output=$(tail -n 1 "$folder/out2")
    [ -s "$output" ] || problems+=("the rerun printed $output, which is not there")
  fi
  for file in captions.en.srt captions.es.srt; do
    cmp -s "$reference/$file" "$project/$file" || problems+=("$file differs from the reference's")
  done
  if [ -f "$project/track.es.wav" ]; then
    size=$(stat -c %s "$project/track.es.wav")
    [ "$size" = "$reference_track_size" ] ||
      problems+=("track.es.wav has $size bytes, the reference's $reference_track_size")
    seconds=$(duration "$project/track.es.wav")
    [ "$seconds" = "$reference_track_seconds" ] ||
      problems+=("track.es.wav lasts $seconds s, the reference's $reference_track_seconds s")
  else
    problems+=("no track.es.wav")
  fi
  # What the killed run was writing under a hidden name went with the rerun.
  leftover=$(find "$folder" -name '.*.part' | wc -l)
  [ "$leftover" = 0 ] || problems+=("$leftover unfinished hidden files are left")
  # texts holds the killed run's requests and then the rerun's: a text there twice was asked for
  # again, which only the request in flight at the kill may be (its speech never arrived). Within
  # one run no text may come twice at all.
  tail -n +"$(($(wc -l <"$folder/texts1") + 1))" "$folder/texts" >"$folder/texts2"
  for part in 1 2; do
    twice=$(sort "$folder/texts$part" | uniq -d | wc -l)
    [ "$twice" = 0 ] || problems+=("run $part asked for $twice texts twice")
  done
  again=$(sort "$folder/texts" | uniq -d | wc -l)
  [ "$again" -le "$cut_off" ] ||
    problems+=("$again texts were asked for again, $cut_off cut off by the kill")
  if [ ${#problems[@]} -eq 0 ]; then
    printf 'round %2d: ok (%s; %d + %d speech requests, %d asked again)\n' "$round" "$killed_at" \
      "$(wc -l <"$folder/texts1")" "$(wc -l <"$folder/texts2")" "$again"
    rm -rf "$folder"
  else
    failed=$((failed + 1))
    printf 'round %2d: FAILED (%s): %s\n' "$round" "$killed_at" "$(IFS=';'; echo "${problems[*]}")"
    cp -r "$folder" "${TMPDIR:-/tmp}/localize-resume-round$round.$$" 2>/dev/null &&
      echo "  its folder is kept in ${TMPDIR:-/tmp}/localize-resume-round$round.$$"
  fi
done

echo "$((rounds - failed)) of $rounds rounds passed ($killed_rounds killed before the end)"
[ "$failed" = 0 ]
