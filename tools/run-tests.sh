#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test suite: the thread tests (the chase, the stage,
# the endings) under ThreadSanitizer, the unit, GUI and end-to-end suites under AddressSanitizer with
# UndefinedBehaviorSanitizer and LeakSanitizer (all but the few tests timed to the show's own pace), a brief
# fuzzing pass, and finally the whole suite in a plain build with warnings
# as errors, whose summary is the last thing printed. The GUI and end-to-end tests start private Xvfb
# servers of their own, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

cmake --preset tsan >/dev/null
cmake --build --preset tsan --target heartstage close_window show_unit_tests stage_gui_tests chase_gui_tests
ctest --preset tsan -L tsan

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -LE timed

# A brief fuzzing pass over the text operations and the profile reader (about 75 s with the build).
tools/run-fuzzers.sh 15

cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
