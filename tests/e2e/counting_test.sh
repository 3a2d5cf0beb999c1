#!/usr/bin/env bash
# The statistics of the real dialog counted across moved clocks. Debian's libfaketime,
# preloaded into Wine, moves the wall clock the dialog (and its wineserver) sees; the
# uptime (the monotonic clock) and the machine's own clock stay as they are, so to the
# dialog it is one running period of the computer throughout, whatever its clock says.
#
# usage: counting_test.sh WattDial.scr dialog_driver.exe
source "$(dirname "$0")/lib.sh"
driver=${2:?usage: $0 WattDial.scr dialog_driver.exe}
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1
[ -f "$faketime_lib" ] || fail "no $faketime_lib (Debian's faketime package)"
start_display -screen 0 1280x1024x24
start_wine
install_scr
ini="$work/WattDial/WattDial.INI"

drv() { run_wine_limited 30 "$driver" "$@" 2>>"$work/driver.log" | tr -d '\r'; }
ini_value() { { grep -a "^$1=" "$ini" || true; } | head -n 1 | cut -d= -f2- | tr -d '\r'; }
# at_most WHAT VALUE LIMIT: VALUE <= LIMIT as numbers.
at_most() { awk -v v="$2" -v l="$3" 'BEGIN { exit !(v + 0 <= l + 0) }' || fail "$1: $2, expected at most $3"; }
grew_by_at_most() { at_most "$1" "$(awk -v a="$2" -v b="$3" 'BEGIN { print b - a }')" "$4"; }
expect() { [ "$2" = "$3" ] || fail "$1: '$2', expected '$3'"; }
OK=151

# open_at TIME: the dialog with its clock starting at TIME (faketime's "@yyyy-mm-dd
# hh:mm:ss"). The wineserver is stopped first, so that the faked dialog starts its own.
open_at() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -f "$work/exit_code"
  (
    code=0
    LD_PRELOAD=$faketime_lib FAKETIME="@$1" FAKETIME_DONT_FAKE_MONOTONIC=1 \
      run_wine "$scr" /c >"$work/saver.log" 2>&1 || code=$?
    echo "$code" >"$work/exit_code"
  ) &
  saver_pid=$!
  drv wait-dialog 30 >/dev/null || fail "the dialog did not show at $1"
}
# close_after SECONDS: a few ticks of the statistics, then "確定".
close_after() {
  sleep "$1"
  drv click $OK
  local code
  code=$(wait_saver_exit 15)
  [ "$code" = 0 ] || fail "the dialog ended with code $code"
}

printf '[Parameters]\r\nAutoSNTP=0\r\n' >"$ini"

# The first counting: the period's running time so far, today's part of it no more
# than the hours since midnight.
open_at "2026-12-09 10:00:00"
close_after 1.5
year1=$(ini_value ThisYear)
case "$(ini_value LastCounted)" in "2026-12-09 10:00:0"*) ;; *) fail "LastCounted $(ini_value LastCounted)" ;; esac
at_most "Today after the first counting" "$(ini_value Today)" 10.01
at_most "the period counted (this machine must have run 6 minutes)" 0.1 "$year1"

# The clock 5 minutes on: the same period, only the seconds that ran since.
open_at "2026-12-09 10:05:00"
close_after 1.5
year2=$(ini_value ThisYear)
grew_by_at_most "ThisYear after a clock step of 5 minutes" "$year1" "$year2" 0.01

# A dead battery's clock in 2000: it adds its seconds, starts nothing afresh, and the
# last counting stays where it was.
last=$(ini_value LastCounted)
from=$(ini_value FromDate)
open_at "2000-01-01 00:00:00"
close_after 1.5
year3=$(ini_value ThisYear)
grew_by_at_most "ThisYear under a clock in 2000" "$year2" "$year3" 0.01
at_most "ThisYear kept under a clock in 2000" "$year2" "$year3"
expect "LastCounted under a clock in 2000" "$(ini_value LastCounted)" "$last"
expect "FromDate under a clock in 2000" "$(ini_value FromDate)" "$from"

# The clock right again: still the same period.
open_at "2026-12-09 10:20:00"
close_after 1.5
grew_by_at_most "ThisYear with the clock right again" "$year3" "$(ini_value ThisYear)" 0.01

# Over New Year's midnight with the dialog open: the new year holds only what ran in
# it, and counts from 1 January.
open_at "2026-12-31 23:59:56"
close_after 7
for key in Today ThisMonth ThisYear; do at_most "$key just after New Year" "$(ini_value $key)" 0.01; done
expect "FromDate in the new year" "$(ini_value FromDate)" "2027/1/1"
case "$(ini_value LastCounted)" in "2027-01-01 00:00:0"*) ;; *) fail "LastCounted $(ini_value LastCounted)" ;; esac

# The saver a year later: it shows that year's figures without writing anything.
before=$(md5sum <"$ini")
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
rm -f "$work/exit_code"
(
  LD_PRELOAD=$faketime_lib FAKETIME="@2028-06-01 12:00:00" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    run_wine_limited 4 "$scr" /s >"$work/saver.log" 2>&1 || true
  echo 0 >"$work/exit_code"
) &
saver_pid=$!
wait_saver_exit 20 >/dev/null
expect "the INI after the saver ran in a later year" "$(md5sum <"$ini")" "$before"

echo "counting: one period counted once across clock steps, a clock in 2000 and New Year"
