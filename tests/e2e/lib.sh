# Helpers of the end-to-end tests: an Xvfb display of the test's own, a Wine
# prefix and wineserver of the test's own, the real WattDial.scr copied alone into
# a fresh folder, and pointer moves with xdo.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/wine-env"
scr_source=${1:?usage: $0 PATH/TO/WattDial.scr}

work=$(mktemp -d /tmp/wattdial-e2e.XXXXXX)
xvfb_pid=""
saver_pid=""

private_prefix=""

cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true
  if [ -n "$private_prefix" ]; then
    WINEPREFIX="$private_prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$private_prefix" wineserver -w 2>/dev/null || true
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$work/saver.log" ]; then
    echo "-- the program's output:" >&2
    tail -n 40 "$work/saver.log" >&2
  fi
  if [ -n "${DISPLAY:-}" ]; then
    echo "-- windows on $DISPLAY:" >&2
    local id
    for id in $(xdo search --onlyvisible --name . 2>/dev/null || true); do
      echo "  $id '$(xdo getwindowname "$id" 2>/dev/null || true)'" >&2
    done
  fi
  exit 1
}

# start_display [Xvfb screen arguments...]: Xvfb on a display number of its own.
start_display() {
  wd_xvfb_start "$work/xvfb.log" "$@" || fail "no Xvfb display could be started"
}

# start_wine: a copy of the project's prefix with a wineserver of its own, started
# on this test's display (call it after start_display). Wine learns the monitors
# from the display its server first serves, and programs of one server interact:
# a test program elsewhere that stops answering messages while it holds the
# active window would hold up the saver's activation. Its own server keeps each
# test to itself.
start_wine() {
  [ -f "$WINEPREFIX/system.reg" ] || wd_wine_start # the project's prefix, made once
  private_prefix="$work/prefix"
  cp -a "$WINEPREFIX" "$private_prefix"
  export WINEPREFIX="$private_prefix"
  # Wine's helper processes run in the test's locale too: a Wine process whose
  # locale differs rewrites the user's regional settings as it starts.
  wd_wine_start "$locale"
  # Brought up to date by the start above, the copy must not be updated again during the
  # test: under libfaketime (tests that move the clock a program sees), which moves file
  # times too, the prefix's record of wine.inf's time looks stale, and the update that
  # follows takes 15 s or more of the test's faked minutes. (Disabled before that start,
  # a prefix copied while new missed the user's shell folders.)
  echo disable >"$private_prefix/.update-timestamp"
}

# install_scr [--with-movie]: the .scr in a fresh folder, alone or with the movie
# that ships beside it.
install_scr() {
  mkdir -p "$work/WattDial"
  cp "$scr_source" "$work/WattDial/WattDial.scr"
  [ "${1:-}" != --with-movie ] || cp "$root/resources/earth.swf" "$work/WattDial/"
  scr="$work/WattDial/WattDial.scr"
}

# Wine takes the user's locale from LC_ALL/LANG; the X tools keep a locale that exists here.
locale=${WD_E2E_LOCALE:-zh_TW.UTF-8}
run_wine() { LC_ALL=$locale LANG=$locale wine "$@"; }
# run_wine_limited SECONDS ARGS...: runs to its end, or is stopped after SECONDS.
run_wine_limited() { timeout "$1" env LC_ALL="$locale" LANG="$locale" wine "${@:2}"; }
xdo() { LC_ALL=C.UTF-8 xdotool "$@"; }

# reg_add KEY ARGS...: "reg add KEY ARGS... /f", or the test fails with what reg said.
# reg once failed here in a full run and not again in some 60 runs alone or six at once;
# the value written is the same each time, so it is tried three times before the test
# fails with what reg said the last time.
reg_add() {
  local try
  for try in 1 2 3; do
    run_wine reg add "$@" /f >"$work/reg.log" 2>&1 && return 0
    sleep 0.5
  done
  fail "reg add $*: $(tr -d '\r' <"$work/reg.log" | tail -n 5)"
}

# start_saver ARGS...: runs the .scr in the background. Its exit code lands in
# $work/exit_code when it ends.
start_saver() {
  rm -f "$work/exit_code"
  (
    code=0
    run_wine "$scr" "$@" >"$work/saver.log" 2>&1 || code=$?
    echo "$code" >"$work/exit_code"
  ) &
  saver_pid=$!
}

# wait_for_windows TITLE COUNT [SECONDS]: until COUNT mapped windows carry TITLE.
wait_for_windows() {
  local title=$1 count=$2 limit=${3:-30}
  local deadline=$((SECONDS + limit))
  while ((SECONDS < deadline)); do
    (($(window_count "$title") >= count)) && return 0
    [ -s "$work/exit_code" ] &&
      fail "the program ended with code $(cat "$work/exit_code") before $count window(s) named '$title' showed"
    sleep 0.2
  done
  fail "expected $count window(s) named '$title', found $(window_count "$title")"
}

# window_count TITLE
# (Names are compared as UTF-8 text: xdotool's own name search misses the
# Chinese titles, whose WM_NAME cannot hold them.)
windows_named() {
  local id
  for id in $(xdo search --onlyvisible --name . 2>/dev/null || true); do
    [ "$(xdo getwindowname "$id" 2>/dev/null)" = "$1" ] && echo "$id"
  done
  return 0
}
window_count() { windows_named "$1" | wc -l; }

# wait_saver_exit SECONDS: waits for the saver to end and prints its exit code.
wait_saver_exit() {
  local deadline=$((SECONDS + $1))
  while ((SECONDS < deadline)); do
    if [ -s "$work/exit_code" ]; then
      cat "$work/exit_code"
      return 0
    fi
    sleep 0.1
  done
  fail "the saver still runs after ${1}s"
}

still_running() { [ ! -e "$work/exit_code" ]; }

# pixel X Y: "r,g,b" of the screen at (X, Y).
screenshot() { import -display "$DISPLAY" -window root "$1"; }
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

move() {
  xdo mousemove "$1" "$2"
  sleep "${3:-0.8}"
}

# press_in TITLE KEYS...: gives the window the keyboard focus and types KEYS
# (there is no window manager to activate windows on these displays).
press_in() {
  local title=$1 id
  shift
  id=$(windows_named "$title" | head -n 1)
  [ -n "$id" ] || fail "no window named '$title'"
  xdo windowfocus --sync "$id" 2>/dev/null || xdo windowfocus "$id"
  sleep 0.3
  xdo key "$@"
}

# white_pixels SHOT X Y W H: how many pure white pixels the rectangle holds.
white_pixels() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fill black +opaque white \
    -format "%[fx:int(mean*w*h+0.5)]" info:
}

# changed_pixels SHOT1 SHOT2 X Y W H: how many pixels differ in the rectangle.
changed_pixels() {
  local a="$work/crop-a.png" b="$work/crop-b.png"
  convert "$1" -crop "${5}x${6}+${3}+${4}" +repage "$a"
  convert "$2" -crop "${5}x${6}+${3}+${4}" +repage "$b"
  compare -metric AE "$a" "$b" null: 2>&1 || true
}
