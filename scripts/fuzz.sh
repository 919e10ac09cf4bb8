#!/bin/bash
# Builds a fuzzer with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds.
#
#   scripts/fuzz.sh [TARGET] [SECONDS] [JOBS] [extra libFuzzer options...]
#
# TARGET is one of
#   per    the PER decoder on the synthetic schema of fuzz/per_fuzz_types.h
#          (the default);
#   zuzu   the PER decoder on ZUZU::Message, the control-link message, from
#          the message classes generated out of protocol/schemas;
#   tpkt   the TPKT framing layer under a byte stream cut into reads;
#   ini    the configuration file parser, the block reader and the trace
#          switches;
#   avn    the value-notation reader on ZUZU::Message;
#   ber    the BER decoder on the synthetic schema of fuzz/per_fuzz_types.h.
# The entry of a target is fuzz/TARGET_fuzz.cpp, its check (shared with the
# corpus replay tests) in fuzz/. The seed corpus of a target is
# fuzz/corpus/TARGET; the inputs the fuzzer adds are kept in
# build/fuzz/TARGET/corpus, and a crash reproducer lands in
# build/fuzz/TARGET/artifacts. Copy a reproducer into fuzz/corpus/TARGET once
# its fault is mended: the normal test run replays every file there.
set -euo pipefail
cd "$(dirname "$0")/.."
targets="per, zuzu, tpkt, ini, avn or ber"
target=per
case ${1:-} in
  per|zuzu|tpkt|ini|avn|ber) target=$1; shift ;;
  ''|*[!0-9]*) [[ -z ${1:-} ]] || { echo "unknown fuzz target: $1 ($targets)"; exit 2; } ;;
esac
seconds=${1:-60}
jobs=${2:-1}
shift $(( $# < 2 ? $# : 2 ))
cxx=${CXX_FUZZ:-clang++-14}
command -v "$cxx" >/dev/null || { echo "$cxx not found (install clang-14 and libclang-rt-14-dev)"; exit 1; }

out=build/fuzz
mkdir -p "$out/obj" "$out/$target/corpus" "$out/$target/artifacts"
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -I.)
sources=()
headers=(fuzz)
asn1() {
  sources+=(protocol/asn1/*.cpp protocol/asn1/*/*.cpp fuzz/per_fuzz_check.cpp fuzz/per_fuzz_types.cpp)
  headers+=(protocol/asn1)
}
# The message classes, generated as the build does, into the fuzz tree.
messages() {
  local gen=$out/gen/protocol/schemas stamp=$out/gen/stamp
  if [[ ! -e $stamp || -n $(find protocol/schemas -newer "$stamp" \( -name '*.json' -o -name '*.py' \) -print -quit) ]]; then
    python3 protocol/schemas/generate.py protocol/schemas "$gen"
    touch "$stamp"
  fi
  flags+=(-I"$out/gen")
  sources+=(protocol/schemas/OpaqueType.cpp)
  for module in protocol/schemas/*.json; do sources+=("$gen/$(basename "$module" .json).cpp"); done
  headers+=(protocol/schemas "$gen")
}
case $target in
  per|ber) asn1 ;;
  zuzu) asn1; messages ;;
  avn) asn1; messages; sources+=(fuzz/avn_fuzz_check.cpp) ;;
  tpkt)
    sources+=(runtime/base/*.cpp runtime/text/*.cpp runtime/loop/*.cpp runtime/packet/*.cpp fuzz/tpkt_fuzz_check.cpp)
    headers+=(runtime) ;;
  ini)
    sources+=(runtime/base/*.cpp runtime/process/IniFile.cpp runtime/process/IniFileReader.cpp
              runtime/process/TraceCtl.cpp fuzz/ini_fuzz_check.cpp)
    headers+=(runtime) ;;
esac
sources+=("fuzz/${target}_fuzz.cpp")

objects=()
for src in "${sources[@]}"; do
  obj=$out/obj/$(echo "${src#$out/}" | tr / _).o
  if [[ ! -e $obj || $src -nt $obj || -n $(find "${headers[@]}" -name '*.h' -newer "$obj" -print -quit) ]]; then
    "$cxx" "${flags[@]}" -c "$src" -o "$obj"
  fi
  objects+=("$obj")
done
"$cxx" -fsanitize=fuzzer,address,undefined "${objects[@]}" -o "$out/${target}_fuzz"

workers=()
if ((jobs > 1)); then workers=(-jobs="$jobs" -workers="$jobs"); fi
seeds=$PWD/fuzz/corpus/$target
cd "$out/$target" # parallel jobs write their fuzz-N.log files here
exec "../${target}_fuzz" "${workers[@]}" -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix=artifacts/ "$@" corpus "$seeds"
