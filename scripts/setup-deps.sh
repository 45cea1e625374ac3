#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with (--fuzz: also those the
# fuzz targets build with; --package: also those the package is made and checked with). Safe to
# run again: packages already installed are skipped, and nothing is asked.
set -euo pipefail

PACKAGES=(
  # toolchain and test frameworks
  g++ make ninja-build cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  # libraries the module and its stand-ins are built on
  qt6-base-dev libgl-dev libcpprest-dev libssl-dev
  # the sound output the dubbing window plays voice samples through
  qt6-multimedia-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libavfilter-dev
  libtinyxml-dev libcpp-httplib-dev
  # the character-set detector for subtitle files and lists of other tools
  libuchardet-dev
  # the speech engine and its voices, for the local speech services
  libespeak-ng-dev espeak-ng-data
  # the English speech recognizer and its model, for the local recognition services, and the
  # recordings their tests hear
  libpocketsphinx-dev pocketsphinx-en-us pocketsphinx-testdata
  # the machine translator and its English-Spanish pair, for the local chat service's translations
  apertium apertium-eng-spa
  # fonts that show Chinese captions; the media tools the tests and benchmarks use
  fonts-wqy-microhei ffmpeg bc time
  # what the upload benchmark compares with
  curl openssl
)
# scripts/fuzz.sh builds with clang and libFuzzer.
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang libfuzzer-14-dev libclang-rt-14-dev)
fi
# scripts/package.sh and check-package.sh make and check the Debian package.
if [ "${1:-}" = "--package" ]; then
  PACKAGES+=(dpkg-dev file lintian)
fi

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup-deps: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >&2
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
