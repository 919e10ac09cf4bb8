#!/bin/bash
# Builds the PER decoder fuzzer with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds.
#
#   scripts/fuzz.sh [SECONDS] [JOBS] [extra libFuzzer options...]
#
# The seed corpus is fuzz/corpus/per; the inputs the fuzzer adds are kept in
# build/fuzz/corpus, and a crash reproducer lands in build/fuzz/artifacts.
# Copy a reproducer into fuzz/corpus/per once its fault is mended: the
# per_corpus_test program replays every file there in the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${2:-1}
shift $(( $# < 2 ? $# : 2 ))
cxx=${CXX_FUZZ:-clang++-14}
command -v "$cxx" >/dev/null || { echo "$cxx not found (install clang-14 and libclang-rt-14-dev)"; exit 1; }

out=build/fuzz
mkdir -p "$out/obj" "$out/corpus" "$out/artifacts"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -I.)
objects=()
for src in protocol/asn1/*.cpp fuzz/per_fuzz_types.cpp fuzz/per_fuzz_check.cpp fuzz/per_decode_fuzz.cpp; do
  obj=$out/obj/$(echo "$src" | tr / _).o
  if [[ ! -e $obj || $src -nt $obj || -n $(find protocol/asn1 fuzz -name '*.h' -newer "$obj" -print -quit) ]]; then
    "$cxx" "${flags[@]}" -c "$src" -o "$obj"
  fi
  objects+=("$obj")
done
"$cxx" -fsanitize=fuzzer,address,undefined "${objects[@]}" -o "$out/per_decode_fuzz"

workers=()
if ((jobs > 1)); then workers=(-jobs="$jobs" -workers="$jobs"); fi
seeds=$PWD/fuzz/corpus/per
cd "$out" # parallel jobs write their fuzz-N.log files here
exec ./per_decode_fuzz "${workers[@]}" -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix=artifacts/ "$@" corpus "$seeds"
