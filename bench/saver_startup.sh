#!/usr/bin/env bash
# How soon the saver covers the screen under Wine, beside a blank window measured in the
# same run: on a virtual display with one monitor, starts in turn a blank full-screen
# window (build/win/bench/blank_window.exe) and dist/WattDial.scr /s with the movie
# beside it, ROUNDS times (default 3), and times each from its start until the screen's
# bottom-right pixel shows the backdrop colour (bench/first_paint.c, built here with the
# system's C compiler and libX11). Prints every run, the medians and their difference.
# Build first with scripts/build.
#
# Usage: bench/saver_startup.sh [WIDTHxHEIGHT@DPI ...] [-- PROGRAM.scr]
# Default configuration: 1280x1024@96. WD_STARTUP_ROUNDS=N changes the rounds. After
# "--", another build of the saver is measured instead of dist/WattDial.scr.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/saver_args.sh"
bench_saver_args "$@"
[ ${#configs[@]} -gt 0 ] || configs=(1280x1024@96)
rounds=${WD_STARTUP_ROUNDS:-3}
blank="$root/build/win/bench/blank_window.exe"
for needed in "$blank" "$saver" "$root/dist/earth.swf"; do
  [ -f "$needed" ] || { echo "saver_startup: $needed is missing; run scripts/build first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/wattdial-startup.XXXXXX)
source "$root/bench/wine_display.sh"
trap bench_cleanup EXIT
cc -O2 -o "$work/first_paint" "$root/bench/first_paint.c" -lX11

# The backdrop colour (saver/layout.h, kBackdrop) as RRGGBB.
backdrop=2d4500

# measure PROGRAM MOVIE ARGS...: prints the seconds until the program covered the
# bottom-right pixel.
measure() {
  local program=$1 movie=$2 name app seconds
  shift 2
  name=$(basename "$program")
  app=$(bench_folder "$program" "$movie")
  seconds=$(cd "$app" && "$work/first_paint" $((width - 1)) $((height - 1)) "$backdrop" 20 \
    wine "$app/$name" "$@") || true
  echo "$seconds"
  bench_end "$name"
}

for config in "${configs[@]}"; do
  size=${config%@*}
  dpi=${config#*@}
  width=${size%x*}
  height=${size#*x}
  bench_display "$size" "$dpi"
  : >"$work/results"
  for round in $(seq "$rounds"); do
    b=$(measure "$blank" 0)
    s=$(measure "$saver" 1 /s)
    echo "saver_startup: $config round $round: blank window $b s, saver $s s" >&2
    echo "$b $s" >>"$work/results"
  done
  python3 - "$work/results" "$config" "$(basename "$saver")" <<'PY'
import statistics
import sys

blank, saver = [], []
for line in open(sys.argv[1], encoding="utf-8"):
    b, s = line.split()
    blank.append(float(b) if b != "timeout" else float("inf"))
    saver.append(float(s) if s != "timeout" else float("inf"))
size, dpi = sys.argv[2].split("@")
runs = lambda values: ", ".join(f"{v:.2f}" for v in values)
print(f"\nCovering a {size.replace('x', ' x ')} screen at {dpi} DPI, seconds from the start:\n")
print("| program | runs | median |")
print("| --- | --- | --- |")
print(f"| blank full-screen window | {runs(blank)} | {statistics.median(blank):.2f} |")
print(f"| {sys.argv[3]} /s | {runs(saver)} | {statistics.median(saver):.2f} |")
print(f"\nsaver - blank window: {statistics.median(saver) - statistics.median(blank):+.2f} s")
PY
done
