#!/usr/bin/env bash
# WattDial-Setup.exe under Wine, silent (/S), for a user whose profile folder is
# "C:\users\王 小明": it installs WattDial.scr and earth.swf into the user's local
# application data, makes it the screen saver and records the one of before; the
# installed saver runs from there and writes its INI there; installing again keeps the
# INI and MYREC.FIL; uninstalling removes the program, puts the earlier saver back and
# keeps the INI. Then, one case each: no saver before, a saver chosen since, and
# /REMOVESETTINGS.
source "$(dirname "$0")/lib.sh"
# The installer the same Windows tree made, unless named.
setup_exe=${2:-$(dirname "$scr_source")/../installer/WattDial-Setup.exe}
[ -f "$setup_exe" ] || fail "no installer at $setup_exe (build the target installer)"
version=$(sed -n 's/^#define WD_VERSION_TEXT "\(.*\)"$/\1/p' "$root/resources/version.h")

# Wine writes non-ASCII file names only when the Linux locale it runs in exists (its
# file names then are UTF-8): a private copy of the test's locale, made with localedef.
mkdir -p "$work/locale"
localedef -i "${locale%%.*}" -f UTF-8 "$work/locale/$locale" 2>"$work/localedef.log" ||
  fail "localedef could not make $locale: $(cat "$work/localedef.log")"
export LOCPATH="$work/locale"

start_display -screen 0 1280x1024x24
start_wine

# The console code page reg.exe writes its answers in.
case "$locale" in
  zh_TW*) console_charset=CP950 ;;
  *) console_charset=CP850 ;;
esac

desktop='HKCU\Control Panel\Desktop'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\WattDial'
profile_win='C:\users\王 小明'
profile="$private_prefix/drive_c/users/王 小明"
inst_win="$profile_win"'\AppData\Local\Programs\WattDial'
inst="$profile/AppData/Local/Programs/WattDial"
saver_win="$inst_win"'\WattDial.scr'
start_menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/WattDial"
earlier='C:\windows\system32\Earlier Saver.scr'

# reg_value KEY NAME: the value's data, or "<none>" when there is no such value.
reg_value() {
  local out
  out=$(run_wine reg query "$1" /v "$2" 2>/dev/null | iconv -f "$console_charset" -t UTF-8 | tr -d '\r') ||
    true
  local line
  line=$(printf '%s\n' "$out" | grep -m1 "^    $2    REG_" || true)
  if [ -z "$line" ]; then
    echo "<none>"
  else
    printf '%s\n' "$line" | sed "s/^    $2    REG_[A-Z_]*    //; s/^    $2    REG_[A-Z_]*\$//"
  fi
}
reg_set() { reg_add "$1" /v "$2" /d "$3"; }
reg_delete() { run_wine reg delete "$1" /v "$2" /f >/dev/null 2>&1 || true; }

# expect_reg KEY NAME DATA ("<none>": no such value)
expect_reg() {
  local got
  got=$(reg_value "$1" "$2")
  [ "$got" = "$3" ] || fail "$1 $2 is '$got', not '$3'"
}

# The user's shell folders in the profile "王 小明", as Windows gives them.
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
mkdir -p "$profile/AppData/Local" "$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
reg_add "$shell_folders" /v "Local AppData" /t REG_EXPAND_SZ /d "$profile_win"'\AppData\Local'
reg_add "$shell_folders" /v "Programs" /t REG_EXPAND_SZ \
  /d "$profile_win"'\AppData\Roaming\Microsoft\Windows\Start Menu\Programs'

install() {
  local code=0
  run_wine "$setup_exe" /S >"$work/setup.log" 2>&1 || code=$?
  [ "$code" = 0 ] || fail "the silent install ended with code $code"
}

