#!/usr/bin/env bash
# Builds ZEL with AddressSanitizer (leak detection included) and
# UndefinedBehaviorSanitizer in a build folder of its own and runs the whole
# CTest suite. A memory error, a leak or undefined behaviour fails the test
# that shows it; reports from the programs the tests start (devsim, ...) are
# collected too and fail the run. Leaks that lie wholly inside Qt or system
# libraries are listed, each with its reason, in scripts/sanitize.supp, and
# QtWebKit's, for the tests that build a web view only, in
# scripts/sanitize-webview.supp.
#   scripts/sanitize.sh [extra ctest arguments...]
# ZEL_SANITIZE_BUILD_DIR chooses the folder (default build-sanitize),
# ZEL_JOBS the number of parallel compile and test jobs (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
build_dir="${ZEL_SANITIZE_BUILD_DIR:-build-sanitize}"
jobs="${ZEL_JOBS:-$(nproc)}"
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
# -O1 keeps stack traces close to the source and the build quick.
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$build_dir" --parallel "$jobs"

build_dir=$(cd "$build_dir" && pwd)
logs="$build_dir/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
# Every process writes its reports to a file of its own (kind.program.pid) in $logs.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:check_initialization_order=1:strict_init_order=1:log_path=$logs/asan:log_exe_name=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$root/scripts/sanitize.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# tests/run-test.sh adds scripts/sanitize-webview.supp to these for the tests
# that build a web view.
export ZEL_LSAN_SUPPRESSIONS="$root/scripts/sanitize.supp"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$logs/ubsan:log_exe_name=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
status=0
(cd "$build_dir" && ctest --output-on-failure --no-tests=error --parallel "$jobs" "$@") || status=$?

reports=$(find "$logs" -type f | sort)
if [[ -n "$reports" ]]; then
  for r in $reports; do
    echo "==== $r"
    cat "$r"
  done
  echo "sanitize: $(echo "$reports" | wc -l) report(s) from the processes above" >&2
  status=1
fi
if ((status == 0)); then
  echo "sanitize: no findings"
fi
exit $status
