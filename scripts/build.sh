#!/usr/bin/env bash
# Configures and builds ZEL in ./build (or $ZEL_BUILD_DIR) with every core.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${ZEL_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${ZEL_BUILD_TYPE:-RelWithDebInfo}" "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
