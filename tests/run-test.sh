#!/usr/bin/env bash
# Runs one test executable offscreen with fresh XDG folders of its own.
# The test runs in a process group of its own, together with every peer it
# starts (devsim, snmpd, logger, ...); the whole group is killed when the test
# ends, however it ends (crash, time-out, signal), so no peer outlives it.
set -u
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zeltest.XXXXXX")
pid=
cleanup()
{
  [[ -n "$pid" ]] && kill -KILL -- "-$pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP
mkdir -p "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime" "$tmp/home/Documents"
chmod 0700 "$tmp/runtime"
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache" \
       XDG_RUNTIME_DIR="$tmp/runtime" HOME="$tmp/home" TMPDIR="$tmp" \
       QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
# SLP multicast from tests stays on the loopback interface.
export ZEL_SLP_INTERFACES=lo
# Under scripts/sanitize.sh, a test that builds a web view (ZEL_WEBVIEW_TEST)
# has QtWebKit's own leaks suppressed as well; no other test has.
if [[ -n "${ZEL_WEBVIEW_TEST:-}" && -n "${ZEL_LSAN_SUPPRESSIONS:-}" ]]; then
  cat "$ZEL_LSAN_SUPPRESSIONS" "$(dirname "$0")/../scripts/sanitize-webview.supp" >"$tmp/lsan.supp"
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$tmp/lsan.supp"
fi
# setsid makes the test the leader of a new process group whose id is its pid.
setsid "$@" &
pid=$!
wait "$pid"
status=$?
exit "$status"
