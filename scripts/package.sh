#!/usr/bin/env bash
# Builds the release package: build/win/Vemora-<version>-win64.zip, holding
# the stripped Vemora.exe, LICENSE and 使用说明.txt, and beside it the ZIP's
# SHA-256 in Vemora-<version>-win64.zip.sha256. Installs what is missing first,
# like the other scripts; safe to repeat.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --win-only
cmake --build build/win --target package
for f in build/win/Vemora-*-win64.zip; do
    echo "== $f ($(stat -c %s "$f") bytes)"
    cat "$f.sha256"
done
