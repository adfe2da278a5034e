#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# shellcheck disable=SC2016  # the $(...) in names and IDs is meant literally
# Drives the bash completion function as bash does (COMP_WORDS, COMP_CWORD) and checks COMPREPLY,
# including hostile file names and block IDs that must never be evaluated.
set -uo pipefail
# shellcheck source=completion/reuseblocks
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

expect() {
    local want=$1 got
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _reuseblocks
    got=$(printf '%s ' "${COMPREPLY[@]}")
    if [[ ${got% } != "$want" ]]; then
        printf 'FAIL: %s\n  want: %s\n  got:  %s\n' "${COMP_WORDS[*]}" "$want" "${got% }"
        failures=$((failures + 1))
    fi
}

printf '%s\n' '# header' '(/TOP/A p Smashed Placed 0 0 TOP 0 mils 0 0 Processed)' \
    'map_block_host /TOP/A 1 TOP 1 TOP' '  /TOP/B p Smashed Placed 0 0 TOP 0 mils 0 0 Processed' \
    '$(touch${IFS}pwned) p Smashed Placed 0 0 TOP 0 mils 0 0 Processed' >'-n $(touch pwned) x.blocks'
cp -- '-n $(touch pwned) x.blocks' plain.blocks
mkfifo fifo.blocks

expect 'show set' reuseblocks s
expect '--help --strict --json --only --skip --max-problems' reuseblocks check --
expect 'Units,InternalLocation' reuseblocks check --only Units,Int
expect 'ID,XLOC' reuseblocks list --sort ID,X
expect 'BLOCK_STATUS=' reuseblocks set plain.blocks --where SIDE=TOP block_s
expect 'list lsp' reuseblocks l
expect '--help' reuseblocks lsp --
expect 'add remove' reuseblocks map ''
expect '/TOP/A /TOP/B' reuseblocks show plain.blocks /T
expect '/TOP/B' reuseblocks map remove --app x plain.blocks /TOP/B
expect '\$\(touch\$\{IFS\}pwned\)' reuseblocks remove './-n $(touch pwned) x.blocks' /TOP/A '$'
expect '' reuseblocks show fifo.blocks ''
expect '' reuseblocks show missing.blocks ''
expect 'BLOCK_STATUS=' reuseblocks set plain.blocks /TOP/A block_s
expect 'Placed Planned' reuseblocks set plain.blocks /TOP/A XLOC = 1 BLOCK_STATUS = Pl
expect '=Processed =Unprocessed' reuseblocks set plain.blocks /TOP/A qor_status =
expect 'QOR_STATUS=Processed' reuseblocks set plain.blocks /TOP/A QOR_STATUS=P
expect 'Planned' reuseblocks list --where 'BLOCK_STATUS!' = Plan
expect 'ID,XLOC' reuseblocks list --fields ID,X
expect 'ID=/TOP/A ID=/TOP/B' reuseblocks list plain.blocks --where ID=/
expect 'symbol=p' reuseblocks list plain.blocks --where symbol=
expect 'MAPS=' reuseblocks list plain.blocks --where MA
expect 'BLOCK_PATH= BLOCK_TYPE= BLOCK_STATUS=' reuseblocks set plain.blocks /TOP/A BLOCK_
expect 'csv' reuseblocks import --format c
expect '--no-wait' reuseblocks import rows.csv --no
expect '--no-wait' reuseblocks merge a.blocks b.blocks --no
expect '--force --from --format' reuseblocks set plain.blocks /TOP/A --f
expect 'jsonl' reuseblocks set plain.blocks --from u.jsonl --format jsonl

if [[ -e pwned ]]; then
    echo 'FAIL: a file name or block ID was evaluated'
    failures=$((failures + 1))
fi
exit $((failures > 0))
