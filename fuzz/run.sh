#!/usr/bin/env bash
# Builds the fuzz targets with clang (address sanitizer on the whole project)
# and runs each one for a bounded time. Not part of the test run.
#   fuzz/run.sh [seconds-per-target] [target-name...]
# ZEL_FUZZ_JOBS: build jobs (default 3). Targets run one at a time, each in a
# network namespace of its own when run as root, so the servers some targets
# open can only be reached on loopback; scratch files go to a temporary
# folder that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --fuzz
seconds="${1:-60}"; shift || true
build_dir="${ZEL_FUZZ_BUILD_DIR:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DZEL_FUZZ=ON -DZEL_BUILD_TESTS=OFF \
  -DZEL_BUILD_TOOLS=OFF -DZEL_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address" -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address"
cmake --build "$build_dir" --parallel "${ZEL_FUZZ_JOBS:-3}"
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in fuzz/*.cmake; do targets+=("$(basename "$f" .cmake)"); done
fi
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
status=0
for t in "${targets[@]}"; do
  corpus="fuzz/corpus-$t"
  mkdir -p "$corpus"
  seeds=()
  [[ -d "fuzz/seeds/$t" ]] && seeds=("fuzz/seeds/$t")
  echo "== fuzz_$t for ${seconds}s"
  TMPDIR="$scratch" QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan-suppressions.txt" \
    isolated "$build_dir/fuzz/fuzz_$t" -max_total_time="$seconds" \
    -timeout=10 -artifact_prefix="$scratch/$t-" "$corpus" "${seeds[@]}" || {
    status=1
    mkdir -p fuzz/findings && cp "$scratch/$t-"* fuzz/findings/ 2>/dev/null || true
  }
done
exit $status
