#!/usr/bin/env bash
# Pictures of what the installer ships, to look at: the installer's and the uninstaller's
# pages (run with their questions, in a fresh Wine prefix under a private Xvfb, each page
# taken with `import -window root`), two pages of Help.pdf (pdftoppm) and the offline news
# page at the news window's 520 x 500 (headless Chromium). Prints the paths of the PNG files
# in build/shots/. Builds the Windows tree first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
QUORVEL_WIN_ONLY=1 JOBS=${JOBS:-2} "$top/scripts/build.sh" >/dev/null
. "$top/scripts/wine-env.sh"
build="$top/build/win"
shots="$top/build/shots"
rm -rf "$shots"
mkdir -p "$shots"
installer=$(ls -t "$build"/QuorvelSetup-*.exe | head -n 1)

# The help document: its first chapters and its messages.
pdftoppm -r 80 -png -f 2 -l 2 "$build/Help.pdf" "$shots/help-page"
pdftoppm -r 80 -png -f 8 -l 8 "$build/Help.pdf" "$shots/help-page"
# The offline news page as the news window shows it.
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$shots/chromium" --window-size=520,500 \
  --screenshot="$shots/offlinenews.png" "file://$top/install/offlinenews.html" >/dev/null 2>&1
rm -rf "$shots/chromium"

export WINEPREFIX="$shots/prefix"
quorvel_wine_fresh "$top/build/demo/template" "$WINEPREFIX"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  quorvel_xvfb_stop
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
quorvel_xvfb_start 800x600x24
wineserver -p >/dev/null 2>&1
cp "$build/press_button.exe" "$WINEPREFIX/drive_c/"
press() { wine 'C:\press_button.exe' "$1" 120 >/dev/null 2>&1; }
await() { wine 'C:\press_button.exe' "$1" 120 wait >/dev/null 2>&1; }
shot() {
  sleep 2
  import -window root "$shots/$1.png"
}

wine "$(winepath -w "$installer")" >/dev/null 2>&1 &
setup_pid=$!
await '&Next >'
shot installer-1-welcome
press '&Next >'
await '&Install'
shot installer-2-folder
press '&Install'
await '&Next >'
press 'Show &details'
shot installer-3-installed
press '&Next >'
await '&Finish'
shot installer-4-finish
press '&Finish'
wait "$setup_pid" || true

wine 'C:\Program Files\Zarvent\Quorvel\Uninstall.exe' >/dev/null 2>&1 &
await '&Uninstall'
shot uninstaller-1-confirm
press '&Uninstall'
await '&Close'
shot uninstaller-2-done
press '&Close'
sleep 2
ls "$shots"/*.png
