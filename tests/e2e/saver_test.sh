#!/usr/bin/env bash
# /s covers the screen in the backdrop colour; a 2-pixel move leaves it running, a
# 3-pixel move ends it with exit code 0.
source "$(dirname "$0")/lib.sh"
wd_wine_start
start_display -screen 0 1280x1024x24
install_scr

xdo mousemove 640 512
start_saver /s
wait_for_windows FormMain 1
sleep 1.5
screenshot "$work/shot.png"
for xy in "0 0" "1279 0" "0 1023" "1279 1023" "640 512"; do
  got=$(pixel "$work/shot.png" $xy)
  [ "$got" = "45,69,0" ] || fail "pixel ($xy) is $got, not the backdrop 45,69,0"
done

# The window appearing under the pointer gives the first movement: it only records.
move 642 510
move 640 514
still_running || fail "a 2-pixel move ended the saver"
xdo key space a Return
sleep 0.8
still_running || fail "a key ended the saver"
move 643 512
code=$(wait_saver_exit 15)
[ "$code" = 0 ] || fail "exit code $code after a 3-pixel move"
echo "saver: covered the screen, ignored 2 pixels and keys, ended on 3 pixels"
