#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times `reuseblocks lsp` from a document's text to its diagnostics: a generated document of
# BLOCKS blocks (default 100000, 2 layer maps each, one block in a thousand with a fault) is
# opened, then sent again whole as a change RUNS times (environment, default 5), then changed by
# one character of one block's status RUNS times and one digit of its XLOC RUNS times (the block
# moves); prints the time from the message sent to
# publishDiagnostics received (median and slowest), the server's CPU time in all and the load
# average.
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

def timed(message):
    start = time.perf_counter()
    send(message)
    received = receive()
    return time.perf_counter() - start, len(received["params"]["diagnostics"])

def change(version, changes):
    return {"jsonrpc": "2.0", "method": "textDocument/didChange", "params": {
        "textDocument": {"uri": uri, "version": version}, "contentChanges": changes}}

opened, count = timed({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {
    "textDocument": {"uri": uri, "languageId": "blocks", "version": 1, "text": text}}})
version = 1  # the document's, as opened
def changed(changes):
    global version
    version += 1
    return timed(change(version, changes))

whole = [changed([{"text": text}])[0] for run in range(runs)]
line = 1 + 3 * (blocks // 2)

def one_character(after, characters):
    """RUNS changes of the character after `after` on the middle block's line, to each of
    `characters` in turn."""
    column = lines[line].index(after) + len(after)
    at = {"start": {"line": line, "character": column},
          "end": {"line": line, "character": column + 1}}
    return [changed([{"range": at, "text": characters[run % 2]}]) for run in range(runs)]

# Its status, "Placed" to "placed" and back; a digit of its XLOC: the block moves to a free place.
status = one_character(" Smashed ", "pP")
one, after = [seconds for seconds, _ in status], status[0][1]
moved = [seconds for seconds, _ in one_character(" Placed ", "12")]
send({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
receive()
send({"jsonrpc": "2.0", "method": "exit"})
server.wait()
used = resource.getrusage(resource.RUSAGE_CHILDREN)
with open("/proc/loadavg") as f:
    load = " ".join(f.read().split()[:3])
print(f"{blocks} blocks, {len(text) / 1e6:.1f} MB, {count} diagnostics (the target in brackets)")
print(f"  opened                     {opened:.3f} s  [1 s]")
print(f"  changed whole              median {statistics.median(whole):.3f} s, slowest "
      f"{max(whole):.3f} s over {runs}")
print(f"  one character changed      median {statistics.median(one):.3f} s, slowest "
      f"{max(one):.3f} s over {runs}  [0.1 s]; {after} diagnostics after")
print(f"  one digit of XLOC changed  median {statistics.median(moved):.3f} s, slowest "
      f"{max(moved):.3f} s over {runs}  [0.1 s]")
print(f"  the server's CPU time      {used.ru_utime + used.ru_stime:.3f} s in all "
      f"(load average {load})")
PYTHON
