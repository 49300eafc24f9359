#!/usr/bin/env bash
# CPU share of the running Vemora.exe under Wine: after a warm-up, RUNS
# consecutive windows of SECONDS each (defaults 60 and 1), the time on a CPU
# of all threads of the clock's process (the scheduler's nanoseconds from
# /proc; the 10 ms ticks of user + system time are too coarse for a share of
# a few tenths of a per cent), and of the Wine server it talks to, against the
# wall time; the median of the windows when there are several.
# The machine's load average is printed beside each window, since other
# processes slow the clock's own work down.
#   bench/cpu_share.sh [SECONDS] [RUNS]
# VEMORA_EXE measures another build of the program (default build/win/Vemora.exe);
# VEMORA_DISPLAY names the virtual display to start (default a random one).
# VEMORA_OPTIONS adds lines to the clock's clockset.ini, e.g. 'HideFullScreen=0'
# (several separated by spaces).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
runs=${2:-1}
exe=${VEMORA_EXE:-build/win/Vemora.exe}
export VEMORA_WINEPREFIX="$PWD/build/win/wineprefix"
run=$(mktemp -d)
cp "$exe" "$run/Vemora.exe"
{ printf '[Option]\r\nwake=1\r\n'; for option in ${VEMORA_OPTIONS:-}; do printf '%s\r\n' "$option"; done; } > "$run/clockset.ini"
display=${VEMORA_DISPLAY:-:$((80 + RANDOM % 9))}
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null || true; WINEPREFIX="$VEMORA_WINEPREFIX" wineserver -k 2>/dev/null || true; rm -rf "$run"; }
trap cleanup EXIT
sleep 1
DISPLAY=$display cmake/wine-run.sh "$run/Vemora.exe" &
sleep 8
# Other Wine programs may run on the machine: take the clock and the server of
# this prefix only.
of_prefix() {
    while read -r p; do
        tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$VEMORA_WINEPREFIX" && echo "$p"
    done
}
pid=$(pgrep -f 'Vemora.exe' | while read -r p; do grep -qs 'Vemora' "/proc/$p/comm" && echo "$p"; done | of_prefix | head -n 1)
server=$(pgrep -x 'wineserver|wineserver64' | of_prefix | head -n 1 || true)
[ -n "$pid" ] || { echo "Vemora.exe did not start"; exit 1; }
# Nanoseconds on a CPU of all the process's threads.
ticks() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d\n", s }'; }
hz=1000000000
rss0=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
results=()
for ((i = 1; i <= runs; i++)); do
    c0=$(ticks "$pid"); s0=$( [ -n "$server" ] && ticks "$server" || echo 0); t0=$(date +%s.%N)
    sleep "$seconds"
    c1=$(ticks "$pid"); s1=$( [ -n "$server" ] && ticks "$server" || echo 0); t1=$(date +%s.%N)
    load=$(cut -d' ' -f1 /proc/loadavg)
    results+=("$(python3 -c 'import sys
c0, c1, s0, s1, t0, t1, hz = map(float, sys.argv[1:])
w = t1 - t0
print(f"{100 * (c1 - c0) / hz / w:.3f} {100 * (s1 - s0) / hz / w:.3f} {w:.1f} {(c1 - c0) / hz:.3f}")' \
        "$c0" "$c1" "$s0" "$s1" "$t0" "$t1" "$hz") $load")
    read -r clock srv wall cpu ld <<< "${results[-1]}"
    echo "window $i: wall $wall s; Vemora.exe CPU $cpu s = $clock% of one core; wineserver $srv%; load average $ld"
done
rss1=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
printf '%s\n' "${results[@]}" | python3 -c 'import sys, statistics
rows = [list(map(float, l.split())) for l in sys.stdin if l.strip()]
if len(rows) > 1:
    m = lambda k: statistics.median(r[k] for r in rows)
    print(f"median of {len(rows)} windows: Vemora.exe {m(0):.3f}% of one core; wineserver {m(1):.3f}%; load average {m(4):.2f}")'
awk -v a="$rss0" -v b="$rss1" 'BEGIN { printf "resident memory: %.1f MiB after warm-up, %.1f MiB at the end\n", a / 1024, b / 1024 }'
