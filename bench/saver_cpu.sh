#!/usr/bin/env bash
# CPU use of the running saver under Wine, beside baselines measured in the same run:
# starts a virtual display (1280 x 1024, one monitor) and runs, one after the other,
# each for SECONDS (default 40): a blank full-screen window with a 397 ms timer that
# does nothing, a probe that copies a 170 x 170 picture to the screen 20 times a
# second (build/win/bench/blank_window.exe [probe]), dist/WattDial.scr /s without the
# movie and with it. Reports the CPU time each program's Wine process used as a share
# of one core, with and without the wineserver, and the saver's cost as a multiple of
# the blank window's and the probe's. Build first with scripts/build.
#
# The machine may be shared: one run of a program can cost several times another.
# WD_CPU_ROUNDS=N measures the whole list N times in turn and reports, per program, the
# median of its runs and their range.
#
# Usage: bench/saver_cpu.sh [SECONDS] [PROGRAM.exe|.scr [ARGS...]]
# With a PROGRAM, measures that one (from a fresh folder with dist/earth.swf beside
# it; WD_CPU_NO_MOVIE=1: without it) beside the blank window. The Wine prefix is a copy
# of the project's, with a wineserver of its own, so other Wine programs running
# meanwhile do not count. WD_CPU_DPI=192 runs everything at that DPI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-40}
shift || true
blank="$root/build/win/bench/blank_window.exe"
saver="$root/dist/WattDial.scr"
warmup=${WD_CPU_WARMUP:-3}  # seconds to let the program settle before measuring
rounds=${WD_CPU_ROUNDS:-1}
for needed in "$blank" "${1:-$saver}"; do
  [ -f "$needed" ] || { echo "saver_cpu: $needed is missing; run scripts/build first" >&2; exit 1; }
done
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || { echo "saver_cpu: SECONDS must be a positive whole number" >&2; exit 1; }
[[ "$rounds" =~ ^[0-9]+$ ]] && [ "$rounds" -gt 0 ] || { echo "saver_cpu: WD_CPU_ROUNDS must be a positive whole number" >&2; exit 1; }

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

# The DPI (96 unless asked for), read by Wine's processes when they start.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${WD_CPU_DPI:-96}" /f \
  >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

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
hz=$(getconf CLK_TCK)
share() { awk -v d="$1" -v hz="$hz" -v t="$2" 'BEGIN { printf "%.2f", 100 * d / hz / t }'; }

# measure LABEL MOVIE(0|1) PROGRAM [ARGS...]: runs the program from a fresh folder for
# $seconds and appends "LABEL|program %|with wineserver %" to $work/results.
measure() {
  local label=$1 movie=$2 program=$3
  shift 3
  local app="$work/app-${#label}-$RANDOM"
  mkdir -p "$app"
  cp "$program" "$app/"
  if [ "$movie" = 1 ] && [ -f "$root/dist/earth.swf" ]; then cp "$root/dist/earth.swf" "$app/"; fi
  name=$(basename "$program")
  wineserver -p 60 >/dev/null 2>&1 || true
  local attempt
  for attempt in 1 2; do
    (cd "$app" && exec wine "$app/$name" "$@" >"$work/program.log" 2>&1) &
    saver_pid=$!
    for _ in $(seq 100); do
      xdotool search --onlyvisible --name . >/dev/null 2>&1 && break
      sleep 0.1
    done
    sleep "$warmup"
    kill -0 "$saver_pid" 2>/dev/null && break
    # Ended at once without a word: the copy before it may still hold the one-instance
    # lock while Wine takes it down. Once more, a little later.
    if [ "$attempt" = 1 ] && [ ! -s "$work/program.log" ]; then
      echo "saver_cpu: $name ended at once; starting it again" >&2
      sleep 3
      continue
    fi
    echo "saver_cpu: $name ended early:" >&2
    cat "$work/program.log" >&2
    exit 1
  done
  classify
  [ ${#program_pids[@]} -gt 0 ] || { echo "saver_cpu: no Wine process of $name found" >&2; exit 1; }
  local p0 s0 p1 s1 t0 t1 t
  p0=$(sum_ticks "${program_pids[@]}")
  s0=$(sum_ticks "${server_pids[@]}")
  t0=$(date +%s.%N)
  sleep "$seconds"
  kill -0 "$saver_pid" 2>/dev/null || { echo "saver_cpu: $name ended during the measurement" >&2; exit 1; }
  p1=$(sum_ticks "${program_pids[@]}")
  s1=$(sum_ticks "${server_pids[@]}")
  t1=$(date +%s.%N)
  t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
  echo "$label|$(share $((p1 - p0)) "$t")|$(share $((p1 - p0 + s1 - s0)) "$t")" >>"$work/results"
  echo "saver_cpu: $label: $(share $((p1 - p0)) "$t") % of one core" >&2
  # Ended as a user would (the pointer moves, for the saver), else by its process id.
  xdotool mousemove 100 100 2>/dev/null || true
  sleep 0.3
  xdotool mousemove 400 400 2>/dev/null || true
  for _ in $(seq 30); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  for pid in "${program_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait "$saver_pid" 2>/dev/null || true
  saver_pid=""
  sleep 1
}

program_args=("$@")
: >"$work/results"
for round in $(seq "$rounds"); do
  [ "$rounds" = 1 ] || echo "saver_cpu: round $round of $rounds" >&2
  measure "a blank full-screen window with a 397 ms timer that does nothing" 0 "$blank"
  if [ ${#program_args[@]} -gt 0 ]; then
    movie=1
    [ -z "${WD_CPU_NO_MOVIE:-}" ] || movie=0
    measure "$(basename "${program_args[0]}") ${program_args[*]:1}" "$movie" "${program_args[@]}"
  else
    measure "the same window with a second timer of 50 ms that does nothing" 0 "$blank" timer
    measure "a probe that copies a 170 x 170 picture to the screen 20 times a second (CS_OWNDC)" 0 "$blank" probe
    measure "WattDial without the movie" 0 "$saver" /s
    measure "WattDial with the movie" 1 "$saver" /s
  fi
done

echo
echo "CPU use under Wine over $seconds s each, one ${WD_CPU_DPI:-96} DPI 1280 x 1024 monitor$([ "$rounds" = 1 ] || echo ", median of $rounds runs (range)"):"
echo
python3 - "$work/results" "$rounds" <<'PY'
import statistics
import sys

rows = {}
for line in open(sys.argv[1], encoding="utf-8"):
    label, program, server = line.rstrip("\n").split("|")
    rows.setdefault(label, []).append((float(program), float(server)))
several = int(sys.argv[2]) > 1


def figure(values):
    middle = statistics.median(values)
    return f"{middle:.2f} ({min(values):.2f} to {max(values):.2f})" if several else f"{middle:.2f}"


print("| program | process CPU, % of one core | with the wineserver |")
print("| --- | --- | --- |")
medians = {}
for label, runs in rows.items():
    medians[label] = statistics.median(r[0] for r in runs)
    print(f"| {label} | {figure([r[0] for r in runs])} | {figure([r[1] for r in runs])} |")
labels = list(rows)
last, blank = medians[labels[-1]], medians[labels[0]]
print()
print(f"last / blank window: {last / blank:.0f} times" if blank > 0
      else "blank window: 0.00 (below what /proc counts)")
probe = next((m for label, m in medians.items() if label.startswith("a probe")), 0)
if probe > 0:
    print(f"last / probe: {last / probe:.2f} times")
PY
