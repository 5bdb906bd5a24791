#!/usr/bin/env bash
# Installs what is missing, builds the program and starts the sample show.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/app/heartstage
