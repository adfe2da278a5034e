#!/bin/sh
# SPDX-License-Identifier: MIT
# Neovim's own LSP client on a faulty file: the file type comes from the format line (the file has
# no .blocks name), and the diagnostics, their byte columns after a non-ASCII ID included, are the
# expected ones. Skipped (77) where no nvim is installed.
# Usage: nvim_diagnostics_test.sh TOOL SOURCE_DIR
set -eu
tool=$1
source=$2
command -v nvim >/dev/null 2>&1 || { echo "no nvim: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' '# TOLVANE PCB_BLOCKS FILE FORMAT 2.0' \
    '/TOP/Ü1 $REUSE/x Smashed placed 100 200 TOP 0 mils 25400 50801 Unprocessed' \
    'map_block_host /TOP/Ü1 1 TOP 1 TOP' \
    '/TOP/B $REUSE/y Primitive Unplaced 0 0 TOPP 0 mils 0 0 Processed' \
    '/TOP/SHORT $REUSE/z' \
    '/TOP/C $REUSE/w Replica Unplaced 0 0 TOP 0 mills 0 0 Processed' >"$work/faulty"
HOME=$work XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work XDG_STATE_HOME=$work \
    timeout 120 nvim --headless --clean --cmd "set runtimepath+=$source/editors/vim" \
    --cmd "lua _G.arg_list = { '$tool', '$work/faulty', '$work/got' }" \
    -c "luafile $source/tests/tool/lsp/nvim_diagnostics.lua" >/dev/null 2>&1 </dev/null
diff -u "$source/tests/tool/lsp/nvim_expected.txt" "$work/got"
