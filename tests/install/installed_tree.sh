#!/usr/bin/env bash
# Installs the build into a staging folder and runs the installed programs with nothing but that
# tree: the installed emulator on a free port, the installed command line finding its application
# folder beside its libraries, a text written and speech made against the installed services.
#   tests/install/installed_tree.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
emulator=""
cleanup() {
  [ -n "$emulator" ] && kill "$emulator" 2>/dev/null && wait "$emulator" 2>/dev/null
  rm -rf "$stage"
}
trap cleanup EXIT
fail() { echo "installed tree: $*" >&2; exit 1; }

DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >"$stage/install.log"
prefix="$stage/root/usr"
for program in qovaigc qov-studio aigc-emulator; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing"
done
for library in libQOVAIGC.so libqovhost.so libqovaudio.so; do
  [ -f "$prefix/lib/qovaigc/$library" ] || fail "lib/qovaigc/$library is missing"
done
[ -f "$prefix/share/qov/InitFile/AIGC.ini" ] || fail "share/qov/InitFile/AIGC.ini is missing"
# The installed programs must not reach back into the build folder.
if readelf -d "$prefix/bin/qovaigc" "$prefix/lib/qovaigc/libQOVAIGC.so" | grep -q "$build"; then
  fail "an installed file keeps a search path into the build folder"
fi

"$prefix/bin/qovaigc" --version | grep -q '[0-9]' || fail "qovaigc --version printed no version"
"$prefix/bin/aigc-emulator" --version | grep -q '[0-9]' || fail "aigc-emulator --version printed no version"

# The installed settings name the emulator's service port; move them to a free one for this run.
fifo="$stage/emulator.out"
mkfifo "$fifo"
"$prefix/bin/aigc-emulator" --port 0 >"$fifo" 2>"$stage/emulator.log" &
emulator=$!
exec 3<"$fifo"
read -r -t 20 banner <&3 || fail "the installed emulator did not start: $(cat "$stage/emulator.log")"
base=${banner##* }
sed -i "s|http://127.0.0.1:8790|$base|g; s|^Endpoint=127.0.0.1:8790|Endpoint=${base#http://}|" \
  "$prefix/share/qov/InitFile/AIGC.ini"

export QOV_WORK_DIR="$stage/work" QOV_CONFIG_DIR="$stage/config"
unset QOV_APP_DIR LD_LIBRARY_PATH
text=$("$prefix/bin/qovaigc" write "为新品发布会写一段开场白") || fail "write failed"
[ -s "$text" ] || fail "write printed $text, which is empty or missing"
case $text in "$stage/work/"*) ;; *) fail "write put its text outside the working folder: $text" ;; esac
audio=$("$prefix/bin/qovaigc" dub "欢迎使用智能配音") || fail "dub failed"
[ -s "$audio" ] || fail "dub printed $audio, which is empty or missing"
echo "installed tree: write -> $text, dub -> $audio"
