#!/usr/bin/env bash
# Peak resident memory and time of the file-transcription start (prepare, upload, merge) for a
# 200 MB audio file against a local service, printed as the growth over the file size.
# Target: growth at most 1.2 x the file size + 30 MB (the file held once, inside the body).
# Arguments: [SIZE_MB [URL APP_ID KEY]]; without a URL a sink in a child process takes the upload.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup-deps.sh"
"$root/scripts/build.sh" bench_transcribe_upload >/dev/null
"${QOV_BUILD_DIR:-$root/build}/bin/bench_transcribe_upload" "$@"
