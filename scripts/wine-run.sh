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
# The program's own folder is handed over as a Windows path by its Z: drive form.
cleanup() { wineserver -k >/dev/null 2>&1; }
trap cleanup EXIT
if [ "${QUORVEL_KEEP_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  wine "$exe" "$@"
else
  xvfb-run -a -s "-screen 0 1600x1200x24" wine "$exe" "$@"
fi
rc=$?
exit $rc
