-- SPDX-License-Identifier: MIT
-- Run by nvim_diagnostics_test.sh: opens the faulty file, lets Neovim's own client start the
-- server, waits for its diagnostics and writes them, one a line, to OUT.
local tool, file, out = unpack(_G.arg_list)
vim.cmd('edit ' .. vim.fn.fnameescape(file))
local lines = { 'filetype ' .. vim.bo.filetype }
local config = { name = 'reuseblocks', cmd = { tool, 'lsp' }, root_dir = vim.fn.fnamemodify(file, ':h') }
if vim.lsp.start then
  vim.lsp.start(config)
else
  vim.lsp.buf_attach_client(0, vim.lsp.start_client(config))
end
vim.wait(30000, function() return #vim.diagnostic.get(0) > 0 end, 20)
local diagnostics = vim.diagnostic.get(0)
table.sort(diagnostics, function(a, b)
  if a.lnum ~= b.lnum then return a.lnum < b.lnum end
  return a.col < b.col
end)
for _, d in ipairs(diagnostics) do
  table.insert(lines, string.format('%d:%d-%d %s %s: %s', d.lnum + 1, d.col + 1, d.end_col + 1,
    vim.diagnostic.severity[d.severity], tostring(d.code or (d.user_data and d.user_data.lsp.code)), d.message))
end
vim.fn.writefile(lines, out)
for _, client in pairs(vim.lsp.get_active_clients()) do client.stop() end
vim.wait(5000, function() return #vim.lsp.get_active_clients() == 0 end, 20)
vim.cmd('qa!')
