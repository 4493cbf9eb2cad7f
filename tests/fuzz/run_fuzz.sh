#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build directory, then runs one
# target for a fixed time. Any crash, hang, leak or sanitizer report fails the run.
# Usage: run_fuzz.sh <source dir> <fuzz build dir> <target> [seconds]
set -euo pipefail
src=$1
build=$2
target=$3
seconds=${4:-30}

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "run_fuzz: clang++ not found (scripts/deps.sh installs clang-14)" >&2
    exit 1
fi

mkdir -p "$build"
# One configure and build at a time, should ctest run the targets in parallel.
exec 9>"$build/.lock"
flock 9
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVIK_FUZZ=ON \
        -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
fi
cmake --build "$build" --target "$target" -j "$(nproc)"
flock -u 9

name=${target#fuzz_}
work=$(mktemp -d "$build/run-$name.XXXXXX")
mkdir -p "$work/corpus"
dict=()
[ -f "$src/fuzz/$name.dict" ] && dict=(-dict="$src/fuzz/$name.dict")

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:symbolize=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# New inputs go to the scratch corpus; the seeds in the source tree are only read.
status=0
"$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/" "${dict[@]}" \
    "$work/corpus" "$src/fuzz/corpus/$name" || status=$?
if [ "$status" -ne 0 ]; then
    echo "run_fuzz: $target failed ($status); inputs and artifacts kept in $work" >&2
    exit "$status"
fi
rm -rf "$work"
