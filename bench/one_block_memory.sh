#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Peak memory of the tool's JSON output for one block with very many layer maps, against `check`
# of the same file (the loaded collection alone): JSON goes out as it is written, so that the
# difference stays small whatever the size of one block.
#
#   bench/one_block_memory.sh BUILD_DIR [ROWS]
#
# BUILD_DIR is a build with the tool (tools/reuseblocks); ROWS defaults to 1000000.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 BUILD_DIR [ROWS]" >&2
    exit 2
fi
tool=$(cd "$1" && pwd)/tools/reuseblocks
rows=${2:-1000000}
if [[ ! -x $tool || ! -x /usr/bin/time ]]; then
    echo "$0: needs $tool and /usr/bin/time" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/reuseblocks-one-block.XXXXXX")
trap 'rm -rf "$work"' EXIT
file=$work/one.blocks
{
    echo "/TOP/BIG \$REUSE/big Replica Placed 0 0 TOP 0 mils 0 0 Processed"
    awk -v rows="$rows" 'BEGIN { for (i = 0; i < rows; ++i) printf "map_block_host /TOP/BIG %d L%d %d D%d\n", i % 64, i, i % 64, i }'
} >"$file"
echo "file: 1 block x $rows layer maps, $(stat -c %s "$file") bytes"
printf '%-34s %12s %14s\n' command "peak RSS MB" "output bytes"
measure() {
    local name=$1
    shift
    /usr/bin/time -o "$work/peak" -f %M "$@" >"$work/out" 2>/dev/null
    local peak
    peak=$(tail -n 1 "$work/peak")
    printf '%-34s %12.1f %14s\n' "$name" "$(awk -v kb="$peak" 'BEGIN { print kb / 1024 }')" "$(stat -c %s "$work/out")"
}
measure "reuseblocks check" "$tool" check "$file"
measure "reuseblocks list --json" "$tool" list --json "$file"
measure "reuseblocks list --format jsonl" "$tool" list --format jsonl "$file"
measure "reuseblocks show --json" "$tool" show --json "$file" /TOP/BIG
