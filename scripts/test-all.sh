#!/bin/bash
# Installs what is missing, then builds and runs the whole test suite in the
# three configurations: the normal build, the sanitizer build (with plain
# char unsigned, as on the board) and the PowerPC cross build under qemu.
# Exits non-zero when any configuration fails.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1

jobs=$(nproc)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
status=0
summary=()

run_config() {
  local name=$1; shift
  local dir=build/$name
  echo "=== configuration: $name"
  if cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSERVER_WERROR=ON "${launcher[@]}" "$@" \
     && cmake --build "$dir" -j "$jobs" \
     && (cd "$dir" && ctest --output-on-failure -j "$jobs"); then
    summary+=("$name: passed")
  else
    summary+=("$name: FAILED")
    status=1
  fi
}

# The sanitizer and cross builds are there to run the tests, not to be
# debugged or timed: -O1 with line tables only halves their compile time.
light=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG")

run_config normal
run_config sanitize -DSERVER_SANITIZE=ON -DSERVER_UNSIGNED_CHAR=ON -DSERVER_BENCHMARKS=OFF "${light[@]}"
run_config ppc -DCMAKE_TOOLCHAIN_FILE=cmake/powerpc-linux-gnu.cmake -DSERVER_BENCHMARKS=OFF "${light[@]}"

printf '%s\n' "${summary[@]}"
exit $status
