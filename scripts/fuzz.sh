#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (preset "fuzz", folder build-fuzz/) and runs
# each for SECONDS (default 60), from the seed corpus in fuzz/corpus/<name> plus what earlier runs
# found (build-fuzz/corpus/<name>). Prints executions per target for this run and in total over
# all runs recorded in build-fuzz/fuzz-runs.tsv; exits non-zero when a target crashed, hung or
# leaked (its reproducer is left in build-fuzz/findings/).
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
shift || true
"$root/scripts/setup-deps.sh" --fuzz

build="$root/build-fuzz"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset fuzz -S "$root" "${launcher[@]}" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(sed -n 's/^qov_add_fuzzer(\(fuzz_[a-z_]*\) .*/\1/p' "$root/fuzz/CMakeLists.txt")
fi
cmake --build "$build" -j "$(nproc)" $(printf -- '--target %s ' "${targets[@]}")

mkdir -p "$build/findings" "$build/logs"
status=0
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  mkdir -p "$build/corpus/$name"
  log="$build/logs/$target.log"
  # A leak, a crash, a sanitizer report or an input slower than 10 s ends the run with a reproducer.
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
      "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" "$build/corpus/$name" "$root/fuzz/corpus/$name" >"$log" 2>&1; then
    echo "$target: FAILED (see $log and $build/findings/)" >&2
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  printf '%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "$target" "$seconds" "${runs:-0}" >>"$build/fuzz-runs.tsv"
done

echo "target                 this run   all runs"
for target in "${targets[@]}"; do
  this=$(awk -F'\t' -v t="$target" '$2 == t { last = $4 } END { print last + 0 }' "$build/fuzz-runs.tsv")
  total=$(awk -F'\t' -v t="$target" '$2 == t { sum += $4 } END { printf "%d", sum }' "$build/fuzz-runs.tsv")
  printf '%-22s %9s %10s\n' "$target" "$this" "$total"
done
exit $status
