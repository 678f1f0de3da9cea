#!/bin/sh
# Every test, from a fresh Debian 12 machine: installs what the tests need, builds with
# warnings as errors, runs the unit and end-to-end tests, then cross-builds the Windows
# programs and tests the real window under Wine.
set -eu
cd "$(dirname "$0")"
jobs=$(nproc)

scripts/install-deps.sh test

echo "== Linux build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSORVANE_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"
[ -f build/firmware-flash.txt ] && cat build/firmware-flash.txt

echo "== Windows build (MinGW-w64) and the window under Wine"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DSORVANE_WERROR=ON >/dev/null
cmake --build build-win -j "$jobs"
tests/wine/run-window-test.sh build-win

echo "== All tests passed"
