" SPDX-License-Identifier: MIT
" Blocks files: comments, the mapping keyword, block IDs and the values the checks hold fields to.
if exists('b:current_syntax')
  finish
endif

syntax match blocksComment /^\s*#.*$/ contains=blocksFormatLine
syntax match blocksFormatLine /PCB_BLOCKS FILE FORMAT 2\.0/ contained
" The keyword anywhere makes a mapping line; the block ID follows it.
syntax match blocksKeyword /\<map_block_host\>/ nextgroup=blocksMappedID skipwhite
syntax match blocksMappedID /\S\+/ contained
" A definition line starts with its block ID, after an optional "(". Found by looking back
" rather than with \zs, which the engine misses when it has already passed the line's start; not
" the keyword, which starts a mapping line.
syntax match blocksID /\(^\s*(\=\s*\)\@<=\(map_block_host\>\)\@![^#([:space:]]\S*/ contains=NONE
syntax keyword blocksType Smashed Primitive Replica
syntax keyword blocksStatus Unplaced Placed Planned Processed Unprocessed
syntax keyword blocksSide TOP BOTTOM
syntax keyword blocksUnits mils mm
syntax match blocksNumber /\s\zs[-+]\=\d\+\(\.\d*\)\=\([eE][-+]\=\d\+\)\=\ze\(\s\|)\=$\)/
syntax region blocksQuoted start=/["']/ end=/["']/ oneline

highlight default link blocksComment Comment
highlight default link blocksFormatLine PreProc
highlight default link blocksKeyword Keyword
highlight default link blocksMappedID Identifier
highlight default link blocksID Identifier
highlight default link blocksType Type
highlight default link blocksStatus Constant
highlight default link blocksSide Constant
highlight default link blocksUnits Constant
highlight default link blocksNumber Number
highlight default link blocksQuoted String

let b:current_syntax = 'blocks'
