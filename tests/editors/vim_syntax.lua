-- SPDX-License-Identifier: MIT
-- Writes, for every file named, its file type and the highlight group of each word (at the
-- word's first character), one line each: what a person sees coloured, in a form diff can check.
local out = table.remove(_G.arg_list)
local lines = {}
vim.cmd('filetype on')
vim.cmd('syntax enable')
for _, file in ipairs(_G.arg_list) do
  vim.cmd('edit ' .. vim.fn.fnameescape(file))
  table.insert(lines, vim.fn.fnamemodify(file, ':t') .. ': filetype ' .. vim.bo.filetype)
  for number = 1, vim.fn.line('$') do
    local text = vim.fn.getline(number)
    for start, word in text:gmatch('()(%S+)') do
      local group = vim.fn.synIDattr(vim.fn.synID(number, start, 1), 'name')
      table.insert(lines, string.format('%d:%d %s %s', number, start, word,
                                        group ~= '' and group or '-'))
    end
  end
end
vim.fn.writefile(lines, out)
vim.cmd('qall!')
