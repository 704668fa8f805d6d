#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh prefix of its own, below the build tree,
# with a private Xvfb display. CTest uses it as the emulator of the cross build.
#   QUORVEL_WINE_ROOT  folder for the template and the per-run prefixes
#                      (default: a "wine" folder beside the program)
#   QUORVEL_KEEP_DISPLAY=1  use the caller's DISPLAY instead of a private Xvfb
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
exe=$1; shift
exe_dir=$(cd "$(dirname "$exe")" && pwd)
root=${QUORVEL_WINE_ROOT:-$exe_dir/wine}
name=$(basename "$exe" .exe)
export WINEPREFIX="$root/prefixes/$name"
quorvel_wine_fresh "$root/template" "$WINEPREFIX"
# A wineserver of the prefix's own, up before the first process: programs that start
# programs never race each other to start it.
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  quorvel_xvfb_stop
}
trap cleanup EXIT
wineserver -p
if [ "${QUORVEL_KEEP_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  quorvel_xvfb_start 1600x1200x24 || exit 1
fi
wine "$exe" "$@"
rc=$?
exit $rc
