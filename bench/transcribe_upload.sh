#!/usr/bin/env bash
# Peak resident memory and time of the file-transcription start (prepare, upload, merge) for a
# 200 MB audio file against the local services, printed as the growth over the file size.
# Target: growth at most 1.2 x the file size + 30 MB (the file held once, inside the body).
# Arguments: [SIZE_MB]. SINK=1 sends the upload to a sink in a child process instead of the
# local services.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QOV_BUILD_DIR:-$root/build}
size=${1:-200}
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" bench_transcribe_upload aigc-emulator >/dev/null

if [ "${SINK:-0}" = 1 ]; then
  exec "$build/bin/bench_transcribe_upload" "$size"
fi

output=$(mktemp)
"$build/bin/aigc-emulator" --port 0 >"$output" 2>&1 &
emulator=$!
trap 'kill "$emulator" 2>/dev/null; wait "$emulator" 2>/dev/null; rm -f "$output"' EXIT
for _ in $(seq 100); do
  grep -q 'listening on' "$output" && break
  sleep 0.1
done
url=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$output" | head -1)
if [ -z "$url" ]; then
  echo "the local services did not start:" >&2
  cat "$output" >&2
  exit 1
fi
"$build/bin/bench_transcribe_upload" "$size" "$url/api" qovlocal qov-local-transcription-key
