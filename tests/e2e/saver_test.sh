#!/usr/bin/env bash
# /s covers the screen: the picture at the top left, the backdrop colour beyond it,
# the ring gauge and the white figures, which change from one second to the next.
# A 2-pixel move leaves it running, a 3-pixel move ends it with exit code 0.
source "$(dirname "$0")/lib.sh"
start_display -screen 0 1280x1024x24
start_wine
install_scr --with-movie

xdo mousemove 640 512
start_saver /s
wait_for_windows FormMain 1
sleep 2
screenshot "$work/shot.png"
sleep 1
screenshot "$work/shot2.png"
[ -z "${WD_E2E_SHOTS:-}" ] || cp "$work/shot.png" "$WD_E2E_SHOTS"

# Beyond the 1024 x 719 picture, the backdrop colour.
for xy in "1024 0" "1279 0" "1100 500" "0 719" "640 1000" "1279 1023"; do
  got=$(pixel "$work/shot.png" $xy)
  [ "$got" = "45,69,0" ] || fail "pixel ($xy) beyond the picture is $got, not 45,69,0"
done
# The picture itself is not plain backdrop.
[ "$(pixel "$work/shot.png" 619 658)" != "45,69,0" ] || fail "no picture under the gauge"
# The gauge's tracks: the middle of each ring's track at 6 o'clock (centre 619,405).
for radius in 275 232 189 146 103 60; do
  got=$(pixel "$work/shot.png" 619 $((405 + radius)))
  [ "$got" = "45,69,0" ] || fail "ring track of radius $radius at 6 o'clock is $got"
done
# Ring 1's value arc has started from 12 o'clock.
[ "$(pixel "$work/shot.png" 623 130)" = "0,104,183" ] || fail "no value arc on ring 1"
# White figures at every label place, growing left from their right edges.
for top in 120 161 203 252 294 340 380; do
  n=$(white_pixels "$work/shot.png" 480 "$top" 91 24)
  ((n > 15)) || fail "no white figure in the label at top $top ($n white pixels)"
done
n=$(white_pixels "$work/shot.png" 130 378 113 22)
((n > 15)) || fail "no white date in the from-date label ($n white pixels)"
# Today's date is the stored from-date, written in the user's short date form.
case "$locale" in
  zh_TW*) today=$(date +%Y/%-m/%-d) ;;
  de_DE*) today=$(date +%-d.%-m.%Y) ;;
  *) today=$(date +%-m/%-d/%Y) ;;
esac
grep -q "^FromDate=$today" "$work/WattDial/WattDial.INI" ||
  fail "FromDate is not $today: $(cat "$work/WattDial/WattDial.INI")"
# The earth turns in the movie's place, on the backdrop colour.
[ "$(pixel "$work/shot.png" 130 410)" = "45,69,0" ] || fail "the movie's corner is not the backdrop"
[ "$(pixel "$work/shot.png" 213 493)" != "45,69,0" ] || fail "no globe in the movie's place"
n=$(changed_pixels "$work/shot.png" "$work/shot2.png" 128 408 170 170)
((n > 200)) || fail "the movie did not move in a second ($n pixels)"
# A second later the gauge and the seconds label have moved on.
n=$(changed_pixels "$work/shot.png" "$work/shot2.png" 334 120 600 600)
((n > 50)) || fail "the gauge did not change in a second ($n pixels)"
n=$(changed_pixels "$work/shot.png" "$work/shot2.png" 450 120 121 24)
((n > 10)) || fail "the seconds label did not change in a second ($n pixels)"

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
echo "saver: dashboard shown and moving, 2 pixels and keys ignored, 3 pixels ended it"
