#!/bin/sh
# Every test, from a fresh Debian 12 machine: installs what the tests need, builds with
# warnings as errors, and runs the unit and end-to-end tests.
set -eu
cd "$(dirname "$0")"

scripts/install-deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSORVANE_WERROR=ON >/dev/null
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
