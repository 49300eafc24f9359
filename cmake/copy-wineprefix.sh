#!/usr/bin/env bash
# Makes a copy of the tests' Wine prefix that differs in one thing. A number
# gives its screen that resolution: Wine takes it from the prefix's
# LogPixels, read when its server starts. "plainfonts" drops the font
# replacements, as Wine makes a prefix: no 宋体, no 微软雅黑, no Tahoma, and
# GDI+ without a generic sans serif.
set -eu
base=$1 prefix=$2 change=$3 stamp=$4
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 TZ=Asia/Shanghai
WINEPREFIX="$base" wineserver -w # the base prefix's registry is on disk
rm -rf "$prefix"
cp -a "$base" "$prefix"
export WINEPREFIX="$prefix"
if [ "$change" = plainfonts ]; then
    wine reg delete 'HKCU\Software\Wine\Fonts\Replacements' /f >/dev/null 2>&1 || true
else
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$change" /f >/dev/null 2>&1
fi
wineserver -w
touch "$stamp"
