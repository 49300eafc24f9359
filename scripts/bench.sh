#!/usr/bin/env bash
# Runs the benchmarks whose figures stand in docs/performance.md: the core
# natively (optimised, no sanitizers), rendering and ticking under Wine, and
# the CPU share of the running Vemora.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMORA_SANITIZE=OFF >/dev/null
cmake --build build/bench --target vemora_bench
bash scripts/build.sh --win-only >/dev/null
echo "== core (native)"
build/bench/vemora_bench --benchmark_repetitions="${VEMORA_BENCH_REPS:-5}" --benchmark_report_aggregates_only=true
echo "== rendering and ticking (Wine)"
export VEMORA_WINEPREFIX="$PWD/build/win/wineprefix"
cmake/wine-run.sh build/win/vemora_winbench.exe
echo "== CPU share of the running clock (Wine)"
bash bench/cpu_share.sh "${VEMORA_CPU_SECONDS:-60}"
