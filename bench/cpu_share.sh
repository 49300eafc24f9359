#!/usr/bin/env bash
# CPU share of the running Vemora.exe under Wine over N seconds (default 60),
# after a warm-up: user + system time of the clock's process from /proc, and of
# the Wine server it talks to, against the wall time.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
export VEMORA_WINEPREFIX="$PWD/build/win/wineprefix"
run=$(mktemp -d)
cp build/win/Vemora.exe "$run/"
printf '[Option]\r\nwake=1\r\n' > "$run/clockset.ini"
display=:$((80 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null || true; WINEPREFIX="$VEMORA_WINEPREFIX" wineserver -k 2>/dev/null || true; rm -rf "$run"; }
trap cleanup EXIT
sleep 1
DISPLAY=$display cmake/wine-run.sh "$run/Vemora.exe" &
sleep 8
pid=$(pgrep -f 'Vemora.exe' | while read -r p; do [ -r "/proc/$p/stat" ] && grep -q 'Vemora' "/proc/$p/comm" && echo "$p"; done | head -n 1)
server=$(pgrep -x wineserver | head -n 1 || true)
[ -n "$pid" ] || { echo "Vemora.exe did not start"; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
c0=$(ticks "$pid"); s0=$( [ -n "$server" ] && ticks "$server" || echo 0); t0=$(date +%s.%N)
rss0=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
sleep "$seconds"
c1=$(ticks "$pid"); s1=$( [ -n "$server" ] && ticks "$server" || echo 0); t1=$(date +%s.%N)
rss1=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
python3 - "$c0" "$c1" "$s0" "$s1" "$t0" "$t1" "$hz" "$rss0" "$rss1" <<'PY'
import sys
c0, c1, s0, s1, t0, t1, hz, r0, r1 = map(float, sys.argv[1:])
wall = t1 - t0
print(f"wall {wall:.1f} s; Vemora.exe CPU {(c1 - c0) / hz:.2f} s = {100 * (c1 - c0) / hz / wall:.2f}% of one core;"
      f" wineserver {100 * (s1 - s0) / hz / wall:.2f}%")
print(f"resident memory: {r0 / 1024:.1f} MiB after warm-up, {r1 / 1024:.1f} MiB at the end")
PY
