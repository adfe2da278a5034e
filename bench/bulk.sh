#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the bulk commands on a generated file of BLOCKS blocks (default 1000, 8 layer maps each):
# `import` of all of them from JSON (as `list --json` prints) and from CSV, and `set --from`
# changing every block, each in one load and one write; one plain `set` for reference. Prints
# medians of wall and CPU time and the peak RSS.
#
#   bench/bulk.sh BUILD_DIR [BLOCKS]
#
# BUILD_DIR is a build with the tool and the benchmarks on, as for compare.sh. RUNS
# (environment, default 11) sets the number of timed rounds.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 BUILD_DIR [BLOCKS]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
blocks=${2:-1000}
runs=${RUNS:-11}
gen=$build/bench/reuseblocks_gen
tool=$build/tools/reuseblocks
for program in "$gen" "$tool" /usr/bin/time; do
    if [[ ! -x $program ]]; then
        echo "$0: $program is missing" >&2
        exit 2
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/reuseblocks-bulk.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
"$gen" blocks.blocks "$blocks" 8 8
"$tool" list --json blocks.blocks >blocks.json
# Definition lines as CSV rows (generated values hold no commas or quotes), and one update per
# block.
awk 'BEGIN { print "BLOCK_HIER_NAME,BLOCK_PATH,BLOCK_TYPE,BLOCK_STATUS,XLOC,YLOC,SIDE,ROTATION,UNITS,INT_XLOC,INT_YLOC,QOR_STATUS" }
     /^#/ || /map_block_host/ || NF == 0 { next }
     { $1 = $1; gsub(/ /, ","); print }' blocks.blocks >blocks.csv
awk 'BEGIN { print "ID,XLOC,BLOCK_STATUS" }
     /^#/ || /map_block_host/ || NF == 0 { next }
     { print $1 "," NR ",Placed" }' blocks.blocks >updates.csv
first=$(awk -F, 'NR == 2 { print $1 }' updates.csv)

commands=(
    "import JSON|$tool import blocks.json -o out.blocks"
    "import CSV|$tool import blocks.csv -o out.blocks"
    "set --from CSV, every block|$tool set blocks.blocks --from updates.csv -o out.blocks"
    "set, one block (reference)|$tool set blocks.blocks $first XLOC=1 -o out.blocks"
)
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

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] * 1000 }'; }
echo "$blocks blocks x 8 layer maps; JSON $(stat -c %s blocks.json) bytes, CSV $(stat -c %s blocks.csv) bytes; medians of $runs rounds"
printf '%-30s %10s %10s %12s\n' command "wall ms" "cpu ms" "peak RSS MB"
for entry in "${commands[@]}"; do
    name=${entry%%|*}
    printf '%-30s %10s %10s %12s\n' "$name" "$(echo "${walls[$name]}" | median)" \
        "$(echo "${cpus[$name]}" | median)" "$(awk -v k="${peaks[$name]}" 'BEGIN { printf "%.1f", k / 1024 }')"
done
