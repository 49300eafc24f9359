#!/usr/bin/env bash
# Installs what is missing and builds both trees: build/native (the core and
# its tests) and build/win (Vemora.exe and the Windows tests, with MinGW).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
if [ "${1:-}" != "--win-only" ]; then
    cmake -S . -B build/native -G Ninja -DVEMORA_SANITIZE=ON >/dev/null
    cmake --build build/native -j "$jobs"
fi
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win -j "$jobs"
