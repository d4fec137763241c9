#!/usr/bin/env bash
# Installs what is missing, checks the layout and the include direction,
# builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-deps.sh
velmora_ensure_deps

# The layout of every C++ file and the direction of the includes are checked
# first: both are quick, and both name the file to fix.
tools/check-format.sh
tools/check-includes.sh

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
cd "$BUILD_DIR"
ctest --output-on-failure -j "$(nproc)" --timeout 300
