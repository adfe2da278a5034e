#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the libFuzzer harnesses with clang (when needed) and runs each one for a bounded time,
# as many at once as there are processors. Exits non-zero on any finding (crash, sanitizer
# report, leak, timeout, out-of-memory, failed check). A finding is kept under
# $BUILD_DIR/findings/<harness>/; once it is fixed, move the file into
# fuzz/regressions/<harness>/ so that it replays as a test from then on.
#
#   FUZZ_SECONDS  seconds per harness (default 60)
#   FUZZ_JOBS     harnesses run at once (default: the number of processors)
#   HARNESSES     which ones (default "loader tokenizer roundtrip update merge lint where lsp
#                 import_json import_jsonl import_csv import_tsv set_from")
#   BUILD_DIR     build directory (default build/fuzz)
#   FUZZ_CXX      the clang++ to use (default clang++)
#
#   fuzz/run.sh [HARNESS...]   runs the harnesses named, or those of HARNESSES
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}
all_harnesses="loader tokenizer roundtrip update merge lint where lsp import_json import_jsonl import_csv import_tsv set_from"
harnesses=${HARNESSES:-$all_harnesses}
# Harnesses named on the command line come before HARNESSES.
if [ $# -gt 0 ]; then harnesses=$*; fi

# All of them as one goal, which builds them side by side; a few, each as a goal of its own.
targets=fuzzers
if [ "$harnesses" != "$all_harnesses" ]; then
    targets=""
    for harness in $harnesses; do targets="$targets ${harness}_fuzzer"; done
fi

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREUSEBLOCKS_BUILD_FUZZERS=ON \
    -DREUSEBLOCKS_BUILD_TESTS=OFF -DREUSEBLOCKS_BUILD_EXAMPLES=OFF -DREUSEBLOCKS_BUILD_TOOLS=ON \
    -DREUSEBLOCKS_WARNINGS_AS_ERRORS=ON >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j 2 --target $targets

# The harnesses' scratch files, on tmpfs when there is one.
scratch_base=/tmp
if [ -w /dev/shm ]; then scratch_base=/dev/shm; fi
REUSEBLOCKS_FUZZ_SCRATCH=$(mktemp -d "$scratch_base/reuseblocks-fuzz-run-XXXXXX")
export REUSEBLOCKS_FUZZ_SCRATCH
trap 'rm -rf "$REUSEBLOCKS_FUZZ_SCRATCH"' EXIT

# One harness: its summary on standard output, and a mark beside its log when it found something.
fuzz_one() {
    harness=$1
    case $harness in
        tokenizer | lint | where | lsp) dict=$root/fuzz/dict/$harness.dict ;;
        import_* | set_from) dict=$root/fuzz/dict/records.dict ;;
        *) dict=$root/fuzz/dict/blocks.dict ;;
    esac
    work=$build/fuzz-work/$harness
    findings=$build/findings/$harness
    log=$build/fuzz-work/$harness.log
    mkdir -p "$work" "$findings"
    rm -f "$log.found"
    set -- "$work" "$root/fuzz/corpus/$harness"
    if [ -d "$root/fuzz/regressions/$harness" ]; then set -- "$@" "$root/fuzz/regressions/$harness"; fi
    echo "== $harness: ${seconds}s"
    # The tool's harnesses print the diagnostics of every input; libFuzzer keeps its own output.
    case $harness in import_* | set_from) set -- -close_fd_mask=3 "$@" ;; esac
    if "$build/fuzz/${harness}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -dict="$dict" -artifact_prefix="$findings/" -print_final_stats=1 "$@" \
        >"$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
            "$log" || true
        echo "   corpus: $(find "$work" "$root/fuzz/corpus/$harness" -type f | wc -l) inputs"
    else
        tail -n 60 "$log"
        echo "!! $harness: finding kept in $findings"
        : >"$log.found"
    fi
}

# FUZZ_JOBS harnesses at a time (default: one per processor), each on one core; their reports
# follow in the order the harnesses were named.
jobs=${FUZZ_JOBS:-$(getconf _NPROCESSORS_ONLN 2>/dev/null || echo 1)}
mkdir -p "$build/fuzz-work"
running=0
for harness in $harnesses; do
    fuzz_one "$harness" >"$build/fuzz-work/$harness.report" 2>&1 &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait
        running=0
    fi
done
wait

failed=""
for harness in $harnesses; do
    cat "$build/fuzz-work/$harness.report"
    if [ -e "$build/fuzz-work/$harness.log.found" ]; then failed="$failed $harness"; fi
done

if [ -n "$failed" ]; then
    echo "fuzzing failed:$failed"
    exit 1
fi
echo "fuzzing clean"
