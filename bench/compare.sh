#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the library against the limits of the machine and a plain baseline, on one generated
# blocks file and in one run, and prints medians and ratios.
#
#   bench/compare.sh BUILD_DIR [BLOCKS [ROWS]]
#
# BUILD_DIR is a build configured with -DREUSEBLOCKS_BUILD_BENCHMARKS=ON and
# -DREUSEBLOCKS_BUILD_TOOLS=ON (Release or RelWithDebInfo). BLOCKS defaults to 100000 and ROWS
# (layer maps per block) to 8: the reference file of the targets. RUNS (environment, default 11)
# sets the number of timed rounds; the commands take turns within each round, so that load from
# other processes hits them alike.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 3 ]]; then
    echo "usage: $0 BUILD_DIR [BLOCKS [ROWS]]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
blocks=${2:-100000}
rows=${3:-8}
runs=${RUNS:-11}

gen=$build/bench/reuseblocks_gen
baseline=$build/bench/reuseblocks_baseline_load
loadwrite=$build/bench/reuseblocks_loadwrite
tool=$build/tools/reuseblocks
for program in "$gen" "$baseline" "$loadwrite" "$tool"; do
    if [[ ! -x $program ]]; then
        echo "$0: $program is missing; build with benchmarks and tools on" >&2
        exit 2
    fi
done
if [[ ! -x /usr/bin/time ]]; then
    echo "$0: /usr/bin/time is needed for peak memory" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/reuseblocks-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
file=$work/blocks.txt
out=$work/out.txt

"$gen" "$file" "$blocks" "$rows" "$rows"
size=$(stat -c %s "$file")
lines=$(wc -l <"$file")

# name|command, one program each (run through eval: no extra shell is timed); every command
# must succeed.
q() { printf '%q' "$1"; }
commands=(
    "wc -l|wc -l $(q "$file")"
    "reuseblocks check|$(q "$tool") check $(q "$file")"
    "reuseblocks list --format jsonl|$(q "$tool") list --format jsonl $(q "$file")"
    "LoadFile (library alone)|$(q "$loadwrite") $(q "$file")"
    "baseline getline+istringstream|$(q "$baseline") $(q "$file")"
    "cp|cp $(q "$file") $(q "$out")"
    "cp + fsync (dd)|dd if=$(q "$file") of=$(q "$out") bs=1M conv=fsync status=none"
    "reuseblocks format|$(q "$tool") format $(q "$file") -o $(q "$out")"
    "LoadFile + WriteFile (library)|$(q "$loadwrite") $(q "$file") $(q "$out")"
)

declare -A times
declare -A cpus
declare -A peaks
TIMEFORMAT='%3R %3U %3S'

for entry in "${commands[@]}"; do  # warm the page cache and the programs
    eval "${entry#*|}" >/dev/null
done
for ((round = 0; round < runs; ++round)); do
    for entry in "${commands[@]}"; do
        name=${entry%%|*}
        rm -f "$out"
        { time eval "${entry#*|}" >/dev/null; } 2>"$work/time"
        read -r real user sys <"$work/time"
        # Microseconds: wall clock, and user plus system time (less hurt by other processes).
        times[$name]+="$(awk -v r="$real" 'BEGIN {printf "%d", r * 1e6}') "
        cpus[$name]+="$(awk -v u="$user" -v s="$sys" 'BEGIN {printf "%d", (u + s) * 1e6}') "
    done
done
for entry in "${commands[@]}"; do
    name=${entry%%|*}
    for ((round = 0; round < 3; ++round)); do
        rm -f "$out"
        eval "/usr/bin/time -f %M -o $(q "$work/peak") ${entry#*|}" >/dev/null
        peaks[$name]+="$(tail -n 1 "$work/peak") "
    done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
declare -A med
declare -A cpu
declare -A rss
for entry in "${commands[@]}"; do
    name=${entry%%|*}
    med[$name]=$(echo "${times[$name]}" | median)
    cpu[$name]=$(echo "${cpus[$name]}" | median)
    rss[$name]=$(echo "${peaks[$name]}" | median)
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
echo "file: $blocks blocks x $rows layer maps, $lines lines, $size bytes; medians of $runs rounds"
printf '%-34s %10s %10s %10s %12s\n' "command" "wall ms" "MB/s" "cpu ms" "peak RSS MB"
for entry in "${commands[@]}"; do
    name=${entry%%|*}
    printf '%-34s %10s %10s %10s %12s\n' "$name" "$(ratio "${med[$name]}" 1000)" \
        "$(ratio "$size" "${med[$name]}")" "$(ratio "${cpu[$name]}" 1000)" \
        "$(ratio "${rss[$name]}" 1024)"
done
# WriteFile alone: the library's load and write minus its load.
for table in med cpu; do
    declare -n t=$table
    t[WriteFile alone]=$((t[LoadFile + WriteFile (library)] - t[LoadFile (library alone)]))
done
row() {  # label numerator denominator target
    printf '  %-36s %8s %8s   %s\n' "$1" "$(ratio "${med[$2]}" "${med[$3]}")" \
        "$(ratio "${cpu[$2]}" "${cpu[$3]}")" "$4"
}
echo
printf '  %-36s %8s %8s   %s\n' "ratio" "wall" "cpu" "target"
row "reuseblocks check / wc -l" "reuseblocks check" "wc -l" ""
row "list --format jsonl / check" "reuseblocks list --format jsonl" "reuseblocks check" "<= 2"
row "LoadFile / wc -l" "LoadFile (library alone)" "wc -l" "<= 15"
row "baseline / reuseblocks check" "baseline getline+istringstream" "reuseblocks check" ""
row "baseline / LoadFile" "baseline getline+istringstream" "LoadFile (library alone)" ">= 5"
row "reuseblocks format / cp" "reuseblocks format" "cp" ""
row "WriteFile alone / cp" "WriteFile alone" "cp" "<= 4"
row "WriteFile alone / cp + fsync" "WriteFile alone" "cp + fsync (dd)" ""
printf '  %-36s %8s %8s   %s\n' "peak RSS of LoadFile / file size" \
    "$(ratio "$((rss[LoadFile (library alone)] * 1024))" "$size")" "" "<= 4"
printf '  %-36s %8s\n' "peak RSS of reuseblocks check / size" \
    "$(ratio "$((rss[reuseblocks check] * 1024))" "$size")"
printf '  %-36s %8s\n' "peak RSS of list jsonl / size" \
    "$(ratio "$((rss[reuseblocks list --format jsonl] * 1024))" "$size")"
