#!/usr/bin/env bash
# In a locale whose short date carries literal text (hu_HU "yyyy. MM. dd.", lv_LV
# "d.MM.yyyy.", bg_BG "d.MM.yyyy 'г'." with a narrow no-break space, which the file's
# code page 1251 stores as "?"), the saver writes today's date as FromDate on its first
# run, and every later run keeps the stored date, today's or an older one, byte for byte:
# what it writes it reads back.
source "$(dirname "$0")/lib.sh"
# The locale's short date for `date` and the code page the INI file is written in.
case "$locale" in
  hu_HU*) form="%Y. %m. %d." code_page=CP1250 ;;
  lv_LV*) form="%-d.%m.%Y." code_page=CP1257 ;;
  bg_BG*) form="%-d.%m.%Y?г." code_page=CP1251 ;;
  *) fail "no short date form known for $locale" ;;
esac
start_display -screen 0 1280x1024x24
start_wine
install_scr
ini="$work/WattDial/WattDial.INI"

stored_date() { sed -n 's/^FromDate=//p' "$ini" | tr -d '\r' | iconv -f "$code_page" -t UTF-8; }
# run_saver: the saver for a few ticks, ended by a pointer move.
run_saver() {
  xdo mousemove 640 512
  start_saver /s
  wait_for_windows FormMain 1
  sleep 3
  move 642 510
  move 650 520
  local code
  code=$(wait_saver_exit 15)
  [ "$code" = 0 ] || fail "exit code $code"
}

run_saver
today=$(date +"$form")
[ "$(stored_date)" = "$today" ] || fail "first run: FromDate is '$(stored_date)', not '$today'"
before=$(md5sum <"$ini")
run_saver
[ "$(md5sum <"$ini")" = "$before" ] || fail "second run changed the file: $(cat "$ini")"

# An older date, as an earlier run would have stored it.
old=$(date -d 2019-07-28 +"$form")
printf '[Parameters]\r\nFromDate=%s\r\n' "$(printf '%s' "$old" | iconv -f UTF-8 -t "$code_page")" >"$ini"
run_saver
[ "$(stored_date)" = "$old" ] || fail "the stored '$old' became '$(stored_date)'"
echo "from_date ($locale): today's '$today' and the stored '$old' kept across runs"
