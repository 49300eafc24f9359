#!/usr/bin/env bash
# Builds Vemora.exe and starts it under Wine, in the build tree's own prefix;
# without a display it runs on a virtual one. Its clockset.ini lies beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --win-only
export VEMORA_WINEPREFIX="$PWD/build/win/wineprefix"
exec cmake/wine-run.sh build/win/Vemora.exe
