#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The load and lookup targets, each beside its anchor measured in the same run: loading the
# reference file (100k blocks x 8 layer maps) against `wc -l`, alone and on one core; the time per
# block at 1M blocks against 10k and its spread; peak RSS against the file size; load and write
# back against load, `cp` and fsync; 1M GetBlock lookups against the 269 ms measured before the
# index hash was keyed; crafted against ordinary IDs.
#
#   bench/targets.sh BUILD_DIR
#
# BUILD_DIR is a build with -DREUSEBLOCKS_BUILD_BENCHMARKS=ON (Release or RelWithDebInfo). RUNS
# (environment, default 5) sets the rounds; the commands take turns within each round, so that
# load from other processes hits them alike. Every load is a fresh process, which pays for every
# page it touches. UNKEYED_BUILD (environment, optional) is a benchmark build of the sources
# before the index hash was keyed (commit bf09ccd): its GetBlock then runs in the same run, as
# the anchor measured here rather than the 269 ms of its day.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
runs=${RUNS:-5}
gen=$build/bench/reuseblocks_gen
loadwrite=$build/bench/reuseblocks_loadwrite
bench=$build/bench/reuseblocks_bench
for program in "$gen" "$loadwrite" "$bench" /usr/bin/time; do
    if [[ ! -x $program ]]; then
        echo "$0: $program is missing; build with benchmarks on" >&2
        exit 2
    fi
done
one_core=()
command -v taskset >/dev/null && one_core=(taskset -c 0)

work=$(mktemp -d "${TMPDIR:-/tmp}/reuseblocks-targets.XXXXXX")
trap 'rm -rf "$work"' EXIT
ref=$work/ref.blocks
small=$work/10k.blocks
large=$work/1m.blocks
out=$work/out.blocks
"$gen" "$ref" 100000 8 8
"$gen" "$small" 10000 4 8
"$gen" "$large" 1000000 4 8
size=$(stat -c %s "$ref")
large_size=$(stat -c %s "$large")

# Each command is one program (run through eval: no extra shell is timed) and must succeed.
names=()
declare -A run
timed() { names+=("$1"); run[$1]=$2; }
q() { printf '%q' "$1"; }
timed "wc -l" "wc -l $(q "$ref")"
timed "load" "$(q "$loadwrite") $(q "$ref")"
timed "load, one core" "${one_core[*]} $(q "$loadwrite") $(q "$ref")"
timed "cp + fsync" "dd if=$(q "$ref") of=$(q "$out") bs=1M conv=fsync status=none"
timed "load + write back" "$(q "$loadwrite") $(q "$ref") $(q "$out")"
timed "load 1M" "$(q "$loadwrite") $(q "$large")"
declare -A walls
TIMEFORMAT='%3R'
for name in "${names[@]}"; do eval "${run[$name]}" >/dev/null; done  # page cache, programs
# LoadFile alone, in a fresh process each time, microseconds.
declare -A inner
for ((round = 0; round < runs; ++round)); do
    for name in "${names[@]}"; do
        rm -f "$out"
        { time eval "${run[$name]}" >/dev/null; } 2>"$work/time"
        walls[$name]+="$(awk '{printf "%d", $1 * 1e6}' "$work/time") "
    done
    for file in "$small" "$large"; do inner[$file]+="$("$loadwrite" --time "$file") "; done
done
peak() {  # median peak RSS in KiB of three runs of a command
    local all=""
    for ((round = 0; round < 3; ++round)); do
        /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null
        all+="$(tail -n 1 "$work/peak") "
    done
    echo "$all" | tr ' ' '\n' | grep -v '^$' | sort -n | sed -n 2p
}
peak_ref=$(peak "$loadwrite" "$ref")
peak_large=$(peak "$loadwrite" "$large")

median() { grep -v '^$' | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
spread() {  # (max - min) / median of the numbers on stdin, in percent
    sort -n | grep -v '^$' | awk '{v[NR] = $1} END {m = v[int((NR + 1) / 2)];
        printf "%.0f", (v[NR] - v[1]) * 100 / m}'
}

# In one benchmark process: 1M lookups, and loads of crafted and ordinary IDs, each repeated RUNS
# times.
"$bench" --benchmark_filter='BM_GetBlock|BM_LoadFloodIds/./40000' \
    --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null >"$work/gbench.csv"
