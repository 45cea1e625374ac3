#!/usr/bin/env bash
# Builds the Debian package: build-package/qovaigc_<version>_<arch>.deb (its path is printed last).
# Its dependencies come from dpkg-shlibdeps over the installed programs and libraries.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QOV_PACKAGE_BUILD_DIR:-$root/build-package}
jobs=$(nproc 2>/dev/null || echo 2)
"$root/scripts/setup-deps.sh" --package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The configure log stays inside the build folder, never beside the sources.
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQOV_WERROR=OFF -DQOV_TESTS=OFF \
  "${launcher[@]}" >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
# Only what the package installs: the tests and benchmarks stay out of a package build.
cmake --build "$build" -j "$jobs" --target qov_installed
rm -f "$build"/qovaigc_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/qovaigc_*.deb
