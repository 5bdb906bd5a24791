#!/usr/bin/env bash
# Runs the benchmarks on private Xvfb screens against the sample show and prints their figures.
# Usage: bench/run-benchmarks.sh [RUNS]   (builds the release preset with benchmarks first)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
tools/setup.sh
cmake --preset release -DHEARTSTAGE_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset release --target scroll_bench
for screen in 1366x768 1920x1080; do
  echo "== subtitle scroll, $screen =="
  tests/with-xvfb.sh "$screen" build/release/bench/scroll_bench "$PWD/assets" "$runs" 2>/dev/null
done
