#!/usr/bin/env bash
# dist/ as the Windows tree makes it: SHA256SUMS checks out; the program in it, and in
# the portable zip, is the stripped WattDial.scr the tests run; the zip holds the
# program, the movie and the text on installing by hand, in one folder, sorted.
set -euo pipefail
dist=${1:?usage: $0 DIST-FOLDER PATH/TO/WattDial.scr}
scr=${2:?usage: $0 DIST-FOLDER PATH/TO/WattDial.scr}
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not check out"
listed=$(awk '{ print $2 }' "$dist/SHA256SUMS" | tr '\n' ' ')
on_disk=$(cd "$dist" && ls | grep -vx SHA256SUMS | sort | tr '\n' ' ')
[ "$listed" = "$on_disk" ] || fail "SHA256SUMS lists '$listed', dist/ holds '$on_disk'"
cmp -s "$dist/WattDial.scr" "$scr" || fail "dist/WattDial.scr is not the program the tests run"
! ls "$dist" | grep -q '\.debug$' || fail "a debug file in dist/"

zips=("$dist"/WattDial-*-x64.zip)
[ ${#zips[@]} = 1 ] && [ -f "${zips[0]}" ] || fail "no single portable zip in $dist"
python3 - "${zips[0]}" "$scr" "$root/resources/earth.swf" <<'PY' || fail "the portable zip"
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
names = archive.namelist()
expected = ["WattDial/README.txt", "WattDial/WattDial.scr", "WattDial/earth.swf"]
if names != expected:
    sys.exit(f"entries {names}, not {expected}")
if archive.read("WattDial/WattDial.scr") != open(sys.argv[2], "rb").read():
    sys.exit("its WattDial.scr is not the program")
if archive.read("WattDial/earth.swf") != open(sys.argv[3], "rb").read():
    sys.exit("its earth.swf is not the movie")
text = archive.read("WattDial/README.txt").decode("utf-8-sig")
for words in ("Install", "安裝", "Windows 7 SP1"):
    if words not in text:
        sys.exit(f"README.txt does not say {words!r}")
if len({entry.date_time for entry in archive.infolist()}) != 1:
    sys.exit("its entries carry different times")
PY
echo "dist: SHA256SUMS, the shipped program and the portable zip OK"
