# Shared Wine settings for every script that starts a Windows program of ours.
# Source it; it never touches a personal prefix: callers set WINEPREFIX themselves.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mshtml=;mscoree=;winemenubuilder.exe=d"
export WINEARCH=win64

# quorvel_wine_template DIR: boots a template prefix in DIR once (guarded by a lock, so
# parallel test runs wait for the first instead of booting twice).
quorvel_wine_template() {
  local dir=$1
  mkdir -p "$(dirname "$dir")"
  (
    flock 9
    if [ ! -f "$dir/.ready" ]; then
      rm -rf "$dir"
      WINEPREFIX="$dir" wineboot -i >/dev/null 2>&1
      WINEPREFIX="$dir" wineserver -w
      touch "$dir/.ready"
    fi
  ) 9>"$dir.lock"
}

# quorvel_wine_fresh TEMPLATE PREFIX: a fresh copy of the template as PREFIX.
quorvel_wine_fresh() {
  local template=$1 prefix=$2
  quorvel_wine_template "$template"
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  cp -a "$template" "$prefix"
}

# quorvel_xvfb_start GEOMETRY: starts a private Xvfb on a display number that the server
# itself chooses (-displayfd: it binds the first free one, so two runs side by side never
# pick the same number) and exports DISPLAY once it accepts clients. Sets QUORVEL_XVFB_PID;
# stop it with quorvel_xvfb_stop.
quorvel_xvfb_start() {
  local geometry=${1:-1600x1200x24} numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  QUORVEL_XVFB_PID=$!
  local i
  for i in $(seq 300); do
    # The number is written with its line end once the server listens.
    if [ "$(wc -l <"$numfile")" -ge 1 ]; then break; fi
    kill -0 "$QUORVEL_XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  local number
  number=$(head -n 1 "$numfile")
  rm -f "$numfile"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

quorvel_xvfb_stop() {
  if [ -n "${QUORVEL_XVFB_PID:-}" ]; then
    kill "$QUORVEL_XVFB_PID" >/dev/null 2>&1
    wait "$QUORVEL_XVFB_PID" 2>/dev/null
    QUORVEL_XVFB_PID=
  fi
}
