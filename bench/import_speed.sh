#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times `import` of what `list --format json` and `list --format jsonl` print for a generated
# file of BLOCKS blocks x 8 layer maps (default 100,000), against reading the same bytes with
# `cat` and `wc -l` in the same rounds. Prints medians of wall and CPU time, the input's MB/s,
# the peak RSS and the load average before and after.
#
#   bench/import_speed.sh BUILD_DIR [BLOCKS]
#
# BUILD_DIR is a build with the tool and the benchmarks on, as for compare.sh. RUNS
# (environment, default 5) sets the number of timed rounds.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 BUILD_DIR [BLOCKS]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
blocks=${2:-100000}
runs=${RUNS:-5}
gen=$build/bench/reuseblocks_gen
tool=$build/tools/reuseblocks
for program in "$gen" "$tool" /usr/bin/time; do
    if [[ ! -x $program ]]; then
        echo "$0: $program is missing" >&2
        exit 2
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/reuseblocks-import.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
"$gen" blocks.blocks "$blocks" 8 8 >/dev/null
"$tool" list blocks.blocks --format json >blocks.json
"$tool" list blocks.blocks --format jsonl >blocks.jsonl

commands=(
    "cat JSON|cat blocks.json >/dev/null"
    "wc -l JSON|wc -l blocks.json >/dev/null"
    "import JSON|$tool import blocks.json -o out.blocks"
    "cat JSON Lines|cat blocks.jsonl >/dev/null"
    "import JSON Lines|$tool import blocks.jsonl -o out.blocks"
)
declare -A inputs=([cat JSON]=blocks.json [wc -l JSON]=blocks.json [import JSON]=blocks.json
                   [cat JSON Lines]=blocks.jsonl [import JSON Lines]=blocks.jsonl)
echo "load average before: $(cut -d ' ' -f 1-3 /proc/loadavg)"
TIMEFORMAT='%3R %3U %3S'
declare -A walls cpus peaks
for entry in "${commands[@]}"; do eval "${entry#*|}"; done  # warm up, and every one must succeed
for ((round = 0; round < runs; ++round)); do
    for entry in "${commands[@]}"; do
        { time eval "${entry#*|}"; } 2>time.txt
        read -r real user sys <time.txt
        walls[${entry%%|*}]+="$real "
        cpus[${entry%%|*}]+="$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }') "
    done
done
for entry in "${commands[@]}"; do
    eval "/usr/bin/time -f %M -o peak.txt ${entry#*|}"
    peaks[${entry%%|*}]=$(tail -n 1 peak.txt)
done
echo "load average after: $(cut -d ' ' -f 1-3 /proc/loadavg)"

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] * 1000 }'; }
echo "$blocks blocks x 8 layer maps; JSON $(stat -c %s blocks.json) bytes, JSON Lines $(stat -c %s blocks.jsonl) bytes; medians of $runs rounds"
printf '%-20s %10s %10s %10s %12s\n' command "wall ms" "MB/s" "cpu ms" "peak RSS MB"
for entry in "${commands[@]}"; do
    name=${entry%%|*}
    wall=$(echo "${walls[$name]}" | median)
    printf '%-20s %10s %10s %10s %12s\n' "$name" "$wall" \
        "$(awk -v b="$(stat -c %s "${inputs[$name]}")" -v ms="$wall" 'BEGIN { printf "%.0f", (ms > 0 ? b / 1e3 / ms : 0) }')" \
        "$(echo "${cpus[$name]}" | median)" "$(awk -v k="${peaks[$name]}" 'BEGIN { printf "%.1f", k / 1024 }')"
done
