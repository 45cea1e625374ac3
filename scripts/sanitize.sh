#!/usr/bin/env bash
# Builds the sanitizer presets in folders of their own and runs the tests under them:
#   asan  every test under the address and undefined-behaviour sanitizers, leak checking on
#   tsan  the client, worker, task-log and window tests under the thread sanitizer, less the few
#         it cannot run (sanitizers/tsan-excluded says which and why)
# Prints how many reports each run produced; exits non-zero when there was any.
# The address preset leaves out the undefined-behaviour sanitizer's vptr check: the module's layers
# are built with hidden visibility, so cpprest's stream templates instantiated in them carry type
# information of their own, and the check misfires inside every request. It also leaves out GCC's
# maybe-uninitialized warning, which the address sanitizer's instrumentation sets off inside the
# standard library's own std::function and std::regex (warnings are errors in every build).
#   scripts/sanitize.sh [asan|tsan|all]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
which=${1:-all}
jobs=$(nproc 2>/dev/null || echo 2)
"$root/scripts/setup-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
supp="$root/scripts/sanitizers"
status=0

# Counts the reports in a run's output: the tests fail on them too, but a count is what the README
# records.
count_reports() {
  grep -c -E '^(==[0-9]+==ERROR: (Address|Leak)Sanitizer|WARNING: ThreadSanitizer|.*runtime error: )' "$1" || true
}

run() {
  local preset=$1 label=$2 exclude=${3:-} log
  cmake --preset "$preset" -S "$root" "${launcher[@]}" >/dev/null
  local filter=() targets=()
  if [ -n "$exclude" ]; then filter+=(-E "$exclude"); fi
  if [ -n "$label" ]; then
    # A run of some suites builds only those (each case is labelled with its program's name).
    filter+=(-L "$label")
    mapfile -t targets < <(cmake --build "$root/build-$preset" --target help |
      sed -n 's/^\.\.\. \(test_[a-z0-9_]*\)$/\1/p' | grep -v '_autogen$' | grep -E "$label")
  fi
  local build=(cmake --build "$root/build-$preset" -j "$jobs")
  for target in "${targets[@]}"; do build+=(--target "$target"); done
  "${build[@]}"
  log="$root/build-$preset/sanitize.log"
  set +e
  # Allocation stacks are taken by the slow unwinder: cpprest is built without frame pointers, and
  # the fast one stops at its first frame, where no suppression can name the library's own leak.
  QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0" \
  LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=0:second_deadlock_stack=1" \
    ctest --test-dir "$root/build-$preset" -j "$jobs" --timeout 900 --output-on-failure "${filter[@]}" >"$log" 2>&1
  local result=$?
  set -e
  local tests reports
  tests=$(grep -E 'tests passed|tests failed' "$log" | tail -n 1)
  reports=$(count_reports "$log")
  echo "$preset: $tests; sanitizer reports: $reports (log: $log)"
  if [ $result -ne 0 ] || [ "$reports" -ne 0 ]; then status=1; fi
}

case $which in
  asan) run asan "" ;;
  tsan) run tsan "$(cat "$supp/tsan-labels")" "$(grep -v '^#' "$supp/tsan-excluded" | paste -sd '|')" ;;
  all) run asan ""; run tsan "$(cat "$supp/tsan-labels")" "$(grep -v '^#' "$supp/tsan-excluded" | paste -sd '|')" ;;
  *) echo "usage: scripts/sanitize.sh [asan|tsan|all]" >&2; exit 2 ;;
esac
exit $status
