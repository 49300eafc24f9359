#!/usr/bin/env bash
# Makes the pictures in docs/: the renderers' own images composited by the
# snapshot tests, and a screenshot of the running Vemora.exe on a virtual
# display (without a compositor its layered windows show over black there).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --win-only
export VEMORA_WINEPREFIX="$PWD/build/win/wineprefix"
docs="$PWD/docs"
mkdir -p "$docs"
VEMORA_SNAPSHOTS="Z:${docs//\//\\}" cmake/wine-run.sh build/win/vemora_wintests.exe --gtest_filter='Snapshots*:HoroscopeSheet*'

run=$(mktemp -d)
cp build/win/Vemora.exe "$run/"
printf '[Option]\r\n%s' "${VEMORA_SNAPSHOT_INI:-}" > "$run/clockset.ini"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$run"' EXIT
sleep 1
DISPLAY=$display cmake/wine-run.sh "$run/Vemora.exe" &
sleep "${VEMORA_SNAPSHOT_WAIT:-6}"
DISPLAY=$display import -window root "$docs/screen-full.png"
convert "$docs/screen-full.png" -crop 560x420+720+0 +repage "$docs/screenshot-clock.png"
rm -f "$docs/screen-full.png"
WINEPREFIX="$VEMORA_WINEPREFIX" wineserver -k || true
