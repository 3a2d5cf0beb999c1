#!/usr/bin/env bash
# The other ways the program starts: a second instance, preview, an unknown
# switch, configuration mode, and an error while the saver window is built.
source "$(dirname "$0")/lib.sh"
start_display -screen 0 1280x1024x24
start_wine
install_scr

# A second start while one runs ends at once with code 0 and opens no window.
xdo mousemove 100 100
start_saver /s
wait_for_windows FormMain 1
start=$SECONDS
code=0
run_wine_limited 20 "$scr" /s >/dev/null 2>&1 || code=$?
[ "$code" = 0 ] || fail "second instance exit code $code"
((SECONDS - start < 10)) || fail "second instance took $((SECONDS - start))s"
[ "$(window_count FormMain)" = 1 ] || fail "a second instance opened a window"
code=0
run_wine_limited 20 "$scr" /c >/dev/null 2>&1 || code=$?
[ "$code" = 0 ] || fail "configuration while the saver runs: exit code $code"
[ "$(window_count '能源耗用管理')" = 0 ] || fail "configuration opened while the saver runs"
move 400 400
move 300 300
code=$(wait_saver_exit 15)
[ "$code" = 0 ] || fail "saver exit code $code"

# Preview creates nothing and ends at once.
code=0
run_wine_limited 20 "$scr" /p 1234 >/dev/null 2>&1 || code=$?
[ "$code" = 0 ] || fail "/p exit code $code"
[ "$(window_count FormMain)" = 0 ] || fail "/p opened a window"

# An unknown switch shows its box; dismissing it ends the program with code 0.
start_saver /a
wait_for_windows WattDial 1
[ "$(window_count FormMain)" = 0 ] || fail "/a opened a saver window"
sleep 0.5
press_in WattDial Return
code=$(wait_saver_exit 15)
[ "$code" = 0 ] || fail "/a exit code $code"

# Configuration mode without an argument and with /c:1234: the main window;
# closing it ends the program.
for args in "" "/c:1234"; do
  # shellcheck disable=SC2086
  start_saver $args
  wait_for_windows '能源耗用管理' 1
  sleep 0.5
  press_in '能源耗用管理' alt+F4
  code=$(wait_saver_exit 15)
  [ "$code" = 0 ] || fail "configuration mode ($args) exit code $code"
done

# A list file that exists but cannot be read: the final report, exit code 1.
ln -s /proc/self/mem "$work/WattDial/WattDial.lst"
start_saver /s
wait_for_windows 'Application Error' 1
[ "$(window_count FormMain)" = 0 ] || fail "a saver window stayed after the error"
press_in 'Application Error' Return
code=$(wait_saver_exit 15)
[ "$code" = 1 ] || fail "unreadable list file: exit code $code, not 1"
rm "$work/WattDial/WattDial.lst"

echo "modes: second instance, preview, unknown switch, configuration and the final report behave"
