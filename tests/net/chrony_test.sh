#!/usr/bin/env bash
# Runs the time client (a Windows test program, under Wine) against Debian's chronyd
# on 127.0.0.1. chronyd is started here on a free high port with -x, so it never
# touches the computer's clock, and with "local stratum" so it answers while it has
# no time source of its own. It is stopped however the test ends.
#
# usage: chrony_test.sh TEST_EXE [TZ]
set -euo pipefail

exe=$1
zone=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
chronyd=$(command -v chronyd || echo /usr/sbin/chronyd)
if [ ! -x "$chronyd" ]; then
  echo "chrony_test: chronyd is not installed (scripts/setup installs it)" >&2
  exit 1
fi
if [ -z "${WINEPREFIX:-}" ]; then
  # shellcheck source=/dev/null
  source "$root/scripts/wine-env"
  wd_wine_start
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/wd-chrony.XXXXXX")
pid=
stop_chronyd() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
  fi
}
client=
cleanup() {
  [ -n "$client" ] && kill "$client" 2>/dev/null
  stop_chronyd
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

# A free UDP port of 127.0.0.1, as the system hands one out.
free_port() {
  python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# True when an NTP server answers a client request on 127.0.0.1:$1 within a second.
answers() {
  python3 - "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(1.0)
s.sendto(b"\x1b" + bytes(47), ("127.0.0.1", int(sys.argv[1])))
try:
    data, _ = s.recvfrom(512)
except OSError:
    sys.exit(1)
sys.exit(0 if len(data) >= 48 else 1)
PY
}

user_args=(-u "$(id -un)")
[ "$(id -u)" -ne 0 ] && user_args+=(-U)

# Another test may take the port between choosing and binding it: try a few.
port=
for attempt in 1 2 3 4 5; do
  candidate=$(free_port)
  cat >"$dir/chrony.conf" <<CONF
port $candidate
bindaddress 127.0.0.1
allow 127.0.0.1
local stratum 8
cmdport 0
pidfile $dir/chronyd.pid
driftfile $dir/chrony.drift
CONF
  # The time limit ends chronyd even if this script is killed before its trap runs.
  timeout 300 "$chronyd" -x -d -f "$dir/chrony.conf" "${user_args[@]}" >"$dir/chronyd.log" 2>&1 &
  pid=$!
  for _ in $(seq 20); do
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    if answers "$candidate"; then
      port=$candidate
      break
    fi
    sleep 0.2
  done
  [ -n "$port" ] && break
  echo "chrony_test: chronyd did not answer on port $candidate (attempt $attempt)" >&2
  cat "$dir/chronyd.log" >&2
  stop_chronyd
done
if [ -z "$port" ]; then
  echo "chrony_test: could not start chronyd" >&2
  exit 1
fi
echo "chrony_test: chronyd answers on 127.0.0.1:$port"

env_args=(WD_CHRONY_PORT="$port")
if [ -n "$zone" ]; then
  # The client converts with the time zone Wine reports; check it took the one given.
  minutes=$(TZ=$zone python3 -c 'import time; print(-time.localtime().tm_gmtoff // 60)')
  env_args+=(TZ="$zone" WD_EXPECT_BIAS_MINUTES="$minutes")
fi
# In the background, so that a signal reaches the traps at once.
env "${env_args[@]}" "$root/scripts/wine-run" "$exe" --gtest_filter='ChronyServer.*' &
client=$!
status=0
wait "$client" || status=$?
client=
exit "$status"
