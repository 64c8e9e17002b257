#!/usr/bin/env bash
# Builds the benchmarks optimised and without sanitizers, and prints their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTQ214_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" --target update_benchmark station_benchmark >/dev/null
./build/bench/bench/update_benchmark --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
# Several enclosures side by side, at a real chip's pace per piece.
./build/bench/bench/station_benchmark --benchmark_filter='BM_UpdateSideBySide/[0-9]+/20' "$@"
