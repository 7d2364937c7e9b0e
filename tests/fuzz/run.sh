#!/bin/bash
# Builds the libFuzzer targets with clang under AddressSanitizer and runs
# each one briefly from generated seeds.
#   tests/fuzz/run.sh [SECONDS_PER_TARGET] [BUILD_FOLDER]
# Needs clang and libclang-rt-14-dev. Exits non-zero when a target finds a
# crash, a leak or undefined behaviour (the input is left in the build
# folder's artifacts/ directory).
set -euo pipefail

seconds=${1:-6}
here=$(cd "$(dirname "$0")" && pwd)
build=${2:-$here/../../build-fuzz}

mkdir -p "$build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ >"$build/configure.log" 2>&1 || {
    cat "$build/configure.log"; exit 1; }
ninja -C "$build" >"$build/build.log" 2>&1 || { tail -50 "$build/build.log"; exit 1; }

rm -rf "$build/seeds" "$build/artifacts"
mkdir -p "$build/artifacts"
QT_QPA_PLATFORM=offscreen "$build/fuzz_seeds" "$build/seeds"

# The EPUB and side-file targets write their files into a temporary
# folder; a memory file system keeps them many times faster.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
asan=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$here/lsan.supp"
status=0
targets="fuzz_mobifile fuzz_palmdoc fuzz_huffcdic fuzz_fb2 fuzz_epub fuzz_sidefiles fuzz_pagination
    fuzz_rar fuzz_package fuzz_sevenzip"
# The helper's page loading is built where Qt WebKit is installed.
if [ -x "$build/fuzz_helperpage" ]; then
    targets="$targets fuzz_helperpage"
fi
for target in $targets; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== $target (${seconds}s)"
    # Allocations inside Qt's JSON parser, Qt WebKit and the platform plugin
    # carry their names only when the full stack is recorded (Qt has no frame
    # pointers); see lsan.supp.
    options=$asan
    if [ "$target" = fuzz_sidefiles ] || [ "$target" = fuzz_helperpage ]; then
        options=$asan:fast_unwind_on_malloc=0
    fi
    # The 7-Zip codec library reserves the dictionary an archive declares
    # (up to 4 GB for a few bytes of header) and touches only what it
    # unpacks; the memory really used is still held to the RSS limit.
    limits="-rss_limit_mb=2048"
    if [ "$target" = fuzz_sevenzip ]; then
        limits="$limits -malloc_limit_mb=8192"
    fi

    if ! ASAN_OPTIONS=$options "$build/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        $limits -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$corpus" "$build/seeds/$target" >"$build/$target.log" 2>&1; then
        tail -60 "$build/$target.log"
        status=1
    else
        grep -E 'stat::number_of_executed_units|cov:' "$build/$target.log" | tail -2
    fi
done
exit $status
