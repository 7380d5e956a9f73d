#!/usr/bin/env bash
# Builds the monitor and starts it against the built-in simulated bench.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DQTM_BUILD_TESTS=OFF -DQTM_BUILD_PERF=OFF
exec ./build/src/shell/qtm-monitor --demo
