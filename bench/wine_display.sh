# Sourced by bench/saver_memory.sh and bench/saver_startup.sh: a copy of the project's
# Wine prefix with a wineserver of its own (as bench/saver_cpu.sh keeps), an Xvfb display
# of a given size at a given DPI, and programs started from a fresh folder and ended.
# Expects $root (the checkout) and $work (a scratch folder) to be set.

source "$root/scripts/wine-env"
wd_wine_start
bench_prefix="$root/build/bench-wineprefix"
if [ ! -f "$bench_prefix/system.reg" ]; then
  echo "bench: copying the Wine prefix to $bench_prefix (once)" >&2
  rm -rf "$bench_prefix"
  cp -a "$WINEPREFIX" "$bench_prefix"
fi
export WINEPREFIX="$bench_prefix"

xvfb_pid=""
program_pid=""
bench_cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}

# bench_display WIDTHxHEIGHT DPI: a new Xvfb display of that size (black root) with one
# monitor, and Wine's processes restarted to read that DPI; Wine's background processes
# are running again when it returns, so the first program measured does not start them.
bench_display() {
  local size=$1 dpi=$2
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  wd_xvfb_start "$work/xvfb.log" -br -screen 0 "${size}x24" || { echo "bench: no Xvfb" >&2; exit 1; }
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p 600 >/dev/null 2>&1 || true
  wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels >/dev/null 2>&1 || true
}

# bench_folder PROGRAM MOVIE(0|1): a fresh folder holding a copy of PROGRAM (and
# dist/earth.swf when MOVIE is 1); prints its path.
bench_folder() {
  local app
  app=$(mktemp -d "$work/app.XXXXXX")
  cp "$1" "$app/"
  if [ "$2" = 1 ]; then cp "$root/dist/earth.swf" "$app/"; fi
  echo "$app"
}

# bench_program_pids NAME: the processes of our prefix whose command line holds NAME.
bench_program_pids() {
  local dir env cmd
  for dir in /proc/[0-9]*; do
    env=$( { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null) || continue
    grep -qx "WINEPREFIX=$WINEPREFIX" <<<"$env" || continue
    [[ "$( { cat "$dir/comm"; } 2>/dev/null)" == wineserver* ]] && continue
    cmd=$( { tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null) || continue
    grep -qiF "$1" <<<"$cmd" && echo "${dir#/proc/}"
  done
  return 0
}

# bench_end NAME: ends the program as a user would (the pointer moves, for the saver),
# else by its process ids, and waits until it is gone.
bench_end() {
  local pid
  xdotool mousemove 100 100 2>/dev/null || true
  sleep 0.3
  xdotool mousemove 400 400 2>/dev/null || true
  for _ in $(seq 30); do
    [ -z "$(bench_program_pids "$1")" ] && break
    sleep 0.1
  done
  for pid in $(bench_program_pids "$1"); do kill "$pid" 2>/dev/null || true; done
  for _ in $(seq 30); do
    [ -z "$(bench_program_pids "$1")" ] && break
    sleep 0.1
  done
  [ -z "$program_pid" ] || wait "$program_pid" 2>/dev/null || true
  program_pid=""
  sleep 1
}
