# Lays out an application folder below RUN_DIR (settings, media, working folder), starts the
# local services on a free port, points the settings at them and exports QOV_APP_DIR,
# QOV_CONFIG_DIR and QOV_WORK_DIR. The services stop when the sourcing script exits.
#   . scripts/local-services.sh; start_local_services RUN_DIR BUILD_DIR
# Sets `base` to the services' address. With QOV_LOCAL_TLS=1 the services speak HTTPS only, with a
# certificate made here for 127.0.0.1 that the settings trust through [Network] CaFile.

# The accounts the local services are started with, written into the settings as well.
local_store_access_key=qov-local-ak
local_store_secret_key=qov-local-sk
local_store_bucket=qov-subtitles
local_transcription_id=qovlocal
local_transcription_key=qov-local-transcription-key

# Writes the transcription account into the [WaveToText] section of an iTarn.ini, keeping every
# other section and key of a file that is already there.
write_transcription_account() {
  local file=$1 tmp
  tmp=$(mktemp "$file.XXXXXX")
  [ -f "$file" ] || : >"$file"
  awk -v id="$local_transcription_id" -v key="$local_transcription_key" '
    function name_of(line) { sub(/^[ \t]*\[/, "", line); sub(/\][ \t\r]*$/, "", line); return tolower(line) }
    /^[ \t]*\[.*\][ \t\r]*$/ {
      inside = name_of($0) == "wavetotext"
      print
      if (inside && !written) { print "ID=" id; print "Key=" key; written = 1 }
      next
    }
    inside && tolower($0) ~ /^[ \t]*(id|key)[ \t]*=/ { next }
    { print }
    END { if (!written) { print "[WaveToText]"; print "ID=" id; print "Key=" key } }
  ' "$file" >"$tmp" && mv "$tmp" "$file"
}

start_local_services() {
  local run_dir=$1 build=$2 root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  local app="$run_dir/app" fifo banner
  export QOV_APP_DIR="$app"
  export QOV_CONFIG_DIR="$run_dir/config"
  export QOV_WORK_DIR="${QOV_WORK_DIR:-$run_dir/work}"
  mkdir -p "$app/InitFile" "$app/Media/AIGC" "$QOV_CONFIG_DIR" "$QOV_WORK_DIR"
  # The editor's data files as the build laid them out (the voice library with its pictures and
  # samples among them).
  if [ -d "$build/app/Media" ]; then
    cp -r "$build/app/Media/." "$app/Media/"
  fi

  # A fresh certificate on every start, so one never runs out between runs.
  local tls=() ca_file=
  if [ "${QOV_LOCAL_TLS:-0}" = 1 ]; then
    ca_file="$run_dir/local-services.pem"
    (umask 077 && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 \
      -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 \
      -keyout "$run_dir/local-services.key" -out "$ca_file" 2>"$run_dir/openssl.log") || {
      echo "cannot make a certificate for the local services (log: $run_dir/openssl.log)" >&2
      exit 1
    }
    tls=(--tls-cert "$ca_file" --tls-key "$run_dir/local-services.key")
  fi

  # The local services, on a port of their own choosing; stopped whatever way the job ends.
  fifo="$run_dir/emulator.out"
  rm -f "$fifo"
  mkfifo "$fifo"
  "$build/bin/aigc-emulator" --port 0 "${tls[@]}" \
    --store-access-key "$local_store_access_key" --store-secret-key "$local_store_secret_key" \
    --store-bucket "$local_store_bucket" \
    --transcription-app-id "$local_transcription_id" --transcription-key "$local_transcription_key" \
    >"$fifo" 2>"$run_dir/emulator.log" &
  emulator=$!
  local_services_pid=$emulator
  local_services_fifo=$fifo
  trap 'kill "$local_services_pid" 2>/dev/null || true; wait "$local_services_pid" 2>/dev/null || true; rm -f "$local_services_fifo"' EXIT
  exec 3<"$fifo"
  if ! read -r -t 20 banner <&3; then
    echo "the local services did not start (log: $run_dir/emulator.log)" >&2
    exit 1
  fi
  base=${banner##* }
  # The settings hold keys: the user's alone.
  (umask 077 && cat >"$app/InitFile/AIGC.ini") <<INI
; Written for the local services at $base; rewritten on every run.
[Token]
URL=$base/oauth/2.0/token

[Copywriting]
URL=$base/chat/v1/completions
APIKey=qov-local-key
SecretKey=qov-local-secret
FontSize=10

[Txt2Audio]
URL=$base
URLS=$base/text2audio
APIKey=qov-local-key
SecretKey=qov-local-secret
Cuid=qov-run-$(hostname 2>/dev/null || echo local)

[Txt2Img]
URL=$base
APIKey=qov-local-key
SecretKey=qov-local-secret

[Audio2Txt]
URL=$base
APIKey=qov-local-key
SecretKey=qov-local-secret
WordTimes=1

[ObjectStore]
Endpoint=${base#http://}
AccessKeyId=$local_store_access_key
SecretAccessKey=$local_store_secret_key
Bucket=$local_store_bucket

[FileTranscription]
URL=$base/api
INI
  chmod 600 "$app/InitFile/AIGC.ini"
  if [ -n "$ca_file" ]; then
    printf '\n[Network]\nCaFile=%s\n' "$ca_file" >>"$app/InitFile/AIGC.ini"
  fi
  write_transcription_account "$QOV_CONFIG_DIR/iTarn.ini"
}
