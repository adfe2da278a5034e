#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times `reuseblocks lsp` from a document's text to its diagnostics: a generated document of
# BLOCKS blocks (default 100000, 2 layer maps each, one block in a thousand with a fault) is
# opened, then sent again whole as a change, RUNS times (environment, default 5); prints the
# median and the slowest round from the message sent to publishDiagnostics received, the
# server's CPU time per round (start-up included) and the load average.
#
#   bench/lsp_diagnostics.sh BUILD_DIR [BLOCKS]
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 BUILD_DIR [BLOCKS]" >&2
    exit 2
fi
tool=$(cd "$1" && pwd)/tools/reuseblocks
if [[ ! -x $tool ]]; then
    echo "$0: $tool is missing" >&2
    exit 2
fi
/usr/bin/python3 - "$tool" "${2:-100000}" "${RUNS:-5}" <<'PYTHON'
import json, resource, statistics, subprocess, sys, time

tool, blocks, runs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
lines = ["# TOLVANE PCB_BLOCKS FILE FORMAT 2.0"]
for i in range(blocks):
    status = "placed" if i % 1000 == 999 else "Placed"
    x, y = i % 1000 * 10, i // 1000 * 10
    lines.append(f"/TOP/B{i} $REUSE/lib/part{i % 50} Smashed {status} {x} {y} TOP 0 mils "
                 f"{x * 254} {y * 254} Processed")
    lines.append(f"map_block_host /TOP/B{i} 1 TOP 1 TOP")
    lines.append(f"map_block_host /TOP/B{i} 2 BOTTOM 8 BOTTOM")
text = "\n".join(lines) + "\n"
server = subprocess.Popen([tool, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)

def send(message):
    body = json.dumps(message).encode()
    server.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
    server.stdin.flush()

def receive():
    length = 0
    while True:
        line = server.stdout.readline().strip()
        if not line:
            break
        name, _, value = line.partition(b":")
        if name.lower() == b"content-length":
            length = int(value)
    return json.loads(server.stdout.read(length))

send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}})
receive()
uri = "file:///bench.blocks"
times, count = [], 0
for run in range(runs):
    start = time.perf_counter()
    if run == 0:
        send({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
            "uri": uri, "languageId": "blocks", "version": 1, "text": text}}})
    else:
        send({"jsonrpc": "2.0", "method": "textDocument/didChange", "params": {
            "textDocument": {"uri": uri, "version": run + 1}, "contentChanges": [{"text": text}]}})
    message = receive()
    times.append(time.perf_counter() - start)
    count = len(message["params"]["diagnostics"])
send({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
receive()
send({"jsonrpc": "2.0", "method": "exit"})
server.wait()
used = resource.getrusage(resource.RUSAGE_CHILDREN)
with open("/proc/loadavg") as f:
    load = " ".join(f.read().split()[:3])
print(f"{blocks} blocks, {len(text) / 1e6:.1f} MB, {count} diagnostics: median "
      f"{statistics.median(times):.3f} s, slowest {max(times):.3f} s over {runs} rounds "
      f"; the server's CPU time {(used.ru_utime + used.ru_stime) / runs:.3f} s a round "
      f"(load average {load})")
PYTHON
