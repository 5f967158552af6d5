#!/usr/bin/env bash
# Runs the whole CTest suite several times in a row (three by default) on two
# cores, with a CPU hog busy on the same two cores beside it, the way a small
# CI machine sees it. Each run's time is printed; the script fails when any
# run fails. Build first (scripts/build.sh); as root the runs take place in a
# network namespace of their own, with only the loopback interface up.
#   scripts/test-under-load.sh [runs] [extra ctest arguments...]
# ZEL_BUILD_DIR chooses the build folder (default build), ZEL_LOAD_CPUS the
# cores (default 0,1), ZEL_LOAD_JOBS the parallel tests (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-3}"; shift || true
build_dir=$(cd "${ZEL_BUILD_DIR:-build}" && pwd)
cpus="${ZEL_LOAD_CPUS:-0,1}"
jobs="${ZEL_LOAD_JOBS:-2}"
[[ -f "$build_dir/CTestTestfile.cmake" ]] || { echo "test-under-load: no build in $build_dir" >&2; exit 2; }

# One busy loop per core, pinned to the cores the tests use; killed on exit.
hogs=()
stop_hogs()
{
  for p in "${hogs[@]}"; do
    kill "$p" 2>/dev/null || true
  done
}
trap stop_hogs EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
for _ in ${cpus//,/ }; do
  taskset -c "$cpus" sh -c 'while :; do :; done' &
  hogs+=($!)
done

suite()
{
  if [[ $(id -u) -eq 0 ]] && command -v unshare >/dev/null 2>&1; then
    unshare -n sh -c 'ip link set lo up && cd "$1" && shift && exec taskset -c "$0" ctest --no-tests=error --output-on-failure --parallel "$@"' \
      "$cpus" "$build_dir" "$jobs" "$@"
  else
    (cd "$build_dir" && taskset -c "$cpus" ctest --no-tests=error --output-on-failure --parallel "$jobs" "$@")
  fi
}

status=0
times=()
for ((i = 1; i <= runs; ++i)); do
  echo "== run $i of $runs (cores $cpus, $jobs tests at once, CPU hog beside)"
  start=$(date +%s)
  if suite "$@"; then result=passed; else result=FAILED; status=1; fi
  times+=("run $i: $result in $(($(date +%s) - start)) s")
  echo "== ${times[-1]}"
done
printf '%s\n' "${times[@]}"
exit $status
