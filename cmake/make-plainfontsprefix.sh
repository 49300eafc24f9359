#!/usr/bin/env bash
# Makes a copy of the tests' Wine prefix without the font replacements, as
# Wine makes a prefix: no 宋体, no 微软雅黑, no Tahoma, and GDI+ without a
# generic sans serif.
set -eu
base=$1 prefix=$2 stamp=$3
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 TZ=Asia/Shanghai
WINEPREFIX="$base" wineserver -w # the base prefix's registry is on disk
rm -rf "$prefix"
cp -a "$base" "$prefix"
export WINEPREFIX="$prefix"
wine reg delete 'HKCU\Software\Wine\Fonts\Replacements' /f >/dev/null 2>&1 || true
wineserver -w
touch "$stamp"
