#!/usr/bin/env bash
# Runs a Windows program of the build under Wine in the test environment:
# the build tree's own prefix, a Chinese locale (ANSI code page 936),
# Shanghai time, and a virtual display when there is none.
set -eu
: "${VEMORA_WINEPREFIX:?}"
export WINEPREFIX="$VEMORA_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
export TZ="${VEMORA_TZ:-Asia/Shanghai}"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
