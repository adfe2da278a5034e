#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every command of the tool on the reference file (100k blocks x 8 layer maps) beside its anchors
# from the same run: the library's load alone, `cp` of the command's output and `cp` + fsync of
# the file. Each command's wall time is set against 2x the load plus the copy of what it wrote,
# its peak RSS against 2.5x the files it reads (both for diff, all three sides for merge-file); an
# edit of one value against 1.2x (load + cp + fsync), a no-op edit against 1.1x the load,
# merge-file against 3x the load. The copy an edit works on is made afresh before each run,
# untimed.
#
#   bench/command_targets.sh BUILD_DIR
#
# BUILD_DIR is a build with -DREUSEBLOCKS_BUILD_BENCHMARKS=ON and the tool (Release or
# RelWithDebInfo). RUNS (environment, default 3) sets the rounds; the commands take turns in
# each round, so that load from other processes hits them alike.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
runs=${RUNS:-3}
gen=$build/bench/reuseblocks_gen
loadwrite=$build/bench/reuseblocks_loadwrite
tool=$build/tools/reuseblocks
for program in "$gen" "$loadwrite" "$tool" /usr/bin/time; do
    if [[ ! -x $program ]]; then
        echo "$0: $program is missing; build with benchmarks and the tool on" >&2
        exit 2
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/reuseblocks-commands.XXXXXX")
trap 'rm -rf "$work"' EXIT
ref=$work/ref.blocks
"$gen" "$ref" 100000 8 8
size=$(stat -c %s "$ref")
id=$(sed -n '/^\//{s/ .*//p;q}' "$ref")
# A second file with one value changed, for diff, and the two sides merge-file joins.
other=$work/other.blocks
awk '!done && /^\// {$5 = "1.5"; done = 1} {print}' "$ref" >"$other"
mine=$work/mine.blocks
theirs=$work/theirs.blocks
cp "$ref" "$mine"
cp "$ref" "$theirs"
"$tool" set "$mine" "$id" XLOC=1 >/dev/null 2>&1
last=$(sed -n '/^\//{s/ .*//;h};${x;p}' "$ref")
"$tool" set "$theirs" "$last" XLOC=2 >/dev/null 2>&1
"$tool" list "$ref" --format json >"$work/blocks.json"
"$tool" list "$ref" --format jsonl >"$work/blocks.jsonl"
edited=$work/edited.blocks

q() { printf '%q' "$1"; }
names=()
declare -A run output setup
# NAME COMMAND [OUTPUT [SETUP]]: OUTPUT is the file it writes, whose copy is its anchor; SETUP
# runs before each run of COMMAND, outside its time.
timed() { names+=("$1"); run[$1]=$2; output[$1]=${3:-}; setup[$1]=${4:-}; }
timed "load" "$(q "$loadwrite") $(q "$ref")"
timed "cp + fsync" "dd if=$(q "$ref") of=$(q "$work/copy") bs=1M conv=fsync status=none"
timed "check" "$(q "$tool") check $(q "$ref")"
timed "check --strict" "$(q "$tool") check --strict $(q "$ref")"
timed "list" "$(q "$tool") list $(q "$ref") > $(q "$work/list.out")" "$work/list.out"
timed "diff" "$(q "$tool") diff $(q "$ref") $(q "$other") > $(q "$work/diff.out"); true" \
    "$work/diff.out"
timed "plot" "$(q "$tool") plot $(q "$ref") -o $(q "$work/p.svg")" "$work/p.svg"
timed "import json" "$(q "$tool") import $(q "$work/blocks.json") -o $(q "$work/i1.blocks")" \
    "$work/i1.blocks"
timed "import jsonl" "$(q "$tool") import $(q "$work/blocks.jsonl") -o $(q "$work/i2.blocks")" \
    "$work/i2.blocks"
timed "set one value" "$(q "$tool") set $(q "$edited") $(q "$id") XLOC=7" "" \
    "cp $(q "$ref") $(q "$edited") && sync"
timed "set, no change" "$(q "$tool") set $(q "$ref") $(q "$id") \
XLOC=$(awk -v id="$id" '$1 == id {print $5; exit}' "$ref") 2>/dev/null"
timed "merge-file" "$(q "$tool") merge-file $(q "$work/m.blocks") $(q "$ref") $(q "$theirs")" "" \
    "cp $(q "$mine") $(q "$work/m.blocks") && sync"

declare -A walls peaks
TIMEFORMAT='%3R'
for ((round = 0; round < runs; ++round)); do
    for name in "${names[@]}"; do
        [[ -n ${setup[$name]} ]] && bash -c "${setup[$name]}"
        /usr/bin/time -f "%e %M" -o "$work/time" bash -c "${run[$name]}" >/dev/null 2>&1 || true
        read -r wall peak < <(tail -n 1 "$work/time")  # after "Command exited with ..."
        walls[$name]+="$wall "
        peaks[$name]+="$peak "
    done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
declare -A med rss copy
for name in "${names[@]}"; do
    med[$name]=$(echo "${walls[$name]}" | median)
    rss[$name]=$(echo "${peaks[$name]}" | median)
    copy[$name]=0
    if [[ -n ${output[$name]} && -f ${output[$name]} ]]; then
        all=""
        for ((round = 0; round < runs; ++round)); do
            { time cp "${output[$name]}" "$work/anchor"; } 2>"$work/time"
            all+="$(cat "$work/time") "
        done
        copy[$name]=$(echo "$all" | median)
    fi
done

load=${med[load]}
sync=${med[cp + fsync]}
echo "file: 100000 blocks x 8 layer maps, $size bytes; medians of $runs rounds;" \
    "load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
printf '  %-16s %8s %8s %9s %8s %10s\n' command "wall s" "limit s" "RSS MB" "limit" "wall/limit"
for name in "${names[@]}"; do
    [[ $name == load || $name == "cp + fsync" ]] && continue
    case $name in
        "set one value") limit=$(awk -v l="$load" -v s="$sync" 'BEGIN {print 1.2 * (l + s)}') ;;
        "set, no change") limit=$(awk -v l="$load" 'BEGIN {print 1.1 * l}') ;;
        merge-file) limit=$(awk -v l="$load" 'BEGIN {print 3 * l}') ;;
        *) limit=$(awk -v l="$load" -v c="${copy[$name]}" 'BEGIN {print 2 * l + c}') ;;
    esac
    files=1
    [[ $name == diff ]] && files=2
    [[ $name == merge-file ]] && files=3
    printf '  %-16s %8.2f %8.2f %9.1f %8.1f %10.2f\n' "$name" "${med[$name]}" "$limit" \
        "$(awk -v k="${rss[$name]}" 'BEGIN {print k / 1024}')" \
        "$(awk -v s="$size" -v f="$files" 'BEGIN {print 2.5 * f * s / 1048576}')" \
        "$(awk -v m="${med[$name]}" -v l="$limit" 'BEGIN {print m / l}')"
done
printf '  anchors: load %.2f s (peak %.1f MB), cp + fsync %.2f s\n' "$load" \
    "$(awk -v k="${rss[load]}" 'BEGIN {print k / 1024}')" "$sync"
