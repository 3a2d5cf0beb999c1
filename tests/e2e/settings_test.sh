#!/usr/bin/env bash
# The settings dialog of the real WattDial.scr, driven from outside through window
# messages only (dialog_driver.exe): the defaults, what each button writes, a number
# that does not convert, the statistics page and its reset, and the time sync against
# a real chronyd on 127.0.0.1:123 and against nothing. Screenshots of both pages go to
# build/screenshots/ (settings.png, statistics.png, trend.png, settings-150.png,
# settings-200.png, trend-200.png).
#
# usage: settings_test.sh WattDial.scr dialog_driver.exe
source "$(dirname "$0")/lib.sh"
driver=${2:?usage: $0 WattDial.scr dialog_driver.exe}
start_display -screen 0 1280x1024x24
start_wine
install_scr
ini="$work/WattDial/WattDial.INI"
shots="$root/build/screenshots"
mkdir -p "$shots"

drv() { run_wine_limited 30 "$driver" "$@" 2>>"$work/driver.log" | tr -d '\r'; }
# The value of KEY in the INI (code page 950 there), as UTF-8.
ini_value() { { grep -a "^$1=" "$ini" || true; } | head -n 1 | cut -d= -f2- | iconv -f CP950 -t UTF-8 | tr -d '\r'; }
expect() { [ "$2" = "$3" ] || fail "$1: '$2', expected '$3'"; }
open_dialog() {
  start_saver /c
  waited=$(drv wait-dialog 30) || fail "the dialog did not show"
}
closed() {
  local code
  code=$(wait_saver_exit 15)
  [ "$code" = 0 ] || fail "the dialog ended with code $code"
}
shot() {
  local x y w h
  read -r x y w h < <(drv rect)
  import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$1"
}

# Control ids (settings/control_ids.h).
WATT=120 FEE=121 CO2=122 CHK=124 SERVER=125 FAILS=126 TODAY=140 WEEK=141 MONTH=142 YEAR=143
RESET=144 BITBTN1=150 OK=151 CANCEL=2

# No INI: the dialog's defaults; "確定" writes them, the picker's 00:00:00 among them.
open_dialog
expect "watts box" "$(drv get $WATT)" 107.125
expect "fee box" "$(drv get $FEE)" 2.59
expect "CO2 box" "$(drv get $CO2)" 0.637
expect "sync check box" "$(drv checked $CHK)" 1
expect "server box" "$(drv get $SERVER)" time.stdtime.gov.tw
sleep 0.5
shot settings.png
drv click $BITBTN1
closed
expect Watts "$(ini_value Watts)" 107.125
expect UnitFee "$(ini_value UnitFee)" 2.59
expect UnitCo2 "$(ini_value UnitCo2)" 0.637
expect AlarmTime "$(ini_value AlarmTime)" "上午12:00:00"
expect AutoSNTP "$(ini_value AutoSNTP)" 1
expect SNTPServer "$(ini_value SNTPServer)" time.stdtime.gov.tw
expect InitMax "$(ini_value InitMax)" 0
[ -n "$(ini_value Today)" ] || fail "no Today total written"

# The rest without the network sync.
sed -i 's/^AutoSNTP=1/AutoSNTP=0/' "$ini"

# "取消" after editing writes none of the edits, but the totals.
open_dialog
drv set $WATT 120.5
drv set $SERVER other.example
sleep 1.5 # a tick of the statistics
drv click $CANCEL
closed
expect "Watts after cancel" "$(ini_value Watts)" 107.125
expect "server after cancel" "$(ini_value SNTPServer)" time.stdtime.gov.tw
[ -n "$(ini_value LastCounted)" ] || fail "cancel wrote no totals"

# Escape is "取消"; Enter is "確定".
open_dialog
drv set $WATT 130
press_in '能源耗用管理' Escape
closed
expect "Watts after Escape" "$(ini_value Watts)" 107.125
open_dialog
drv set $WATT 140
press_in '能源耗用管理' Return
closed
expect "Watts after Enter" "$(ini_value Watts)" 140

# abc in the fee box: the message, the dialog stays, the keys before it are written.
open_dialog
drv set $WATT 99
drv set $FEE abc
drv click $OK
box=$(drv box WattDial 10)
expect "conversion message" "$(echo "$box" | head -n 1)" "'abc' is not a valid floating point value."
expect "Watts before the failing key" "$(ini_value Watts)" 99
expect "UnitFee kept" "$(ini_value UnitFee)" 2.59
drv answer WattDial ok
sleep 0.5
still_running || fail "the dialog closed after the conversion error"
drv wait-dialog 5 >/dev/null || fail "the dialog is gone after the conversion error"
drv set $FEE 2.5
drv click $OK
closed
expect "UnitFee corrected" "$(ini_value UnitFee)" 2.5

# The statistics page: four lines within two seconds; the reset question.
open_dialog
drv page 1
sleep 2
for id in $TODAY $WEEK $MONTH $YEAR; do
  line=$(drv get $id)
  case "$line" in 耗時\ *:*，耗電量\ *\ 度，用電費\ *\ 元，排放\ *\ 公斤二氧化碳) ;;
  *) fail "statistics line $id: '$line'" ;;
  esac
