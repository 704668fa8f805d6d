#!/usr/bin/env bash
# Builds the Windows tree and runs the benchmarks (build/win/perf_*.exe) under Wine, each
# in a fresh prefix of its own below build/win/wine. Benchmarks print their figures next to
# their goals; they are never part of the tests.
#   scripts/perf.sh            every benchmark
#   scripts/perf.sh NAME...    only perf_NAME.exe (e.g. game_search)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
QUORVEL_WIN_ONLY=1 JOBS=${JOBS:-2} "$top/scripts/build.sh" >/dev/null
export QUORVEL_WINE_ROOT="$top/build/win/wine"
if [ $# -gt 0 ]; then
  programs=()
  for name in "$@"; do programs+=("$top/build/win/perf_$name.exe"); done
else
  programs=("$top"/build/win/perf_*.exe)
fi
status=0
for program in "${programs[@]}"; do
  [ -f "$program" ] || { echo "no benchmark $program" >&2; status=1; continue; }
  echo "== $(basename "$program" .exe)"
  case $(basename "$program" .exe) in
    # The download benchmark runs beside the loopback test servers.
    perf_update_*)
      "$top/scripts/with-update-servers.sh" "$top/build/win/servers/perf" \
        "$top/scripts/wine-run.sh" "$program" || status=1 ;;
    *) "$top/scripts/wine-run.sh" "$program" || status=1 ;;
  esac
done
exit $status
