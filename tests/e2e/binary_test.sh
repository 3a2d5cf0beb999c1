#!/usr/bin/env bash
# WattDial.scr is a 64-bit Windows GUI program that needs no DLL beside it (only
# the system's own), and carries its manifest, version information and icon. It ships
# stripped, under 3 MB, and names the debug file the build keeps beside it.
set -euo pipefail
scr=${1:?usage: $0 PATH/TO/WattDial.scr}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

headers=$(x86_64-w64-mingw32-objdump -p "$scr")
grep -q 'Magic.*(PE32+)' <<<"$headers" || fail "not a PE32+ executable"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"
size=$(stat -c %s "$scr")
((size < 3000000)) || fail "$size bytes, not under 3 MB"
sections=$(x86_64-w64-mingw32-objdump -h "$scr" | awk '$1 ~ /^[0-9]+$/ { print $2 }')
! grep -q '^\.debug_' <<<"$sections" || fail "debug sections left: $(grep '^\.debug_' <<<"$sections" | tr '\n' ' ')"
grep -qx '\.gnu_debuglink' <<<"$sections" || fail "no debug link"
debug_file="$scr.debug"
debug_name=$(basename "$debug_file")
# The link: the file's name, padded with zeros, then a checksum of the file.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
x86_64-w64-mingw32-objcopy --dump-section .gnu_debuglink="$tmp/link" "$scr" "$tmp/copy"
link=$(head -c "${#debug_name}" "$tmp/link")
[ "$link" = "$debug_name" ] || fail "the debug link names '$link', not $debug_name"
if [ -f "$debug_file" ]; then
  x86_64-w64-mingw32-objdump -h "$debug_file" | grep -q ' \.debug_info ' ||
    fail "$debug_file holds no debug information"
  # A debugger takes the file only when its CRC-32 is the one in the link.
  python3 -c 'import sys, zlib
link = open(sys.argv[1], "rb").read()
crc = zlib.crc32(open(sys.argv[2], "rb").read())
sys.exit(0 if int.from_bytes(link[-4:], "little") == crc else 1)' "$tmp/link" "$debug_file" ||
    fail "the debug link's checksum is not that of $debug_file"
fi
system_dlls='^(ADVAPI32|BCRYPT|COMCTL32|GDI32|GDIPLUS|KERNEL32|MSVCRT|OLE32|SHELL32|USER32|WEVTAPI|WS2_32)\.DLL$'
while read -r dll; do
  grep -qE "$system_dlls" <<<"${dll^^}" || fail "needs $dll beside it"
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")

# The saver never keeps the display on: the power plan must still turn it off.
imports=$(sed -n 's/^\s*[0-9a-f]*\s*[0-9]*\s*\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' <<<"$headers")
grep -q 'CreateMutexA' <<<"$imports" || fail "the import list could not be read"
for call in SetThreadExecutionState PowerSetRequest PowerCreateRequest; do
  ! grep -qx "$call" <<<"$imports" || fail "imports $call, which can keep the display on"
done

grep -qa 'Microsoft.Windows.Common-Controls' "$scr" || fail "no Common Controls 6 manifest"
grep -qa 'PerMonitorV2' "$scr" || fail "the manifest asks for no per-monitor DPI awareness"
grep -qa 'asInvoker' "$scr" || fail "the manifest asks for no execution level"
# Version strings are UTF-16 in the resources.
grep -qaP 'O\0r\0i\0g\0i\0n\0a\0l\0F\0i\0l\0e\0n\0a\0m\0e\0' "$scr" || fail "no version information"
grep -qaP 'W\0a\0t\0t\0D\0i\0a\0l\0\.\0s\0c\0r\0' "$scr" || fail "no original file name"
echo "binary: PE32+ GUI, system DLLs only, manifest and version information present"
