Content-Length: 5

{oopsContent-Length: -3

Content-Length: 2

[]Content-Length: 44

{"jsonrpc": "2.0", "id": [1], "method": "x"}Content-Length: 73

{"jsonrpc": "2.0", "id": 1, "method": "textDocument/hover", "params": {}}Content-Length: 83

{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}}Content-Length: 90

{"jsonrpc": "2.0", "id": 2, "method": "textDocument/hover", "params": {"textDocument": 5}}Content-Length: 168

{"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {"uri": "file:///a.blocks", "text": "/\u00e9\ud83d\ude00 a b c\r\rmap_block_host x\n"}}}Content-Length: 173

{"jsonrpc": "2.0", "id": 3, "method": "textDocument/completion", "params": {"textDocument": {"uri": "file:///a.blocks"}, "position": {"line": -1, "character": 99999999999}}}Content-Length: 99999999999999999999

{}