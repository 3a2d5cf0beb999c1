#!/usr/bin/env bash
# Two monitors (Xinerama): a saver window on each, and one movement ends both.
# Wine reports Xinerama heads of different sizes as two monitors at one origin.
source "$(dirname "$0")/lib.sh"
start_display +xinerama -extension RANDR -screen 0 1280x1024x24 -screen 1 1024x768x24
start_wine
install_scr

xdo mousemove 640 512
start_saver /s
wait_for_windows FormMain 2
sleep 1
[ "$(window_count FormMain)" = 2 ] || fail "expected two saver windows, found $(window_count FormMain)"
move 641 513
still_running || fail "a 1-pixel move ended the saver"
move 700 512
code=$(wait_saver_exit 15)
[ "$code" = 0 ] || fail "exit code $code"
[ "$(window_count FormMain)" = 0 ] || fail "a saver window outlived the program"
echo "monitors: two windows, one movement ended both"
