#!/usr/bin/env bash
# The demonstration a newcomer sees without a display: every part runs, and the English recording
# comes back as English words, not placeholders.
#   headless_demo.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
run_dir=$(mktemp -d)
trap 'rm -rf "$run_dir"' EXIT
output=$(env -u DISPLAY -u WAYLAND_DISPLAY QOV_BUILD_DIR="$build" QOV_RUN_DIR="$run_dir" "$root/run.sh" 2>&1) || {
  echo "$output"
  echo "run.sh failed" >&2
  exit 1
}
words=$(printf '%s\n' "$output" | sed -n '/English model/,/recognise English only/p')
for word in married amiable woman respectable; do
  if ! grep -qw "$word" <<<"$words"; then
    echo "$output"
    echo "the English recording's subtitles lack \"$word\"" >&2
    exit 1
  fi
done
grep -q "Mandarin speech, as above, needs the real services" <<<"$output"
