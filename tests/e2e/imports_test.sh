#!/usr/bin/env bash
# WattDial.scr starts on Windows 7 SP1: every function it imports, its own calls and
# those of the C and C++ runtimes linked into it, is on windows7_imports.txt, the
# functions Windows 7 SP1 has by the minimum supported client in Microsoft's
# documentation. A new import fails here until it is added there on purpose; what
# only newer systems have is looked up at run time instead (platform/dpi.h).
set -euo pipefail
scr=${1:?usage: $0 PATH/TO/WattDial.scr [ALLOW-LIST]}
list=${2:-$(dirname "$0")/windows7_imports.txt}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The list: "DLL FUNCTION MINIMUM-CLIENT" lines; the minimum is 2000, XP, Vista or 7,
# or crt for Windows' own C runtime (msvcrt.dll, in every 64-bit Windows).
allowed=$(grep -v '^\s*\(#\|$\)' "$list" | awk '
  NF != 3 { print "bad line: " $0; next }
  $3 !~ /^(2000|XP|Vista|7|crt)$/ { print "not on Windows 7: " $0; next }
  { print toupper($1) " " $2 }') || true
bad=$(grep -E '^(bad line|not on Windows 7): ' <<<"$allowed" || true)
[ -z "$bad" ] || fail "$list: $bad"

# objdump's import tables: a "DLL Name:" line, then one line per function with its
# hint and name (an import by ordinal has no name).
imports=$(x86_64-w64-mingw32-objdump -p "$scr" | awk '
  /^\tDLL Name: / { dll = toupper($3); next }
  dll != "" && /^\t[0-9a-f]+\t/ { print dll " " $NF }
  /^ [0-9a-f]+\t/ { dll = "" }' | sort -u)
count=$(grep -c . <<<"$imports" || true)
((count > 100)) || fail "only $count imports read: objdump's format changed?"

missing=$(comm -23 <(printf '%s\n' "$imports") <(printf '%s\n' "$allowed" | sort -u))
[ -z "$missing" ] || fail "imports not on $(basename "$list") (not known to exist on Windows 7 SP1):
$missing"
echo "imports: all $count imports of $(basename "$scr") are on $(basename "$list")"