done
expect "確定 on the statistics page" "$(drv visible $BITBTN1)" 0
shot statistics.png
before=$(md5sum <"$ini")
drv click $RESET
box=$(drv box Confirm 10)
expect "reset question" "$(echo "$box" | head -n 1)" "您確定要清除過去的能源耗用紀錄，並只記錄今日的能源耗用？"
echo "$box" | grep -qx "default 1" || fail "OK is not the default button: $box"
echo "$box" | grep -qx "1 OK" || fail "no OK button: $box"
echo "$box" | grep -qx "2 Cancel" || fail "no Cancel button: $box"
drv answer Confirm cancel
sleep 0.5
expect "INI after Cancel" "$(md5sum <"$ini")" "$before"
[ ! -e "$work/WattDial/MYREC.FIL" ] || fail "Cancel wrote MYREC.FIL"
drv click $RESET
drv box Confirm 10 >/dev/null
drv answer Confirm ok
sleep 0.5
for key in Today ThisWeek ThisMonth ThisYear; do expect "$key after reset" "$(ini_value $key)" 0; done
expect FromDate "$(ini_value FromDate)" "$(date +%Y/%-m/%-d)"
expect "MYREC.FIL" "$(od -An -v -tx1 "$work/WattDial/MYREC.FIL" | tr -s ' \n' '\n\n' | grep -c '^00$')" 568
expect "MYREC.FIL size" "$(stat -c %s "$work/WattDial/MYREC.FIL")" 568
drv click $OK
closed

# Time sync against a real chronyd on 127.0.0.1:123 (-x: it never touches the clock;
# Wine's clock setting refuses any step over half a second, and chronyd shares this
# machine's clock, so the step is nil).
sed -i 's/^AutoSNTP=0/AutoSNTP=1/; s/^SNTPServer=.*/SNTPServer=127.0.0.1/' "$ini"
chronyd=$(command -v chronyd || echo /usr/sbin/chronyd)
conf="$work/chrony.conf"
printf 'port 123\nbindaddress 127.0.0.1\nallow 127.0.0.1\nlocal stratum 8\ncmdport 0\npidfile %s\ndriftfile %s\n' \
  "$work/chronyd.pid" "$work/chrony.drift" >"$conf"
"$chronyd" -x -d -f "$conf" >"$work/chronyd.log" 2>&1 &
chrony_pid=$!
trap 'kill $chrony_pid 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 50); do
  python3 -c 'import socket,sys; s=socket.socket(socket.AF_INET,socket.SOCK_DGRAM); s.settimeout(0.2); s.sendto(b"\x1b"+bytes(47),("127.0.0.1",123)); s.recvfrom(512)' 2>/dev/null && break
  sleep 0.2
done
open_dialog
expect "網路校時失敗 with chronyd answering" "$(drv visible $FAILS)" 0
drv click $OK
closed
kill $chrony_pid 2>/dev/null || true
wait $chrony_pid 2>/dev/null || true

# Nothing listening: the label shows, and the dialog still comes within about 4 s.
start=$SECONDS
open_dialog
((SECONDS - start <= 8)) || fail "the dialog took $((SECONDS - start)) s with no time server"
expect "網路校時失敗 with no server" "$(drv visible $FAILS)" 1
drv click $OK
closed

# The trend page over 30 days of running hours kept in the Days section.
sed -i 's/^AutoSNTP=1/AutoSNTP=0/' "$ini"
# (The first section of a name wins: the Days the dialog wrote go first.)
awk 'BEGIN { keep = 1 } /^\[/ { keep = ($0 !~ /^\[Days\]/) } keep' "$ini" >"$ini.new" && mv "$ini.new" "$ini"
{
  printf '[Days]\r\n'
  for back in $(seq 29 -1 1); do
    printf '%s=%s\r\n' "$(date -d "-$back days" +%F)" "$(((back * 7) % 11 + 1)).25"
  done
} >>"$ini"
open_dialog
drv page 2
sleep 1.5
case "$(drv get 161)" in *耗時\ *:*，耗電量\ *\ 度，用電費\ *\ 元，排放\ *\ 公斤二氧化碳) ;;
*) fail "the trend page's day line: '$(drv get 161)'" ;; esac
shot trend.png
drv click $OK
closed

# At 150 % and 200 % (Wine reads the system DPI when its processes start) it scales.
for scaled in "144 951 486 settings-150.png" "192 1268 648 settings-200.png"; do
  read -r dpi width height picture <<<"$scaled"
  reg_add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wd_wine_start "$locale"
  open_dialog
  expect "client area at $dpi DPI" "$(drv client)" "$width $height"
  sleep 0.5
  shot "$picture"
  if [ "$dpi" = 192 ]; then
    drv page 2
    sleep 1.2
    shot trend-200.png
  fi
  drv click $OK
  closed
done

echo "settings: defaults, OK, Cancel, a bad number, statistics, reset and time sync behave"
