#!/usr/bin/env bash
# Builds the fuzz corpus replays and the pure-logic tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ and runs them (a few minutes on 2 cores).
set -euo pipefail
cd "$(dirname "$0")/.."
tests=(fuzz_replay_settings fuzz_replay_identification fuzz_replay_registervalues fuzz_replay_decimal
       fuzz_replay_simframes inifile_test conventions_test tmbcommaster_values calc_math_test
       tst_simdevices tst_simlimits)
targets=(fuzz_settings_replay fuzz_identification_replay fuzz_registervalues_replay fuzz_decimal_replay
         fuzz_simframes_replay inifile_test conventions_test tmbcommaster_values calc_math_test
         tst_simdevices tst_simlimits)
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
      -DQTM_SANITIZE=ON -DQTM_BUILD_TESTS=ON -DQTM_BUILD_PERF=OFF >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target "${targets[@]}"
cd build-sanitize
regex="^($(IFS='|'; echo "${tests[*]}"))\$"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
QT_QPA_PLATFORM=offscreen ctest -R "$regex" --no-tests=error --output-on-failure -j"$(nproc)" --timeout 300
