#!/bin/sh
# Every test, from a fresh Debian 12 machine: installs what the tests need, builds with
# warnings as errors, runs the unit and end-to-end tests, builds the Debian package and uses
# it, cross-builds the Windows programs and tests the real window and the zip under Wine,
# runs the unit tests again under ASan and UBSan, and fuzzes every reader for a few seconds.
set -eu
cd "$(dirname "$0")"
jobs=$(nproc)

scripts/install-deps.sh test

echo "== Linux build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSORVANE_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"
[ -f build/firmware-flash.txt ] && cat build/firmware-flash.txt

echo "== The Debian package, unpacked and used, and a firmware build with its CMake package"
tests/package/deb-test.sh build

echo "== Windows build (MinGW-w64) and the window under Wine"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DSORVANE_WERROR=ON -DSORVANE_HOST_CLI="$(pwd)/build/sorvane-cli" >/dev/null
cmake --build build-win -j "$jobs"
tests/wine/run-window-test.sh build-win build

echo "== The Windows zip, unpacked and used in a fresh Wine prefix"
tests/package/zip-test.sh build-win build

echo "== The unit tests again, with AddressSanitizer and UndefinedBehaviorSanitizer"
# Built to scan without SSE2, so that the tests cover the 64-bit path of the scanner too.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANE_WERROR=ON -DSORVANE_SANITIZE=ON \
  -DSORVANE_SCAN_WITHOUT_SSE2=ON >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs"

echo "== Fuzzing every reader for a few seconds"
fuzz/run.sh 5

echo "== All tests passed"
