#!/usr/bin/env bash
# CPU use of the running saver under Wine: starts a virtual display, runs
# dist/WattDial.scr /s (build it first with scripts/build) for SECONDS (default 60)
# and reports the CPU time its Wine process used, and what the wineserver and Wine's
# own helper processes used beside it, as a share of one core.
#
# Usage: bench/saver_cpu.sh [SECONDS] [PROGRAM.exe|.scr [ARGS...]]
# PROGRAM defaults to dist/WattDial.scr with "/s"; it runs from a fresh folder with
# dist/earth.swf beside it (WD_CPU_NO_MOVIE=1: without it). The Wine prefix is a copy of the project's, with a
# wineserver of its own, so other Wine programs running meanwhile do not count.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
if [ $# -gt 0 ]; then
  program=$1
  shift
  args=("$@")
else
  program="$root/dist/WattDial.scr"
  args=(/s)
fi
warmup=${WD_CPU_WARMUP:-3}  # seconds to let the program settle before measuring
[ -f "$program" ] || { echo "saver_cpu: $program is missing; run scripts/build first" >&2; exit 1; }
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || { echo "saver_cpu: SECONDS must be a positive whole number" >&2; exit 1; }

source "$root/scripts/wine-env"
wd_wine_start
bench_prefix="$root/build/bench-wineprefix"
if [ ! -f "$bench_prefix/system.reg" ]; then
  echo "saver_cpu: copying the Wine prefix to $bench_prefix (once)"
  rm -rf "$bench_prefix"
  cp -a "$WINEPREFIX" "$bench_prefix"
fi
export WINEPREFIX="$bench_prefix"

work=$(mktemp -d /tmp/wattdial-cpu.XXXXXX)
xvfb_pid=""
saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 140 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    xdpyinfo -display ":$n" >/dev/null 2>&1 && break
    sleep 0.1
  done
  if xdpyinfo -display ":$n" >/dev/null 2>&1; then export DISPLAY=":$n"; break; fi
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "saver_cpu: no Xvfb display could be started" >&2; exit 1; }

mkdir -p "$work/app"
cp "$program" "$work/app/"
# WD_CPU_NO_MOVIE=1 leaves the movie out, to see the dashboard's share alone.
if [ -z "${WD_CPU_NO_MOVIE:-}" ] && [ -f "$root/dist/earth.swf" ]; then
  cp "$root/dist/earth.swf" "$work/app/"
fi
name=$(basename "$program")
wineserver -p 60 >/dev/null 2>&1 || true
(cd "$work/app" && exec wine "$work/app/$name" "${args[@]}" >"$work/program.log" 2>&1) &
saver_pid=$!

# The CPU time (user + system, in clock ticks) of a process and all its threads.
ticks() { { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; } 2>/dev/null || echo 0; }
# Processes of our prefix, by kind: the program, the wineserver, Wine's helpers.
classify() {
  local pid env cmd
  program_pids=() server_pids=() helper_pids=()
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$pid" = "$xvfb_pid" ] && continue
    env=$( { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null) || continue
    grep -qx "WINEPREFIX=$WINEPREFIX" <<<"$env" || continue
    cmd=$( { tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null) || continue
    if [[ "$( { cat "$dir/comm"; } 2>/dev/null)" == wineserver* ]]; then
      server_pids+=("$pid")
    elif grep -qiF "$name" <<<"$cmd"; then
      program_pids+=("$pid")
    elif [ -n "$cmd" ]; then
      helper_pids+=("$pid")
    fi
  done
}
sum_ticks() {
  local total=0 pid
  for pid in "$@"; do total=$((total + $(ticks "$pid"))); done
  echo "$total"
}

# Wait for the program's window, then let it settle.
for _ in $(seq 100); do
  xdotool search --onlyvisible --name . >/dev/null 2>&1 && break
  sleep 0.1
done
sleep "$warmup"
kill -0 "$saver_pid" 2>/dev/null || { echo "saver_cpu: $name ended early:" >&2; cat "$work/program.log" >&2; exit 1; }
classify
[ ${#program_pids[@]} -gt 0 ] || { echo "saver_cpu: no Wine process of $name found" >&2; exit 1; }

hz=$(getconf CLK_TCK)
p0=$(sum_ticks "${program_pids[@]}")
s0=$(sum_ticks "${server_pids[@]}")
h0=$(sum_ticks "${helper_pids[@]}")
x0=$(ticks "$xvfb_pid")
t0=$(date +%s.%N)
sleep "$seconds"
kill -0 "$saver_pid" 2>/dev/null || { echo "saver_cpu: $name ended during the measurement" >&2; exit 1; }
p1=$(sum_ticks "${program_pids[@]}")
s1=$(sum_ticks "${server_pids[@]}")
h1=$(sum_ticks "${helper_pids[@]}")
x1=$(ticks "$xvfb_pid")
t1=$(date +%s.%N)

share() { awk -v d="$1" -v hz="$hz" -v t="$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" \
  'BEGIN { printf "%.2f", 100 * d / hz / t }'; }
echo "program:    $name ${args[*]} (pid ${program_pids[*]})"
echo "wineserver: $(share $((s1 - s0))) % of one core (serves the program and Wine's helpers)"
echo "helpers:    $(share $((h1 - h0))) % of one core (Wine's own processes: ${#helper_pids[@]})"
echo "Xvfb:       $(share $((x1 - x0))) % of one core (the X server drawing what Wine sends)"
echo "with wineserver: $(share $((p1 - p0 + s1 - s0))) % of one core"
echo "cpu: $(share $((p1 - p0))) % of one core over $seconds s"

# End the program as a user would: the pointer moves.
xdotool mousemove 100 100 2>/dev/null || true
sleep 0.3
xdotool mousemove 400 400 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
