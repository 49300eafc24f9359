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
# The providers' pages, served from the fixtures on a local port.
site="$run/site"
mkdir -p "$site/skin" "$site/iframe/astro/view/aries/day"
printf '<ul><li><a href="/n">%s</a></li><li><a href="/t">%s</a></li></ul>' \
    "$(printf '南京 晴' | iconv -f UTF-8 -t GBK)" "$(printf '12℃' | iconv -f UTF-8 -t GBK)" > "$site/skin/2010-0601.html"
cp tests/fixtures/xingzuo_aries_day.html "$site/iframe/astro/view/aries/day/index.html"
port=$((20000 + RANDOM % 20000))
(cd "$site" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
web=$!
printf '[Option]\r\nweather=1\r\nshowxz=1\r\nXingzuo=0\r\nCity=NANJING\r\nWeatherHost=127.0.0.1:%s\r\nXingzuoHost=127.0.0.1:%s\r\n' \
    "$port" "$port" > "$run/clockset.ini"
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
