#!/usr/bin/env bash
# A saver left running overnight: runs build/win/bench/long_run.exe (build it first with
# scripts/build) on a virtual display for SECONDS (default 1800) of dashboard ticks and
# movie frames as fast as they go, and prints its USER objects, GDI objects, handles and
# private bytes at the start, along the way and at the end.
#
# Usage: bench/long_run.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-1800}
program="$root/build/win/bench/long_run.exe"
[ -f "$program" ] || { echo "long_run: $program is missing; run scripts/build first" >&2; exit 1; }

source "$root/scripts/wine-env"
wd_wine_start
# A copy of the prefix with a wineserver of its own, as bench/saver_cpu.sh keeps.
bench_prefix="$root/build/bench-wineprefix"
if [ ! -f "$bench_prefix/system.reg" ]; then
  rm -rf "$bench_prefix"
  cp -a "$WINEPREFIX" "$bench_prefix"
fi
export WINEPREFIX="$bench_prefix"

work=$(mktemp -d /tmp/wattdial-long-run.XXXXXX)
xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
wd_xvfb_start "$work/xvfb.log" -screen 0 1280x1024x24 || { echo "long_run: no Xvfb" >&2; exit 1; }
wineserver -p 60 >/dev/null 2>&1 || true
cp "$root/resources/earth.swf" "$work/"
cd "$work"
wine "$program" "$seconds" earth.swf
