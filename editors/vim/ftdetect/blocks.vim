" SPDX-License-Identifier: MIT
" Blocks files: by the extension, or by the format line the writer puts first in any file.
autocmd BufNewFile,BufRead *.blocks setfiletype blocks
autocmd BufNewFile,BufRead * if getline(1) =~# 'PCB_BLOCKS FILE FORMAT 2\.0' | setfiletype blocks | endif
