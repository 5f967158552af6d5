#!/usr/bin/env bash
# Runs one test executable offscreen with fresh XDG folders of its own.
set -u
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zeltest.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime" "$tmp/home/Documents"
chmod 0700 "$tmp/runtime"
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache" \
       XDG_RUNTIME_DIR="$tmp/runtime" HOME="$tmp/home" TMPDIR="$tmp" \
       QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
# SLP multicast from tests stays on the loopback interface.
export ZEL_SLP_INTERFACES=lo
"$@"
