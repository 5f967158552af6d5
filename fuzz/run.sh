#!/usr/bin/env bash
# Builds the fuzz targets with clang (address sanitizer on the whole project)
# and runs each one for a bounded time. Not part of the test run.
#   fuzz/run.sh [seconds-per-target] [target-name...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --fuzz
seconds="${1:-60}"; shift || true
build_dir="${ZEL_FUZZ_BUILD_DIR:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DZEL_FUZZ=ON -DZEL_BUILD_TESTS=OFF \
  -DZEL_BUILD_TOOLS=OFF -DZEL_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address" -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address"
cmake --build "$build_dir" --parallel "$(nproc)"
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in fuzz/*.cmake; do targets+=("$(basename "$f" .cmake)"); done
fi
status=0
for t in "${targets[@]}"; do
  corpus="fuzz/corpus-$t"
  mkdir -p "$corpus"
  seeds=()
  [[ -d "fuzz/seeds/$t" ]] && seeds=("fuzz/seeds/$t")
  echo "== fuzz_$t for ${seconds}s"
  QT_QPA_PLATFORM=offscreen "$build_dir/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 "$corpus" "${seeds[@]}" || status=1
done
exit $status