repetitions() {  # NAME [CSV]
    awk -F, -v n="\"$1/real_time\"" '$1 == n {print $3}' "${2:-$work/gbench.csv}"
}
get_block=$(repetitions BM_GetBlock | median)
anchor=269
anchor_what="269 ms (before the keyed hash)"
if [[ -n ${UNKEYED_BUILD:-} ]]; then
    "$UNKEYED_BUILD/bench/reuseblocks_bench" --benchmark_filter='BM_GetBlock' \
        --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null >"$work/unkeyed.csv"
    anchor=$(repetitions BM_GetBlock "$work/unkeyed.csv" | median)
    anchor_what="unkeyed, this run"
fi
ordinary=$(repetitions BM_LoadFloodIds/0/40000 | median)
crafted=$(repetitions BM_LoadFloodIds/1/40000 | median)
per10k=$(echo "${inner[$small]}" | tr ' ' '\n' | median)
per1m=$(echo "${inner[$large]}" | tr ' ' '\n' | median)

declare -A med
for name in "${names[@]}"; do med[$name]=$(echo "${walls[$name]}" | tr ' ' '\n' | median); done
ms() { awk -v t="$1" 'BEGIN {printf "%.1f", t / 1000}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
row() { printf '  %-46s %9s   %s\n' "$@"; }

echo "reference file: 100000 blocks x 8 layer maps, $size bytes; 1M blocks: $large_size bytes"
echo "processes: medians of $runs rounds, wall ms; load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
for name in "${names[@]}"; do
    printf '  %-20s %9s   (%s)\n' "$name" "$(ms "${med[$name]}")" \
        "$(for t in ${walls[$name]}; do printf '%s ' "$(ms "$t")"; done | sed 's/ $//')"
done
echo "LoadFile alone (fresh processes), medians of $runs rounds, ms:"
for file in "$small" "$large"; do
    printf '  %-20s %9s   (%s)\n' "$(basename "$file" .blocks)" \
        "$(ms "$(echo "${inner[$file]}" | tr ' ' '\n' | median)")" \
        "$(for t in ${inner[$file]}; do printf '%s ' "$(ms "$t")"; done | sed 's/ $//')"
done
echo "reuseblocks_bench, medians of $runs repetitions, ms:"
printf '  %-20s %9.1f\n' "GetBlock 1M" "$get_block"
[[ -n ${UNKEYED_BUILD:-} ]] && printf '  %-20s %9.1f\n' "GetBlock 1M, unkeyed" "$anchor"
printf '  %-20s %9.1f\n' "40k ordinary IDs" "$ordinary"
printf '  %-20s %9.1f\n' "40k crafted IDs" "$crafted"

echo
row "target" "measured" "limit"
row "load / wc -l" "$(ratio "${med[load]}" "${med[wc -l]}")" "<= 6"
row "load on one core, ms" "$(ms "${med[load, one core]}")" "no slower than before"
row "per block: LoadFile 1M / LoadFile 10k" \
    "$(awk -v a="$per1m" -v b="$per10k" 'BEGIN {printf "%.2f", a / (b * 100)}')" \
    "<= 1.1 ($(awk -v a="$per1m" -v b="$per10k" 'BEGIN {printf "%.2f vs %.2f us", a / 1e6, b / 1e4}'))"
row "LoadFile 1M, (max - min) / median" "$(echo "${inner[$large]}" | tr ' ' '\n' | spread)%" "< 20%"
row "1M load as processes, (max - min) / median" \
    "$(echo "${walls[load 1M]}" | tr ' ' '\n' | spread)%" "< 20%"
row "peak RSS / file, reference file" "$(ratio "$((peak_ref * 1024))" "$size")" \
    "<= 2 ($((peak_ref / 1024)) MiB)"
row "peak RSS / file, 1M blocks" "$(ratio "$((peak_large * 1024))" "$large_size")" \
    "<= 2 ($((peak_large / 1024)) MiB)"
row "load + write back / (load + cp + fsync)" \
    "$(ratio "${med[load + write back]}" "$((med[load] + med[cp + fsync]))")" "<= 1.1"
row "1M GetBlock / $anchor_what" "$(ratio "$get_block" "$anchor")" \
    "<= 1.2 ($(printf '%.0f' "$get_block") ms)"
row "40k crafted IDs / 40k ordinary IDs" "$(ratio "$crafted" "$ordinary")" \
    "about 1 ($(printf '%.1f vs %.1f ms' "$crafted" "$ordinary"))"
