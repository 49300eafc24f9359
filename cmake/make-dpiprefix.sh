#!/usr/bin/env bash
# Makes a copy of the tests' Wine prefix whose screen has another resolution:
# Wine takes it from the prefix's LogPixels, read when its server starts.
set -eu
base=$1 prefix=$2 dpi=$3 stamp=$4
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 TZ=Asia/Shanghai
WINEPREFIX="$base" wineserver -w # the base prefix's registry is on disk
rm -rf "$prefix"
cp -a "$base" "$prefix"
export WINEPREFIX="$prefix"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
