#!/usr/bin/env bash
# The program's main job in a demo machine of its own: builds the program, prepares a Wine
# prefix below build/demo with what an installer and Steam would leave (the program in its
# install folder with "Demos\", the settings key with first values, Steam's key and folder,
# an account with both games) and starts the program there.
# With a DISPLAY it simply runs until you close it. Without one it runs under a private Xvfb,
# waits for the window, saves a screenshot, prints its path and stops everything it started.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
QUORVEL_WIN_ONLY=1 JOBS=${JOBS:-2} "$top/scripts/build.sh" >/dev/null
. "$top/scripts/wine-env.sh"

demo="$top/build/demo"
export WINEPREFIX="$demo/prefix"
quorvel_wine_fresh "$demo/template" "$WINEPREFIX"
drive="$WINEPREFIX/drive_c"

# The installed program.
install="$drive/Zarvent"
mkdir -p "$install/Demos"
cp "$top/build/win/quorvel.exe" "$install/"

# Steam and an account with Half-Life 2 and Lost Coast. The stand-ins are used once they
# are built; until then an empty hl2.exe marks where the game lies.
account="$drive/Steam/steamapps/player"
mkdir -p "$account/half-life 2/hl2/cfg" "$account/half-life 2 lostcoast/lostcoast/cfg"
for program in steam hl2; do
  target="$drive/Steam/steam.exe"
  [ "$program" = hl2 ] && target="$account/half-life 2/hl2.exe"
  if [ -f "$top/build/win/standins/$program.exe" ]; then
    cp "$top/build/win/standins/$program.exe" "$target"
  elif [ "$program" = hl2 ]; then
    : >"$target"
  fi
done

# The installer's settings key and Steam's own key, in one import.
cat >"$demo/machine.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Zarvent\Quorvel]
"640"="0"
"800"="1"
"1024"="1"
"1280"="0"
"1600"="0"
"2048"="0"
"hdw1"="0"
"hdw2"="0"
"hdw3"="0"
"CusW"="0"
"CusH"="0"
"CusRes"="0"
"AFLevel"="1"
"AALevel"="0"
"RunNumber"="1"
"Demo"="1"
"LCDemo"="0"
"Demoname"=""
"ResultPath"=""
"Note"=""
"HDR"="0"
"Heapsize"="64000"
"Refresh"="60"
"FastZ"="1"
"UseProxy"="0"
"NoErrorWarning"="0"
"News"="0"

[HKEY_CURRENT_USER\Software\Valve\Steam]
"SteamExe"="C:/Steam/steam.exe"
REG
wine regedit /S "$(winepath -w "$demo/machine.reg")" >/dev/null 2>&1
wineserver -w

program='C:\Zarvent\quorvel.exe'
if [ -n "${DISPLAY:-}" ]; then
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
echo "$shot"