# uninstall [SWITCHES...]: the quiet uninstall string, as a deployment tool runs it. The
# uninstaller hands over to a copy of itself and returns at once: wait for the copy.
uninstall() {
  local quiet code=0
  quiet=$(reg_value "$uninstall_key" QuietUninstallString)
  [ "$quiet" = "\"$inst_win\\Uninstall.exe\" /S" ] || fail "QuietUninstallString is '$quiet'"
  run_wine "$inst/Uninstall.exe" /S "$@" >"$work/uninstall.log" 2>&1 || code=$?
  [ "$code" = 0 ] || fail "the silent uninstall ended with code $code"
  local deadline=$((SECONDS + 30))
  while [ -e "$inst/Uninstall.exe" ] || [ -e "$inst/WattDial.scr" ]; do
    ((SECONDS < deadline)) || fail "the uninstaller left the program after 30 s"
    sleep 0.3
  done
  while [ "$(reg_value "$uninstall_key" DisplayName)" != "<none>" ]; do
    ((SECONDS < deadline)) || fail "the uninstaller left its key after 30 s"
    sleep 0.3
  done
  # Its last steps (restoring the saver, the start menu) come before the key goes;
  # let the copy end before the registry is read.
  sleep 1
}

# utf16_in FILE TEXT: FILE holds TEXT in UTF-16LE (how a shortcut keeps its arguments).
utf16_in() {
  python3 - "$1" "$2" <<'EOF'
import sys
sys.exit(0 if sys.argv[2].encode("utf-16-le") in open(sys.argv[1], "rb").read() else 1)
EOF
}

# -- The earlier saver, switched off, with a timeout of the user's own.
reg_set "$desktop" SCRNSAVE.EXE "$earlier"
reg_set "$desktop" ScreenSaveActive 0
reg_set "$desktop" ScreenSaveTimeOut 300

install
for f in WattDial.scr earth.swf Uninstall.exe; do
  [ -f "$inst/$f" ] || fail "no $f in $inst: $(ls "$inst" 2>&1)"
done
cmp -s "$inst/WattDial.scr" "$scr_source" || fail "the installed WattDial.scr is not the one built"
cmp -s "$inst/earth.swf" "$root/resources/earth.swf" || fail "the installed earth.swf differs"
[ ! -e "$inst/WattDial.INI" ] || fail "the installer wrote a WattDial.INI"

expect_reg "$desktop" SCRNSAVE.EXE "$saver_win"
expect_reg "$desktop" ScreenSaveActive 1
expect_reg "$desktop" ScreenSaveTimeOut 300
expect_reg "$uninstall_key" EarlierScreenSaver "$earlier"
expect_reg "$uninstall_key" EarlierScreenSaveActive 0
while IFS='|' read -r name data; do
  expect_reg "$uninstall_key" "$name" "$data"
done <<EOF
DisplayName|WattDial
DisplayVersion|$version
Publisher|WattDial
DisplayIcon|$saver_win,0
InstallLocation|$inst_win
UninstallString|"$inst_win\\Uninstall.exe"
QuietUninstallString|"$inst_win\\Uninstall.exe" /S
EOF
size=$(reg_value "$uninstall_key" EstimatedSize)
# In KB: the saver alone is more than 1 MB.
(($(printf '%d' "$size") > 1024)) || fail "EstimatedSize is $size"

settings_link="$start_menu/WattDial 設定.lnk"
select_link="$start_menu/將 WattDial 設為螢幕保護程式.lnk"
[ -f "$settings_link" ] || fail "no settings entry in the Start menu: $(ls "$start_menu" 2>&1)"
[ -f "$select_link" ] || fail "no entry that selects the saver: $(ls "$start_menu" 2>&1)"
utf16_in "$settings_link" "/c" || fail "the settings entry does not run /c"
utf16_in "$settings_link" "$saver_win" || fail "the settings entry does not run the installed saver"
utf16_in "$select_link" "desk.cpl,InstallScreenSaver $saver_win" ||
  fail "the entry that selects the saver does not run desk.cpl,InstallScreenSaver"

# -- The installed saver runs from there and keeps its INI beside itself.
scr="$inst/WattDial.scr"
xdo mousemove 640 512
start_saver /s
wait_for_windows FormMain 1
sleep 1
move 642 510
move 700 600
[ "$(wait_saver_exit 15)" = 0 ] || fail "the installed saver did not end with code 0"
grep -q '^FromDate=' "$inst/WattDial.INI" 2>/dev/null ||
  fail "the installed saver wrote no FromDate beside itself: $(ls "$inst")"

