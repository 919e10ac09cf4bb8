#!/bin/bash
# Builds the normal configuration with the benchmarks and runs every
# benchmark program found in build/normal/bench, then the PER comparison
# with Erlang/OTP; the results go to stdout.
#   scripts/bench.sh        all programs, then the comparison
#   scripts/bench.sh per    the comparison only
# The comparison times decode and encode of the message set
# bench/data/zuzu_messages.hex here (bench/zuzu_bench, median of 5 runs of
# at least 1 s) and in Erlang/OTP's per codec compiled from the same module
# (bench/zuzu_per.escript, the same), and prints both and the ratio per
# direction.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/normal -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSERVER_WERROR=ON \
  -DSERVER_BENCHMARKS=ON "${launcher[@]}" >&2
cmake --build build/normal -j "${BENCH_JOBS:-$(nproc)}" >&2

if [ "${1:-}" != per ]; then
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
fi

echo "=== PER comparison with Erlang/OTP per (median of 5 runs of 1 s each)"
cmake --build build/normal --target zuzu_interop_subset >&2
json=build/normal/zuzu_bench.json
build/normal/bench/zuzu_bench --benchmark_repetitions=5 --benchmark_min_time=1 \
  --benchmark_report_aggregates_only=true --benchmark_out="$json" --benchmark_out_format=json >&2
erlang=$(escript bench/zuzu_per.escript build/normal/zuzu_interop/ZuzuInterop.asn \
  bench/data/zuzu_messages.hex build/normal/zuzu_bench_erlang 5 1)
python3 - "$json" "$erlang" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def median(name, key):
    for b in runs:
        if b["run_name"] == name and b.get("aggregate_name") == "median":
            return b[key]
    sys.exit("no median of %s in %s" % (name, sys.argv[1]))
erlang = dict(line.split() for line in sys.argv[2].splitlines())
print("messages: %s" % erlang["messages"])
print("%-8s %14s %14s %8s %14s" % ("", "this ns/msg", "Erlang ns/msg", "ratio", "allocs/msg"))
total = {"this": 0.0, "erlang": 0.0}
for direction in ("decode", "encode"):
    name = "BM_Zuzu" + direction.capitalize()
    mine = 1e9 / median(name, "items_per_second")
    theirs = float(erlang[direction + "_ns_per_msg"])
    total["this"] += mine
    total["erlang"] += theirs
    print("%-8s %14.1f %14.1f %8.2f %14.2f" % (direction, mine, theirs, theirs / mine, median(name, "allocs_per_msg")))
print("%-8s %14.1f %14.1f %8.2f" % ("sum", total["this"], total["erlang"], total["erlang"] / total["this"]))
PY
