#!/usr/bin/env bash
# Installs what is missing and builds both trees of CMakePresets.json:
# build/native (the core and its tests) and build/win (Vemora.exe and the
# Windows tests, with MinGW).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
if [ "${1:-}" != "--win-only" ]; then
    cmake --preset native >/dev/null
    cmake --build --preset native -j "$jobs"
fi
cmake --preset win >/dev/null
cmake --build --preset win -j "$jobs"
