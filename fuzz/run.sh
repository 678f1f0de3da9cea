#!/bin/sh
# Builds the libFuzzer targets with clang (ASan and UBSan) and runs each for a while,
# starting from its seed corpus in fuzz/corpus/. What the fuzzer learns is kept in
# build-fuzz/corpus/, never in the repository; a crash leaves its input in build-fuzz/.
#
#   fuzz/run.sh [SECONDS]     each target for SECONDS (10 unless given)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-10}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANE_FUZZ=ON \
  -DBUILD_TESTING=OFF -DSORVANE_WERROR=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"

status=0
for target in arguments bdf font_source include_file list_text pcf scanner settings utf8 image glyph_decoder; do
  mkdir -p "build-fuzz/corpus/$target"
  if (cd build-fuzz && "./fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      "corpus/$target" "../fuzz/corpus/$target" >"fuzz_$target.log" 2>&1); then
    echo "fuzz_$target: $(grep -o 'Done [0-9]* runs' "build-fuzz/fuzz_$target.log") in ${seconds} s, no crash"
  else
    echo "fuzz_$target FAILED:"
    tail -n 30 "build-fuzz/fuzz_$target.log"
    status=1
  fi
done
exit "$status"
