#!/bin/sh
# SPDX-License-Identifier: MIT
# The Vim syntax in a real Neovim: a file is recognised by its .blocks name and, without one, by
# its format line; comments, the mapping keyword, IDs, conventional values, numbers and quoted
# values get their groups, and a value that only looks like a keyword inside a word does not.
# Skipped (77) where no nvim is installed.
# Usage: vim_syntax_test.sh SOURCE_DIR
set -eu
source=$1
command -v nvim >/dev/null 2>&1 || { echo "no nvim: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' '# TOLVANE PCB_BLOCKS FILE FORMAT 2.0' \
    '# a comment with map_block_host and TOP in it' \
    '/TOP/U1 $REUSE/x Smashed Placed 100 -2.5e3 TOP 0 mils 25400 50801 Unprocessed' \
    '  map_block_host /TOP/U1 1 TOP 1 BOTTOM' \
    '( /TOP/U2 "a quoted value" Replica Planned 1.50 0 BOTTOM 90 mm 0 0 Processed )' \
    '/TOP/U3 TOPSIDE Primitive Unplaced x1 0 TOP 0 MILS 0 0 Processed' >"$work/board.blocks"
{ head -n 1 "$work/board.blocks"; echo '/TOP/U4 p Smashed Placed 1 2 TOP 0 mm 1 2 Processed'; } \
    >"$work/unnamed"
printf 'not a blocks file\n' >"$work/other.txt"
HOME=$work XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work XDG_STATE_HOME=$work \
    timeout 120 nvim --headless --clean --cmd "set runtimepath+=$source/editors/vim" \
    --cmd "lua _G.arg_list = { '$work/board.blocks', '$work/unnamed', '$work/other.txt',
        '$work/got' }" \
    -c "luafile $source/tests/editors/vim_syntax.lua" >/dev/null 2>&1 </dev/null
diff -u "$source/tests/editors/vim_syntax_expected.txt" "$work/got"
