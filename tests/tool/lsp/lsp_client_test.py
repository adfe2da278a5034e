#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Drives `reuseblocks lsp` as an editor would, over its standard streams, and checks every
answer: lifecycle, diagnostics on the right UTF-16 columns, the requests, and hostile input."""
import json
import os
import queue
import subprocess
import sys
import tempfile
import threading

TOOL = sys.argv[1]
FORMAT_LINE = "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n"
# A non-ASCII ID takes 9 UTF-16 units and 13 bytes: columns after it tell them apart.
FAULTY = (FORMAT_LINE
          + "/TOP/\u00dc\u20ac\U0001F600 $REUSE/x Smashed placed 100 200 TOP 0 mils 1 508000 Unprocessed\n"
          + "map_block_host /TOP/\u00dc\u20ac\U0001F600 1 TOP 1 TOP\n"
          + "map_block_host /TOP/\u00dc\u20ac\U0001F600 2 BOTTOM 8 BOTTOM\n"
          + "/TOP/B $REUSE/y Primitive Unplaced 0 0 TOPP 0 mils 0 0 Processed\n"
          + "/TOP/SHORT $REUSE/z\n"
          + "/TOP/C $REUSE/w Replica Unplaced 0 0 TOP 0 mills 0 0 Processed\n")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)


def column(line, text, nth=1):
    """The UTF-16 column where the nth `text` starts in `line`."""
    at = -1
    for _ in range(nth):
        at = line.index(text, at + 1)
    return len(line[:at].encode("utf-16-le")) // 2


class Server:
    def __init__(self, env=None):
        self.process = subprocess.Popen([TOOL, "lsp"], stdin=subprocess.PIPE, env=env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.messages = queue.Queue()
        self.next_id = 0
        self.pending = []  # messages that came before the answer waited for
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        out = self.process.stdout
        while True:
            length = None
            while True:
                line = out.readline()
                if not line:
                    self.messages.put(None)
                    return
                line = line.strip()
                if not line:
                    break
                name, _, value = line.partition(b":")
                if name.lower() == b"content-length":
                    length = int(value)
            self.messages.put(json.loads(out.read(length)))

    def raw(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    def send(self, message):
        body = json.dumps(message).encode()
        self.raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def notify(self, method, params=None):
        message = {"jsonrpc": "2.0", "method": method}
        if params is not None:
            message["params"] = params
        self.send(message)

    def receive(self):
        message = self.messages.get(timeout=60)
        if message is None:
            raise EOFError("the server closed its output")
        return message

    def request(self, method, params=None, raw_id=None):
        self.next_id += 1
        ident = self.next_id if raw_id is None else raw_id
        message = {"jsonrpc": "2.0", "id": ident, "method": method}
        if params is not None:
            message["params"] = params
        self.send(message)
        return self.response(ident)

    def response(self, ident):
        while True:
            message = self.receive()
            if "method" not in message and message.get("id") == ident:
                return message
            self.pending.append(message)

    def diagnostics(self, uri):
        for index, message in enumerate(self.pending):
            if message.get("method") == "textDocument/publishDiagnostics" and \
                    message["params"]["uri"] == uri:
                del self.pending[index]
                return message["params"]["diagnostics"]
        while True:
            message = self.receive()
            if message.get("method") == "textDocument/publishDiagnostics" and \
                    message["params"]["uri"] == uri:
                return message["params"]["diagnostics"]


def position(line, character):
    return {"line": line, "character": character}


def doc(uri):
    return {"textDocument": {"uri": uri}}


def at(uri, line, character):
    return {"textDocument": {"uri": uri}, "position": position(line, character)}


def lifecycle_and_hostile_input():
    server = Server()
    early = server.request("textDocument/hover", at("file:///x.blocks", 0, 0))
    check(early.get("error", {}).get("code") == -32002, "a request before initialize: %s" % early)
    reply = server.request("initialize", {"processId": None, "rootUri": None, "capabilities": {}})
    capabilities = reply["result"]["capabilities"]
    for name in ("hoverProvider", "inlayHintProvider", "documentSymbolProvider",
                 "definitionProvider", "referencesProvider", "completionProvider",
                 "codeActionProvider", "documentFormattingProvider"):
        check(name in capabilities, "capability " + name)
    server.notify("initialized", {})
    again = server.request("initialize", {"capabilities": {}})
    check(again.get("error", {}).get("code") == -32600, "a second initialize: %s" % again)
    unknown = server.request("textDocument/unknownThing", {})
    check(unknown.get("error", {}).get("code") == -32601, "an unknown request: %s" % unknown)
    server.notify("$/unknownNotification", {"x": 1})
    # Broken messages: not JSON, not an object, a bad id, wrong types, framing out of bounds.
    server.raw(b"Content-Length: 5\r\n\r\n{oops")
    check(server.receive()["error"]["code"] == -32700, "malformed JSON")
    server.raw(b"Content-Length: 2\r\n\r\n[]")
    check(server.receive()["error"]["code"] == -32600, "an array")
    server.send({"jsonrpc": "2.0", "id": {"x": 1}, "method": "shutdown"})
    reply = server.receive()
    check(reply["error"]["code"] == -32600 and reply["id"] is None, "an object as id")
    server.raw(b"Content-Length: -5\r\n\r\n")
    server.raw(b"Content-Length: 99999999999999999999999999\r\n\r\n")
    wrong = server.request("textDocument/hover", {"textDocument": 5, "position": "x"})
    check(wrong.get("error", {}).get("code") == -32602, "wrong types: %s" % wrong)
    server.notify("textDocument/didOpen", {"textDocument": {"uri": 7}})
    server.notify("textDocument/didChange", {"textDocument": {"uri": "file:///none"},
                                              "contentChanges": "x"})
    uri = "file:///tmp/open.blocks"
    server.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri, "languageId": "blocks", "version": 1, "text": FAULTY}})
    server.diagnostics(uri)
    for line, character in ((-1, 0), (0, -3), (10 ** 12, 10 ** 12), (1, 10 ** 12)):
        reply = server.request("textDocument/hover", at(uri, line, character))
        check("result" in reply, "hover at %d:%d: %s" % (line, character, reply))
        reply = server.request("textDocument/completion", at(uri, line, character))
        check("result" in reply, "completion at %d:%d: %s" % (line, character, reply))
    shutdown = server.request("shutdown")
    check(shutdown.get("result", 1) is None and "error" not in shutdown, "shutdown: %s" % shutdown)
    after = server.request("textDocument/hover", at(uri, 1, 1))
    check(after.get("error", {}).get("code") == -32600, "a request after shutdown: %s" % after)
    server.notify("exit")
    check(server.process.wait(timeout=60) == 0, "exit after shutdown ends with 0")

    # The input ends without shutdown and exit: status 1, an error on stderr.
    server = Server()
    server.request("initialize", {"capabilities": {}})
    server.process.stdin.close()
    check(server.process.wait(timeout=60) == 1, "the end of the input without shutdown")
    check(b"error" in server.process.stderr.read(), "the end of the input is explained")


def hints_turned_off_at_start():
    server = Server()
    server.request("initialize", {"capabilities": {}, "initializationOptions": {"inlayHints": False}})
    uri = "file:///off.blocks"
    server.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri, "languageId": "blocks", "version": 1, "text": FAULTY}})
    server.diagnostics(uri)
    whole = {"start": position(0, 0), "end": position(9, 0)}
    hints = server.request("textDocument/inlayHint", {**doc(uri), "range": whole})["result"]
    check(hints == [], "hints off from the initialization options: %s" % hints[:2])
    server.request("shutdown")
    server.notify("exit")
    server.process.wait(timeout=60)


def documents_are_checked_without_writing_a_file():
    # The document is checked in memory: no scratch copy, so neither an unusable TMPDIR nor a
    # usable one changes what is found, and nothing appears in the latter.
    uri = "file:///unsaved.blocks"
    found = {}
    scratch = tempfile.mkdtemp()
    for name, tmpdir in (("unusable", "/nonexistent/reuseblocks-lsp-test"), ("usable", scratch)):
        server = Server(env={**os.environ, "TMPDIR": tmpdir})
        server.request("initialize", {"capabilities": {}})
        server.notify("textDocument/didOpen", {"textDocument": {
            "uri": uri, "languageId": "blocks", "version": 1, "text": FAULTY}})
        found[name] = server.diagnostics(uri)
        check(os.listdir(scratch) == [], "nothing written under TMPDIR: %s" % os.listdir(scratch))
        server.request("shutdown")
        server.notify("exit")
        server.process.wait(timeout=60)
    codes = sorted(d["code"] for d in found["usable"])
    check("CannotCheck" not in codes and "DefinitionTooShort" in codes, "checked: %s" % codes)
    check(found["unusable"] == found["usable"], "the same diagnostics whatever TMPDIR is")
    os.rmdir(scratch)


def features():
    directory = tempfile.mkdtemp()
    path = os.path.join(directory, "board.blocks")
    with open(path, "w", encoding="utf-8") as f:
        f.write(FAULTY)
    before = os.stat(path).st_mtime_ns
    uri = "file://" + path
    lines = FAULTY.split("\n")
    server = Server()
    server.request("initialize", {"capabilities": {}, "initializationOptions": {}})
    server.notify("initialized", {})
    server.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri, "languageId": "blocks", "version": 1, "text": FAULTY}})
    diagnostics = server.diagnostics(uri)
    by_code = {}
    for diagnostic in diagnostics:
        by_code.setdefault(diagnostic["code"], []).append(diagnostic)
    print(json.dumps(sorted(by_code)))
    # Every rule, past the rejected short line, as check --strict finds them.
    for code in ("Convention", "InternalLocation", "Side", "Units", "LoadingStopped"):
        check(code in by_code, "diagnostic " + code)
    status = by_code["Convention"][0]
    check(status["range"]["start"] == position(1, column(lines[1], "placed"))
          and status["range"]["end"] == position(1, column(lines[1], "placed") + 6),
          "BLOCK_STATUS on its UTF-16 columns: %s" % status["range"])
    check("Placed" in status["message"] and status["severity"] == 2, "the did-you-mean warning")
    internal = by_code["InternalLocation"][0]
    check(internal["range"]["start"] == position(1, column(lines[1], " 1 ") + 1),
          "INT_XLOC's column: %s" % internal["range"])
    check(by_code["Side"][0]["range"]["start"] == position(4, column(lines[4], "TOPP")), "SIDE")
    check(by_code["Units"][0]["range"]["start"]["line"] == 6, "the line after a rejected one")
    check(any(d["severity"] == 1 and d["range"]["start"]["line"] == 5 for d in diagnostics),
          "the rejected line is an error")

    hover = server.request("textDocument/hover", at(uri, 1, column(lines[1], "100") + 1))["result"]
    check("XLOC" in hover["contents"]["value"], "hover on XLOC: %s" % hover)
    hover = server.request("textDocument/hover", at(uri, 1, 2))["result"]
    check("2 layer maps" in hover["contents"]["value"], "hover on an ID: %s" % hover)
    hover = server.request("textDocument/hover", at(uri, 2, column(lines[2], "TOP", 3)))["result"]
    check("DESIGN_LAYER_NAME" in hover["contents"]["value"]
          and "line 2" in hover["contents"]["value"], "hover on a mapping line: %s" % hover)

    whole = {"start": position(0, 0), "end": position(len(lines), 0)}
    hints = server.request("textDocument/inlayHint", {**doc(uri), "range": whole})["result"]
    labels = {(h["position"]["line"], h["position"]["character"]): h["label"] for h in hints}
    check(labels.get((1, column(lines[1], "100"))) == "XLOC=", "the XLOC hint: %s" % hints[:14])
    check(labels.get((1, 0)) == "BLOCK_HIER_NAME=", "the ID hint")
    server.notify("workspace/didChangeConfiguration",
                  {"settings": {"reuseblocks": {"inlayHints": False}}})
    hints = server.request("textDocument/inlayHint", {**doc(uri), "range": whole})["result"]
    check(hints == [], "hints turned off")

    symbols = server.request("textDocument/documentSymbol", doc(uri))["result"]
    check([s["name"] for s in symbols][:2] == [lines[1].split()[0], "/TOP/B"], "symbols")
    check(len(symbols[0]["children"]) == 2, "layer maps as children")

    target = server.request("textDocument/definition", at(uri, 3, column(lines[3], "/TOP") + 2))
    check(target["result"]["range"]["start"] == position(1, 0), "definition: %s" % target)
    refs = server.request("textDocument/references",
                          {**at(uri, 1, 3), "context": {"includeDeclaration": False}})["result"]
    check(sorted(r["range"]["start"]["line"] for r in refs) == [2, 3], "references: %s" % refs)

    items = server.request("textDocument/completion",
                           at(uri, 1, column(lines[1], "placed") + 2))["result"]["items"]
    check(sorted(i["label"] for i in items) == ["Placed", "Planned", "Unplaced"],
          "status completion: %s" % items)
    items = server.request("textDocument/completion",
                           at(uri, 4, column(lines[4], "TOPP")))["result"]["items"]
    check(sorted(i["label"] for i in items) == ["BOTTOM", "TOP"], "side completion")
    items = server.request("textDocument/completion",
                           at(uri, 2, column(lines[2], "/TOP") + 1))["result"]["items"]
    check(items and items[0]["label"] == lines[1].split()[0], "ID completion: %s" % items[:2])

    def fix(line, text):
        spot = position(line, column(lines[line], text) + 1)
        actions = server.request("textDocument/codeAction", {
            **doc(uri), "range": {"start": spot, "end": spot},
            "context": {"diagnostics": []}})["result"]
        return [edit["newText"] for action in actions for edit in action["edit"]["changes"][uri]]

    check(fix(1, "placed") == ["Placed"], "did-you-mean fix")
    check(fix(1, " 1 ") == ["25400"], "INT_XLOC from XLOC 100 mils: %s" % fix(1, " 1 "))
    check(fix(6, "mills") == ["mils"], "UNITS fix")

    # A mapping line's ID completes from what is typed of it, the block it belongs to first.
    server.notify("textDocument/didChange", {
        "textDocument": {"uri": uri, "version": 2},
        "contentChanges": [{"range": {"start": position(5, 0), "end": position(5, 0)},
                            "text": "map_block_host /TOP/C\n"}]})
    server.diagnostics(uri)
    items = server.request("textDocument/completion", at(uri, 5, 21))["result"]["items"]
    check([i["label"] for i in items] == ["/TOP/B", "/TOP/C"], "IDs as typed: %s" % items)
    server.notify("textDocument/didChange", {
        "textDocument": {"uri": uri, "version": 2},
        "contentChanges": [{"range": {"start": position(5, 0), "end": position(6, 0)},
                            "text": ""}]})
    server.diagnostics(uri)

    # An incremental change mends the status; its warning goes.
    start = column(lines[1], "placed")
    server.notify("textDocument/didChange", {
        "textDocument": {"uri": uri, "version": 2},
        "contentChanges": [{"range": {"start": position(1, start), "end": position(1, start + 1)},
                            "text": "P"}]})
    codes = [d["code"] for d in server.diagnostics(uri)]
    check("Convention" not in codes and "Side" in codes, "after the change: %s" % codes)

    # Formatting changes spacing only, quoted values with their blanks kept.
    messy = (FORMAT_LINE + "  /A\t$REUSE/a   Smashed Placed 0 0 \"top side\"  0 mils 0 0 "
             "Processed  \n( map_block_host  /A 1 TOP 1 TOP )\r\n")
    server.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 3},
                                              "contentChanges": [{"text": messy}]})
    server.diagnostics(uri)
    edits = server.request("textDocument/formatting",
                           {**doc(uri), "options": {"tabSize": 4, "insertSpaces": True}})["result"]
    new = messy.split("\n")
    for edit in edits:
        r = edit["range"]
        check(r["start"]["line"] == r["end"]["line"], "one line per edit")
        text = new[r["start"]["line"]]
        new[r["start"]["line"]] = text[:r["start"]["character"]] + edit["newText"] + \
            text[r["end"]["character"]:]
    check(new[1] == "/A $REUSE/a Smashed Placed 0 0 \"top side\" 0 mils 0 0 Processed ",
          "formatted definition: %r" % new[1])
    check(new[2] == "(map_block_host /A 1 TOP 1 TOP)\r", "formatted mapping: %r" % new[2])

    server.notify("textDocument/didClose", doc(uri))
    check(server.diagnostics(uri) == [], "closing clears the diagnostics")
    server.request("shutdown")
    server.notify("exit")
    check(server.process.wait(timeout=60) == 0, "exit")
    with open(path, encoding="utf-8") as f:
        check(f.read() == FAULTY and os.stat(path).st_mtime_ns == before, "the file is untouched")


lifecycle_and_hostile_input()
hints_turned_off_at_start()
documents_are_checked_without_writing_a_file()
features()
if failures:
    sys.exit("%d failures" % len(failures))
print("ok")
