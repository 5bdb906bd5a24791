#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test suite: the tests that run
# threads once more under ThreadSanitizer, then the whole suite. The GUI and end-to-end tests start private
# Xvfb servers of their own, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

cmake --preset tsan >/dev/null
cmake --build --preset tsan --target chase_gui_tests
ctest --preset tsan -L tsan

cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
