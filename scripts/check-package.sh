#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it: its file list against
# packaging/expected-contents.txt, lintian (no errors), `apt install` of the file, the installed
# programs' versions, a text written against the installed emulator, and removal.
# Needs root (or sudo) for apt; leaves the machine without the package.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
deb=$("$root/scripts/package.sh" | tail -n 1)
echo "package: $deb"
work=$(mktemp -d)
emulator=""
cleanup() {
  [ -n "$emulator" ] && kill "$emulator" 2>/dev/null && wait "$emulator" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | grep -v '^$' | sort >"$work/contents.txt"
if ! diff -u "$root/packaging/expected-contents.txt" "$work/contents.txt"; then
  echo "check-package: the package's files differ from packaging/expected-contents.txt" >&2
  exit 1
fi
echo "contents: $(wc -l <"$work/contents.txt") paths as expected"

lintian --fail-on error --no-tag-display-limit "$deb" | tee "$work/lintian.txt"
echo "lintian: $(grep -c '^E:' "$work/lintian.txt" || true) errors, $(grep -c '^W:' "$work/lintian.txt" || true) warnings"

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -qq "$deb" >/dev/null
qovaigc --version
aigc-emulator --version

# The installed settings point at the emulator's service port, as the user service would run it.
aigc-emulator --port 8790 >"$work/emulator.out" 2>"$work/emulator.log" &
emulator=$!
for _ in $(seq 1 100); do grep -q listening "$work/emulator.out" && break; sleep 0.1; done
grep -q listening "$work/emulator.out" || { echo "the installed emulator did not start" >&2; exit 1; }
text=$(env -u QOV_APP_DIR QOV_WORK_DIR="$work/work" QOV_CONFIG_DIR="$work/config" qovaigc write "为新品发布会写一段开场白")
[ -s "$text" ] || { echo "qovaigc write gave no text" >&2; exit 1; }
echo "write: $text"
head -n 3 "$text"

# Purged, not only removed: the ldconfig call CPack adds for the private libraries comes with a
# postrm, which keeps a removed package's record until it is purged.
$SUDO apt-get purge -y -qq qovaigc >/dev/null
hash -r
if [ -e /usr/bin/qovaigc ] || dpkg-query -W -f='${Status}' qovaigc 2>/dev/null | grep -q installed; then
  echo "qovaigc is still installed after removal" >&2
  exit 1
fi
echo "check-package: all checks passed"
