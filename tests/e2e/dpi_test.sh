#!/usr/bin/env bash
# The dashboard scales with the DPI: at 96, 144 and 192 (LogPixels, which Wine reads
# when its processes start) every element stands where the layout times DPI / 96
# puts it, the background is the picture drawn for that scale (not a stretch of the
# 1x one), and the movie plays at the scaled size. Screenshots: build/screenshots/.
source "$(dirname "$0")/lib.sh"
start_display -screen 0 2560x1440x24
start_wine
install_scr --with-movie
shots="$root/build/screenshots"
mkdir -p "$shots"

# scaled V: V at 96 DPI in this run's pixels.
scaled() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", (v * s >= 0) ? int(v * s + 0.5) : -int(-v * s + 0.5) }'; }

for dpi in 96 144 192; do
  case $dpi in
    96) scale=1 picture=background.jpg ;;
    144) scale=1.5 picture=background-150.jpg ;;
    192) scale=2 picture=background-200.jpg ;;
  esac
  reg_add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wd_wine_start "$locale"

  xdo mousemove 2000 1300
  start_saver /s
  wait_for_windows FormMain 1
  sleep 2.5
  shot="$shots/saver-$dpi.png"
  screenshot "$shot"

  # The picture for this scale, pixel for pixel, in the title's corner.
  w=$(scaled 1024) h=$(scaled 719)
  cw=$(scaled 520) ch=$(scaled 70)
  convert "$shot" -crop "${cw}x${ch}+0+$(scaled 40)" +repage "$work/title.png"
  convert "$root/resources/$picture" -crop "${cw}x${ch}+0+$(scaled 40)" +repage "$work/title-want.png"
  n=$(compare -metric AE -fuzz 3% "$work/title.png" "$work/title-want.png" null: 2>&1 || true)
  ((n < cw * ch / 200)) || fail "$dpi DPI: the title is not $picture as drawn ($n pixels differ)"
  [ "$(pixel "$shot" $((w + 2)) 10)" = "45,69,0" ] || fail "$dpi DPI: the picture reaches past $w"
  [ "$(pixel "$shot" 10 $((h + 2)))" = "45,69,0" ] || fail "$dpi DPI: the picture reaches below $h"

  # The gauge around (619, 405) scaled: tracks of backdrop colour at 6 o'clock, and
  # ring 1's value arc begun at 12 o'clock.
  cx=$(scaled 619) cy=$(scaled 405)
  for radius in 275 232 189 146 103 60; do
    got=$(pixel "$shot" "$cx" $((cy + $(scaled $radius))))
    [ "$got" = "45,69,0" ] || fail "$dpi DPI: ring track of radius $radius at 6 o'clock is $got"
  done
  got=$(pixel "$shot" $((cx + $(scaled 4))) $((cy - $(scaled 275))))
  [ "$got" = "0,104,183" ] || fail "$dpi DPI: no value arc on ring 1 ($got)"
  # Between two tracks (13 px gap at 1x), the picture: the rings are spaced as scaled.
  got=$(pixel "$shot" "$cx" $((cy + $(scaled 254))))
  [ "$got" != "45,69,0" ] || fail "$dpi DPI: a track where the gap between rings 1 and 2 should be"

  # White figures right-aligned at x = 571 scaled, in labels of 21 px scaled.
  for top in 120 161 203 252 294 340 380; do
    n=$(white_pixels "$shot" $(scaled 480) $(scaled $top) $(scaled 91) $(scaled 24))
    ((n > 15)) || fail "$dpi DPI: no white figure in the label at top $top ($n white pixels)"
    n=$(white_pixels "$shot" $(scaled 574) $(scaled $top) $(scaled 30) $(scaled 24))
    ((n == 0)) || fail "$dpi DPI: white right of the label at top $top ($n pixels)"
  done
  n=$(white_pixels "$shot" $(scaled 130) $(scaled 378) $(scaled 113) $(scaled 22))
  ((n > 15)) || fail "$dpi DPI: no white date in the from-date label ($n white pixels)"

  # The movie at (128, 408) scaled, 170 px scaled: its corners backdrop, the globe
  # filling its middle and reaching its scaled edge.
  mx=$(scaled 128) my=$(scaled 408) ms=$(scaled 170)
  [ "$(pixel "$shot" $((mx + 1)) $((my + 1)))" = "45,69,0" ] || fail "$dpi DPI: the movie's corner is not the backdrop"
  [ "$(pixel "$shot" $((mx + ms / 2)) $((my + ms / 2)))" != "45,69,0" ] || fail "$dpi DPI: no globe in the movie's middle"
  [ "$(pixel "$shot" $((mx + ms / 2)) $((my + ms * 9 / 100)))" != "45,69,0" ] ||
    fail "$dpi DPI: the globe does not reach the scaled movie's top"

  xdo mousemove 100 100
  sleep 0.5
  xdo mousemove 400 400
  code=$(wait_saver_exit 15)
  [ "$code" = 0 ] || fail "$dpi DPI: exit code $code"
  echo "dpi: $dpi: picture, gauge, labels and movie where the scaled layout puts them"
done
