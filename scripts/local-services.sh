# Lays out an application folder below RUN_DIR (settings, media, working folder), starts the
# local services on a free port, points the settings at them and exports QOV_APP_DIR,
# QOV_CONFIG_DIR and QOV_WORK_DIR. The services stop when the sourcing script exits.
#   . scripts/local-services.sh; start_local_services RUN_DIR BUILD_DIR
# Sets `base` to the services' address.

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

  # The local services, on a port of their own choosing; stopped whatever way the job ends.
  fifo="$run_dir/emulator.out"
  rm -f "$fifo"
  mkfifo "$fifo"
  "$build/bin/aigc-emulator" --port 0 >"$fifo" 2>"$run_dir/emulator.log" &
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
  cat >"$app/InitFile/AIGC.ini" <<INI
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
INI
}
