Content-Length: 83

{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}}Content-Length: 57

{"jsonrpc": "2.0", "method": "initialized", "params": {}}Content-Length: 606

{"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {"uri": "file:///a.blocks", "version": 1, "text": "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n# Three faults after one another: checking goes on where loading stops.\n/TOP/U1 $REUSE/libs/a Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\nmap_block_host /TOP/U1 1 TOP 1 TOP\n/TOP/U2 $REUSE/libs/a Smashed Unplaced 0 0\n/TOP/U3 $REUSE/libs/a Smashd Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\nmap_block_host /TOP/U1 1 TOP 1 TOP\n/TOP/U1 $REUSE/libs/a Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\nmap_block_host /TOP/U1 1 TOP 1\n"}}}Content-Length: 157

{"jsonrpc": "2.0", "id": 2, "method": "textDocument/hover", "params": {"textDocument": {"uri": "file:///a.blocks"}, "position": {"line": 1, "character": 3}}}Content-Length: 249

{"jsonrpc": "2.0", "method": "textDocument/didChange", "params": {"textDocument": {"uri": "file:///a.blocks", "version": 2}, "contentChanges": [{"range": {"start": {"line": 1, "character": 0}, "end": {"line": 2, "character": 4}}, "text": "x y\n"}]}}Content-Length: 136

{"jsonrpc": "2.0", "id": 3, "method": "textDocument/formatting", "params": {"textDocument": {"uri": "file:///a.blocks"}, "options": {}}}Content-Length: 239

{"jsonrpc": "2.0", "id": 4, "method": "textDocument/codeAction", "params": {"textDocument": {"uri": "file:///a.blocks"}, "range": {"start": {"line": 0, "character": 0}, "end": {"line": 99, "character": 0}}, "context": {"diagnostics": []}}}Content-Length: 49

{"jsonrpc": "2.0", "id": 5, "method": "shutdown"}Content-Length: 36

{"jsonrpc": "2.0", "method": "exit"}