#!/bin/bash
# Builds the normal configuration with the benchmarks and runs every
# benchmark program found in build/normal/bench; the results go to stdout.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/normal -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSERVER_WERROR=ON \
  -DSERVER_BENCHMARKS=ON "${launcher[@]}" >&2
cmake --build build/normal -j "$(nproc)" >&2
found=0
for program in build/normal/bench/*_bench; do
  [ -x "$program" ] || continue
  found=1
  echo "=== $(basename "$program")"
  "$program"
done
if [ "$found" = 0 ]; then
  echo "no benchmark programs in build/normal/bench (is libbenchmark-dev installed?)" >&2
  exit 1
fi
