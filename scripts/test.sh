#!/usr/bin/env bash
# Builds everything and runs every test: the core natively (with sanitizers),
# then the Windows tests and the end-to-end runs of Vemora.exe under Wine on
# one virtual display. --soak-minutes N lengthens the soak run.
set -euo pipefail
cd "$(dirname "$0")/.."
while [ $# -gt 0 ]; do
    case "$1" in
    --soak-minutes) export VEMORA_SOAK_MINUTES="$2"; shift 2 ;;
    *) echo "usage: scripts/test.sh [--soak-minutes N]" >&2; exit 2 ;;
    esac
done
bash scripts/build.sh
status=0
echo "== core tests (native)"
ctest --preset native -j "$(nproc)" || status=1
echo "== Windows tests (Wine)"
# One Wine server and its services for the whole run, started here with their
# output going nowhere: started by a test, they would hold that test's output
# pipe open, and ctest would wait for them as long as they live.
wineserver_bin=$(command -v wineserver || true)
if [ -n "$wineserver_bin" ]; then
    WINEPREFIX="$PWD/build/win/wineprefix" "$wineserver_bin" -p </dev/null >/dev/null 2>&1 || true
    VEMORA_WINEPREFIX="$PWD/build/win/wineprefix" xvfb-run -a cmake/wine-run.sh wineboot </dev/null >/dev/null 2>&1 || true
fi
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win -j 2 || status=1
[ -n "$wineserver_bin" ] && WINEPREFIX="$PWD/build/win/wineprefix" "$wineserver_bin" -k 2>/dev/null || true
if [ "$status" -eq 0 ]; then echo "== all tests passed"; else echo "== some tests FAILED"; fi
exit "$status"
