#!/usr/bin/env bash
# Installs what is needed, builds ZEL and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir="${ZEL_BUILD_DIR:-build}"
cd "$build_dir"
ctest --output-on-failure --no-tests=error --parallel "$(nproc)" "$@"
