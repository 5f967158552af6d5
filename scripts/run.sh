#!/usr/bin/env bash
# Installs what is needed, builds ZEL and starts the application.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir="${ZEL_BUILD_DIR:-build}"
app="$build_dir/modules/mmi/zel/main/src/zel"
if [[ ! -x "$app" ]]; then
  echo "run: the ZEL application is not built yet; only the device library and its tests exist." >&2
  exit 1
fi
exec "$app" "$@"