# -- Installing again upgrades in place and keeps the settings and statistics.
printf '[Parameters]\r\nWatts=321\r\n' >>"$inst/WattDial.INI"
head -c 568 /dev/zero >"$inst/MYREC.FIL"
ini_sum=$(md5sum <"$inst/WattDial.INI")
install
[ "$(md5sum <"$inst/WattDial.INI")" = "$ini_sum" ] || fail "installing again changed WattDial.INI"
[ "$(stat -c %s "$inst/MYREC.FIL")" = 568 ] || fail "installing again changed MYREC.FIL"
expect_reg "$desktop" SCRNSAVE.EXE "$saver_win"
expect_reg "$uninstall_key" EarlierScreenSaver "$earlier"
expect_reg "$uninstall_key" EarlierScreenSaveActive 0

# -- Uninstalling removes the program and puts the earlier saver back, settings kept.
uninstall
for f in WattDial.scr earth.swf Uninstall.exe; do
  [ ! -e "$inst/$f" ] || fail "the uninstaller left $f"
done
[ "$(md5sum <"$inst/WattDial.INI")" = "$ini_sum" ] || fail "the uninstaller changed WattDial.INI"
[ -f "$inst/MYREC.FIL" ] || fail "the uninstaller removed MYREC.FIL"
[ ! -e "$start_menu" ] || fail "the uninstaller left the Start menu entries: $(ls "$start_menu")"
expect_reg "$desktop" SCRNSAVE.EXE "$earlier"
expect_reg "$desktop" ScreenSaveActive 0
expect_reg "$desktop" ScreenSaveTimeOut 300

# -- One case a line: the saver and the timeout before installing ("-": none), the
# timeout after installing, the saver chosen after installing ("-": WattDial stays),
# the uninstaller's switches, then the saver and ScreenSaveActive after uninstalling
# and whether the INI remains.
rm -rf "$inst"
newer='C:\windows\system32\Newer Saver.scr'
while IFS='|' read -r name before timeout timeout_after since switches after active ini; do
  if [ "$before" = - ]; then
    reg_delete "$desktop" SCRNSAVE.EXE
  else
    reg_set "$desktop" SCRNSAVE.EXE "$before"
  fi
  if [ "$timeout" = - ]; then
    reg_delete "$desktop" ScreenSaveTimeOut
  else
    reg_set "$desktop" ScreenSaveTimeOut "$timeout"
  fi
  reg_set "$desktop" ScreenSaveActive 1
  install
  expect_reg "$desktop" SCRNSAVE.EXE "$saver_win"
  expect_reg "$desktop" ScreenSaveTimeOut "$timeout_after"
  printf '[Form]\r\nPageIndex=0\r\n' >"$inst/WattDial.INI"
  head -c 568 /dev/zero >"$inst/MYREC.FIL"
  [ "$since" = - ] || reg_set "$desktop" SCRNSAVE.EXE "$since"
  # shellcheck disable=SC2086 # the switches are words
  uninstall $switches
  expect_reg "$desktop" SCRNSAVE.EXE "$after"
  expect_reg "$desktop" ScreenSaveActive "$active"
  if [ "$ini" = kept ]; then
    [ -f "$inst/WattDial.INI" ] && [ -f "$inst/MYREC.FIL" ] || fail "$name: the settings went"
  else
    # The folder goes last, after the key.
    deadline=$((SECONDS + 10))
    while [ -e "$inst" ] && ((SECONDS < deadline)); do sleep 0.3; done
    [ ! -e "$inst" ] || fail "$name: $inst remains: $(ls "$inst")"
  fi
  rm -rf "$inst"
done <<EOF
no saver before|-|-|600|-||<none>|0|kept
a saver chosen since|$earlier|60|60|$newer||$newer|1|kept
settings removed too|$earlier|0|600|-|/REMOVESETTINGS|$earlier|1|removed
EOF

echo "installer: silent install, upgrade and uninstall for '$profile_win' OK"
