#!/usr/bin/env bash
# The program's main job in a demo machine of its own: builds the program and its installer,
# installs it into a fresh Wine prefix below build/demo by running the installer silently (the
# program, "Demos\", the help, the settings key with its first values), prepares Steam's side
# (Steam's key and folder, an account with both games) and starts the installed program.
# The stand-in Steam runs, so the run button starts a real series against the stand-in game
# (its frame rates are simulated) and the report opens when it ends.
# With a DISPLAY it simply runs until you close it. Without one (or with --headless) it runs
# under a private Xvfb: it waits for the window and saves a screenshot, presses the real run
# button, saves a screenshot during the series, waits for the report, renders the report in
# headless Chromium, prints the paths and stops everything it started. --no-series stops
# after the first screenshot. --steam-today lays out Steam as it is today instead of the
# 2004-08 layout: Steam in "C:\Program Files (x86)\Steam\", Half-Life 2 only in a library
# folder on drive D: (named by Steam's "libraryfolders.vdf" and found through the game's
# app manifest), Lost Coast inside Half-Life 2.
set -euo pipefail
headless=
series=1
today=
for arg in "$@"; do
  case "$arg" in
    --headless) headless=1 ;;
    --no-series) series= ;;
    --steam-today) today=1 ;;
    *) echo "usage: scripts/demo.sh [--headless] [--no-series] [--steam-today]" >&2; exit 2 ;;
  esac
done
[ -z "${DISPLAY:-}" ] && headless=1
top=$(cd "$(dirname "$0")/.." && pwd)
QUORVEL_WIN_ONLY=1 JOBS=${JOBS:-2} "$top/scripts/build.sh" >/dev/null
. "$top/scripts/wine-env.sh"

demo="$top/build/demo"
export WINEPREFIX="$demo/prefix"
quorvel_wine_fresh "$demo/template" "$WINEPREFIX"
drive="$WINEPREFIX/drive_c"

# The program, installed as a user would: the installer, silently.
installer=$(ls -t "$top"/build/win/QuorvelSetup-*.exe 2>/dev/null | head -n 1)
if [ -z "$installer" ]; then
  echo "The installer was not built (scripts/setup.sh installs nsis and chromium)." >&2
  exit 1
fi
wine "$(winepath -w "$installer")" /S
wineserver -w
# The diagnostics tool the program runs from the system folder is the stand-in; Wine would
# otherwise prefer its own (see the DllOverrides entry below).
cp "$top/build/win/standins/dxdiag.exe" "$drive/windows/system32/dxdiag.exe"

# Steam and the games. The stand-ins are used once they are built; until then an empty
# hl2.exe marks where the game lies.
if [ -z "$today" ]; then
  # 2004-08: an account with Half-Life 2 and Lost Coast inside the Steam folder.
  steam_win='C:\Steam\steam.exe'
  steam_dir="$drive/Steam"
  account="$drive/Steam/steamapps/player"
  mkdir -p "$account/half-life 2/hl2/cfg" "$account/half-life 2 lostcoast/lostcoast/cfg"
  game_dir="$account/half-life 2"
else
  # Today: Steam with blanks in its path, Half-Life 2 in a library on drive D:.
  steam_win='C:\Program Files (x86)\Steam\steam.exe'
  steam_dir="$drive/Program Files (x86)/Steam"
  library="$demo/library_drive"
  rm -rf "$library"
  mkdir -p "$library" "$steam_dir/steamapps"
  ln -sfn "$library" "$WINEPREFIX/dosdevices/d:"
  game_dir="$library/SteamLibrary/steamapps/common/Half-Life 2"
  mkdir -p "$game_dir/hl2/cfg" "$game_dir/lostcoast/cfg"
  printf '"libraryfolders"\r\n{\r\n\t"0"\r\n\t{\r\n\t\t"path"\t\t"C:\\\\Program Files (x86)\\\\Steam"\r\n\t}\r\n\t"1"\r\n\t{\r\n\t\t"path"\t\t"D:\\\\SteamLibrary"\r\n\t\t"apps"\r\n\t\t{\r\n\t\t\t"220"\t\t"0"\r\n\t\t}\r\n\t}\r\n}\r\n' \
    >"$steam_dir/steamapps/libraryfolders.vdf"
  printf '"AppState"\r\n{\r\n\t"appid"\t\t"220"\r\n\t"installdir"\t\t"Half-Life 2"\r\n}\r\n' \
    >"$library/SteamLibrary/steamapps/appmanifest_220.acf"
fi
mkdir -p "$steam_dir"
for program in steam hl2; do
  target="$steam_dir/steam.exe"
  [ "$program" = hl2 ] && target="$game_dir/hl2.exe"
  if [ -f "$top/build/win/standins/$program.exe" ]; then
    cp "$top/build/win/standins/$program.exe" "$target"
  elif [ "$program" = hl2 ]; then
    : >"$target"
  fi
done

# Steam's own key (the stand-in Steam is where it says), and the stand-in diagnostics tool.
cat >"$demo/machine.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Valve\Steam]
"SteamExe"="STEAM_EXE"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"dxdiag.exe"="native"
REG
sed -i "s|STEAM_EXE|$(printf '%s' "$steam_win" | tr '\\\\' /)|" "$demo/machine.reg"
wine regedit /S "$(winepath -w "$demo/machine.reg")" >/dev/null 2>&1
wineserver -w

program='C:\Program Files\Zarvent\Quorvel\quorvel.exe'
if [ -z "$headless" ]; then
  wine "$steam_win" >/dev/null 2>&1 &
  wine "$program" || true
  wineserver -k >/dev/null 2>&1 || true
  exit 0
fi

# Headless: a private X server, the program, a screenshot, and everything stopped again.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

wine "$steam_win" >/dev/null 2>&1 &
sleep 2
wine "$program" >/dev/null 2>&1 &
program_pid=$!
shown=
for _ in $(seq 120); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Zarvent Half-Life 2 benchmark"'; then shown=1; break; fi
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.5
done
if [ -z "$shown" ]; then
  echo "The program's window did not appear." >&2
  exit 1
fi
sleep 2  # let it paint
shot="$demo/screenshot.png"
import -window root "$shot"
echo "screenshot: $shot"
[ -n "$series" ] || exit 0

# Press the real run button and wait for the series (about half a minute per run).
cp "$top/build/win/press_run.exe" "$drive/"
# (no last "\": it would escape the quote around the argument)
results='C:\Program Files\Zarvent\Quorvel\Benchmark'
wine 'C:\press_run.exe' "$results" 600 >"$demo/press_run.txt" 2>/dev/null &
press_pid=$!
sleep 8
import -window root "$demo/series.png"
echo "screenshot during the series: $demo/series.png"
rc=0
wait "$press_pid" || rc=$?
tr -d '\r' <"$demo/press_run.txt"
if [ "$rc" != 0 ]; then
  echo "The series ended without a report." >&2
  exit 1
fi
report=$(tr -d '\r' <"$demo/press_run.txt" | sed -n 's/^report: //p')
report_unix=$(winepath -u "$report" 2>/dev/null)
echo "report file: $report_unix"
if command -v chromium >/dev/null 2>&1; then
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run \
    --user-data-dir="$demo/chromium" --window-size=800,1000 \
    --screenshot="$demo/report.png" "file://$report_unix" >/dev/null 2>&1 || true
  [ -f "$demo/report.png" ] && echo "report rendered: $demo/report.png"
fi
