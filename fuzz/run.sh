#!/usr/bin/env bash
# Builds the fuzz targets with clang (address and undefined behaviour
# sanitizers on the whole project; undefined behaviour ends the run like a
# crash) and runs each one for a bounded time. Not part of the test run.
#   fuzz/run.sh [seconds-per-target] [target-name...]
# ZEL_FUZZ_JOBS: build jobs (default 3). ZEL_FUZZ_PARALLEL: how many targets
# run at once (default 1); each target's output goes to its log in the build
# folder when more than one runs. ZEL_FUZZ_TIMEOUT: seconds one input may take
# before it counts as a hang (default 30; a loaded machine needs room). Each
# target runs in a network namespace of its own when run as root, so the
# servers some targets open can only be reached on loopback; scratch files go
# to a temporary folder that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --fuzz
seconds="${1:-60}"; shift || true
build_dir="${ZEL_FUZZ_BUILD_DIR:-build-fuzz}"
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DZEL_FUZZ=ON -DZEL_BUILD_TESTS=OFF \
  -DZEL_BUILD_TOOLS=OFF -DZEL_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_C_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in fuzz/*.cmake; do targets+=("$(basename "$f" .cmake)"); done
fi
# Only the targets and the libraries they link, not the application.
cmake --build "$build_dir" --parallel "${ZEL_FUZZ_JOBS:-3}" --target "${targets[@]/#/fuzz_}"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zelfuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
isolated()
{
  if [[ $(id -u) -eq 0 ]] && command -v unshare >/dev/null 2>&1; then
    unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
  else
    "$@"
  fi
}
parallel="${ZEL_FUZZ_PARALLEL:-1}"
logs="$build_dir/fuzz-logs"
mkdir -p "$logs"
# run_target <name>: fuzzes one target; a finding is copied to fuzz/findings.
run_target()
{
  local t=$1 corpus="fuzz/corpus-$1" seeds=()
  mkdir -p "$corpus"
  [[ -d "fuzz/seeds/$t" ]] && seeds=("fuzz/seeds/$t")
  TMPDIR="$scratch" QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan-suppressions.txt" \
    UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}" \
    isolated "$build_dir/fuzz/fuzz_$t" -max_total_time="$seconds" \
    -timeout="${ZEL_FUZZ_TIMEOUT:-30}" -artifact_prefix="$scratch/$t-" "$corpus" "${seeds[@]}" || {
    mkdir -p fuzz/findings && cp "$scratch/$t-"* fuzz/findings/ 2>/dev/null || true
    return 1
  }
}
status=0
if ((parallel <= 1)); then
  for t in "${targets[@]}"; do
    echo "== fuzz_$t for ${seconds}s"
    run_target "$t" || status=1
  done
  exit $status
fi
declare -A running=()
for t in "${targets[@]}"; do
  while ((${#running[@]} >= parallel)); do
    wait -n || true
    for p in "${!running[@]}"; do
      kill -0 "$p" 2>/dev/null && continue
      wait "$p" && echo "== fuzz_${running[$p]}: clean" || { echo "== fuzz_${running[$p]}: FINDING (see $logs/${running[$p]}.log)"; status=1; }
      unset "running[$p]"
    done
  done
  echo "== fuzz_$t for ${seconds}s (log: $logs/$t.log)"
  run_target "$t" >"$logs/$t.log" 2>&1 &
  running[$!]=$t
done
for p in "${!running[@]}"; do
  wait "$p" && echo "== fuzz_${running[$p]}: clean" || { echo "== fuzz_${running[$p]}: FINDING (see $logs/${running[$p]}.log)"; status=1; }
done
exit $status
