#!/usr/bin/env bash
# Installs the build and test dependencies, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
bash scripts/build.sh -DQTM_BUILD_TESTS=ON -DQTM_BUILD_PERF=ON
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
