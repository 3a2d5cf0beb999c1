#!/usr/bin/env bash
# Memory of the running saver under Wine, beside a blank window measured in the same run:
# for each configuration (a screen size and a DPI) starts a virtual display with one
# monitor of that size, runs a blank full-screen window (build/win/bench/blank_window.exe)
# and then dist/WattDial.scr /s with the movie beside it, lets each settle for SETTLE
# seconds (default 10: the movie plays more than one loop) and reads the resident private
# memory of its Wine process (Private_Clean + Private_Dirty of /proc/PID/smaps_rollup).
# Prints both and the difference. Build first with scripts/build.
#
# Usage: bench/saver_memory.sh [WIDTHxHEIGHT@DPI ...] [-- PROGRAM.scr]
# Default configurations: 1280x1024@96 2560x1440@192. WD_MEM_SETTLE=SECONDS changes the
# settling time; WD_MEM_NO_MOVIE=1 runs the saver without the movie. After "--", another
# build of the saver is measured instead of dist/WattDial.scr.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/saver_args.sh"
bench_saver_args "$@"
[ ${#configs[@]} -gt 0 ] || configs=(1280x1024@96 2560x1440@192)
settle=${WD_MEM_SETTLE:-10}
blank="$root/build/win/bench/blank_window.exe"
for needed in "$blank" "$saver" "$root/dist/earth.swf"; do
  [ -f "$needed" ] || { echo "saver_memory: $needed is missing; run scripts/build first" >&2; exit 1; }
done
for config in "${configs[@]}"; do
  [[ "$config" =~ ^[0-9]+x[0-9]+@[0-9]+$ ]] ||
    { echo "saver_memory: $config is not WIDTHxHEIGHT@DPI" >&2; exit 1; }
done

work=$(mktemp -d /tmp/wattdial-memory.XXXXXX)
source "$root/bench/wine_display.sh"
trap bench_cleanup EXIT

# The resident private memory of a program's processes, in KiB.
private_kib() {
  local total=0 pid kib
  for pid in "$@"; do
    kib=$(awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s + 0 }' \
      "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + kib))
  done
  echo "$total"
}

# measure PROGRAM MOVIE ARGS...: prints the program's resident private memory in KiB
# after it settled.
measure() {
  local program=$1 movie=$2 name app pids
  shift 2
  name=$(basename "$program")
  app=$(bench_folder "$program" "$movie")
  (cd "$app" && exec wine "$app/$name" "$@" >"$work/program.log" 2>&1) &
  program_pid=$!
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name . >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep "$settle"
  pids=$(bench_program_pids "$name")
  [ -n "$pids" ] || { echo "saver_memory: $name is not running:" >&2; cat "$work/program.log" >&2; exit 1; }
  # shellcheck disable=SC2086
  private_kib $pids
  bench_end "$name"
}

movie=1
[ -z "${WD_MEM_NO_MOVIE:-}" ] || movie=0
echo "| screen | DPI | blank window, MiB | $(basename "$saver")$([ $movie = 1 ] || echo " without the movie"), MiB | difference, MiB |"
echo "| --- | --- | --- | --- | --- |"
for config in "${configs[@]}"; do
  size=${config%@*}
  dpi=${config#*@}
  bench_display "$size" "$dpi"
  b=$(measure "$blank" 0)
  s=$(measure "$saver" "$movie" /s)
  awk -v size="${size/x/ x }" -v dpi="$dpi" -v b="$b" -v s="$s" 'BEGIN {
    printf "| %s | %s | %.1f | %.1f | %.1f |\n", size, dpi, b / 1024, s / 1024, (s - b) / 1024 }'
done
