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
# The forecast service's answer, served from the fixtures on a local port
# (the file stands at the request's path; the query is not looked at). The
# horoscope is the one the program writes itself.
site="$run/site"
mkdir -p "$site/v1"
cp tests/fixtures/forecast/forecast-beijing.json "$site/v1/forecast"
port=$((20000 + RANDOM % 20000))
(cd "$site" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
web=$!
printf '[Option]\r\nweather=1\r\nshowxz=1\r\nXingzuo=0\r\nwake=0\r\nPlace=%s\r\nLatitude=32.0603\r\nLongitude=118.7969\r\nForecastApi=http://127.0.0.1:%s\r\n' \
    "$(printf '南京' | iconv -f UTF-8 -t GBK)" "$port" > "$run/clockset.ini"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb $web 2>/dev/null; rm -rf "$run"' EXIT
sleep 1
# shoot PREFIX PICTURE CROP: the running program in that Wine prefix, cropped.
shoot() {
    VEMORA_WINEPREFIX=$1 DISPLAY=$display cmake/wine-run.sh "$run/Vemora.exe" &
    sleep "${VEMORA_SNAPSHOT_WAIT:-6}"
    DISPLAY=$display import -window root "$docs/screen-full.png"
    convert "$docs/screen-full.png" -crop "$3" +repage "$2"
    rm -f "$docs/screen-full.png"
    WINEPREFIX="$1" wineserver -k || true
    sleep 1
}
shoot "$VEMORA_WINEPREFIX" "$docs/screenshot-clock.png" 600x620+680+0
# The same on a screen of 144 pixels per inch (the build's prefix with LogPixels 144).
shoot "$VEMORA_WINEPREFIX-144" "$docs/clock-144dpi.png" 680x900+600+0
