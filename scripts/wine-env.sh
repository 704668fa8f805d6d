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
