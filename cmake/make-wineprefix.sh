#!/usr/bin/env bash
# Makes the Wine prefix of the tests inside the build tree: a fresh prefix,
# font replacements for the families the program asks for (Wine has neither
# SimSun nor Tahoma), then a stamp so that the next build skips all of it.
set -eu
prefix=$1 stamp=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 TZ=Asia/Shanghai
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1 || true
key='HKCU\Software\Wine\Fonts\Replacements'
# 微软雅黑 is left out on purpose: when installed it replaces the clock's font.
for family in '宋体' 'SimSun' 'Tahoma'; do
    wine reg add "$key" /v "$family" /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
done
# Unmanaged windows: without a window manager on the virtual display, Wine
# waits two seconds for every managed window it hides.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
