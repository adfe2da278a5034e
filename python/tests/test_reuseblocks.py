# SPDX-License-Identifier: MIT
import copy
import doctest
import errno
import gc
import os
import pickle
import subprocess
import sys
from collections.abc import ItemsView, KeysView, MutableSequence, ValuesView
from pathlib import Path
from typing import Any, Callable, Dict, List

import pytest

import reuseblocks as rb

ROOT = Path(__file__).resolve().parents[2]
BOARD = ROOT / "examples" / "board.blocks"


def test_blocks_file_api_on_the_sample(tmp_path: Path) -> None:
    f = rb.BlocksFile.open(BOARD)
    assert len(f) == 12 and "/TOP/PSU1" in f and "/TOP/NOPE" not in f
    assert [b.id for b in f] == f.ids() and f.ids()[:2] == ["/TOP/U12/B3", "/TOP/U12/B4"]
    assert f["/TOP/PSU1"] == f.get("/TOP/PSU1") and f["/TOP/PSU1"].file is f

    b = f["/TOP/ETH/PHY0"]
    assert (b.block_path, b.symbol_name, b.xloc, b["qor_status"]) == (
        "$REUSE/other_libs/eth_phy_rgmii", "eth_phy_rgmii", "0", "Unprocessed")
    b.xloc, b["YLOC"] = "640", "3400"
    with pytest.raises(KeyError):
        b["NOPE"]
    with pytest.raises(ValueError, match="rename"):
        b["BLOCK_HIER_NAME"] = "/TOP/OTHER"
    with pytest.raises(TypeError):
        b.side = True  # type: ignore[assignment]

    new = f.add("/TOP/B9", xloc="10", SIDE="TOP")  # type: ignore[call-arg]
    assert (new.block_type, new.block_status, new.xloc, new.side) == (
        "Smashed", "Unplaced", "10", "TOP")
    assert f.add("/TOP/B10", init=False).block_type == ""
    for taken_or_empty in ["/TOP/B9", "", "a\0b"]:
        with pytest.raises(ValueError):
            f.add(taken_or_empty)
    with pytest.raises(TypeError):
        f.add("/TOP/B11", colour="red")  # type: ignore[call-arg]
    assert "/TOP/B11" not in f and f.ids()[-2:] == ["/TOP/B9", "/TOP/B10"]
    del f["/TOP/B10"], f["/TOP/B9"]

    out = tmp_path / "out.blocks"
    f.write(out, app="placer")
    again = rb.BlocksFile.open(str(out))
    assert again.to_list() == f.to_list() and b"# Application: placer\n" in out.read_bytes()
    assert f.to_list()[0] == f["/TOP/U12/B3"].to_dict()


def test_mapping_methods_behave_as_a_dicts() -> None:
    f, other = rb.BlocksFile.open(BOARD), rb.BlocksFile.open(BOARD)
    d = {block.id: block for block in other}

    def drive(m: Any) -> List[object]:
        seen: List[object] = [len(m), "/TOP/PSU1" in m, 7 in m, m["/TOP/PSU2"].id]
        keys, values, items = m.keys(), m.values(), m.items()
        seen += [list(keys), [b.id for b in values], [(k, b.id) for k, b in items]]
        seen += [keys & {"/TOP/PSU1", "/NOPE"}, "/TOP/PSU1" in keys,
                 ("/TOP/PSU1", m["/TOP/PSU1"]) in items]
        seen += [m.get("/NOPE"), m.get("/NOPE", 5), m.get(7), m.pop("/NOPE", None), m.pop(8, 0)]
        seen += [m.pop("/TOP/PSU1").xloc]
        del m["/TOP/PSU2"]
        absent: List[Callable[[], object]] = [lambda: m["/NOPE"], lambda: m.pop("/NOPE"),
                                              lambda: m.__delitem__(3)]
        for missing in absent:
            with pytest.raises(KeyError):
                missing()
        seen += [len(keys), len(values), len(items), list(keys)]  # views are live
        return seen

    assert drive(f) == drive(d)
    assert isinstance(f.keys(), KeysView) and isinstance(f.values(), ValuesView)
    assert isinstance(f.items(), ItemsView) and all(isinstance(b, rb.Block) for b in f)

    popped = rb.BlocksFile.open(BOARD).pop("/TOP/ETH/PHY0")  # usable: a file of its own
    assert len(popped.file) == 1
    assert [tuple(r)[3] for r in popped.layer_maps] == ["TOP", "GND1", "SIG1"]


def test_layer_maps_is_a_mutable_sequence() -> None:
    f = rb.BlocksFile()
    rows = f.add("/A").layer_maps
    assert isinstance(rows, MutableSequence)
    rows.append(("1", "TOP", "1", "TOP"))
    first = rows[0]
    plain: List[object] = []

    def apply(m: Any, sequence: List[object]) -> None:
        steps: List[Callable[[], object]] = [
            lambda: m.extend([("2", "GND", "2", "GND"), ("3", "S1", "3", "S1")]),
            lambda: m.insert(0, ("0", "X", "0", "X")),
            lambda: m.insert(-1, ("9", "Y", "9", "Y")),
            lambda: m.__setitem__(slice(1, 3), [("5", "A", "5", "A")]),
            lambda: m.__setitem__(slice(None, None, -1), list(m)),
            lambda: m.__delitem__(slice(None, None, 2)),
            lambda: m.__iadd__([("7", "B", "7", "B")] * 3),
            lambda: m.remove(("7", "B", "7", "B")),
            lambda: m.reverse(),
            lambda: m.pop(1),
            lambda: m.__setitem__(-1, ("8", "C", "8", "C")),
        ]
        for step in steps:
            step()
            sequence.append(tuple(tuple(row) for row in m))

    seen: List[object] = []
    apply(rows, seen)
    apply([("1", "TOP", "1", "TOP")], plain)
    assert seen == plain and len(rows) == 3
    assert rows.index(("7", "B", "7", "B")) == 0 and rows.count(("7", "B", "7", "B")) == 1
    assert rows[-1] == ("8", "C", "8", "C") and rows[0] != ("x",) and rows[1:][0] == rows[1]
    out_of_range: List[Callable[[], object]] = [lambda: rows[len(rows)],
                                                lambda: rows.__delitem__(-9)]
    for bad in out_of_range:
        with pytest.raises(IndexError):
            bad()
    for wrong, error in [("abcd", TypeError), (("1", "2"), ValueError),
                         (("1", None, "3", "4"), TypeError),
                         ({"BLOCK_LAYER_ORDER": "1"}, ValueError)]:
        with pytest.raises(error):
            rows.append(wrong)  # type: ignore[arg-type]
    with pytest.raises(ValueError):
        rows[::2] = [("1", "a", "1", "a")] * 9
    rows.append({"block_layer_order": "4", "BLOCK_LAYER_NAME": "M", "design_order": "4",
                 "DESIGN_LAYER_NAME": "M"})
    rows[0].design_layer_name = "NEW"
    assert rows[0].to_dict()["DESIGN_LAYER_NAME"] == "NEW" and tuple(rows[-1])[1] == "M"

    # A row handle follows its row as rows before it come and go, and goes stale with it.
    rows.clear()
    rows.extend([("1", "a", "1", "a"), ("2", "b", "2", "b")])
    second = rows[1]
    rows.insert(0, ("0", "z", "0", "z"))
    del rows[1]
    assert second.index == 1 and second.block_layer_name == "b"
    with pytest.raises(rb.StaleError):
        first.block_layer_name


def test_rename_keeps_order_and_handles() -> None:
    f = rb.BlocksFile.open(BOARD)
    order = f.ids()
    psu, row = f["/TOP/PSU1"], f["/TOP/PSU1"].layer_maps[1]
    f.rename("/TOP/PSU1", "/TOP/PSU9")
    f.rename({"/TOP/U12/B3": "/TOP/U12/B4", "/TOP/U12/B4": "/TOP/U12/B3"})  # a swap
    assert f.ids() == ["/TOP/U12/B4", "/TOP/U12/B3", "/TOP/PSU9"] + order[3:]
    assert psu.id == "/TOP/PSU9" and row.block == psu and row.index == 1 and "/TOP/PSU1" not in f

    before = f.to_list()
    for renames, error in [({"/NOPE": "/X"}, KeyError), ({"/TOP/PSU2": "/TOP/PSU9"}, ValueError),
                           ({"/TOP/PSU2": ""}, ValueError),
                           ({"/TOP/PSU2": "/X", "/TOP/PSU9": "/X"}, ValueError)]:
        with pytest.raises(error):
            f.rename(renames)
    assert f.to_list() == before
    with pytest.raises(RuntimeError):
        for block in f:
            f.rename(block.id, block.id + "x")


def unchecked(f: rb.BlocksFile, id: str, **fields: str) -> rb.BlocksFile:
    """f with block `id`'s fields set past the checks of the setters, as a pickle may set them."""
    version, blocks = f.__getstate__()
    state = [(tuple(fields.get(name.lower(), value) for name, value in
                    zip(rb.PROPERTY_NAMES, properties)) if properties[0] == id else properties,
              rows) for properties, rows in blocks]
    made = rb.BlocksFile.__new__(rb.BlocksFile)
    made.__setstate__((version, state))
    return made


def test_write_refuses_what_would_not_read_back(tmp_path: Path) -> None:
    target = tmp_path / "target.blocks"
    target.write_bytes(b"before")
    f = unchecked(rb.BlocksFile.open(BOARD), "/TOP/PSU2", side="top side")
    with pytest.raises(rb.RoundTripError) as info:
        f.write(target)
    assert info.value.problems == [rb.Problem("/TOP/PSU2", "SIDE", None, "holds white space")]
    assert "SIDE of block '/TOP/PSU2' holds white space" in str(info.value)
    assert target.read_bytes() == b"before" and isinstance(info.value, ValueError)
    assert pickle.loads(pickle.dumps(info.value)).problems == info.value.problems

    f.write(target, check=False)
    assert b" top side " in target.read_bytes()

    written = target.read_bytes()
    for value in ["a\nb", "a\rb"]:  # no blocks file can hold a line break: never written
        f = unchecked(f, "/TOP/PSU2", side=value)
        with pytest.raises(rb.RoundTripError) as info:
            f.write(target, check=False)
        assert not info.value.checked
    with pytest.raises(ValueError):
        f.write(target, app="me\nyou")
    assert target.read_bytes() == written and sorted(os.listdir(tmp_path)) == ["target.blocks"]


def test_load_and_write_errors(tmp_path: Path) -> None:
    bad = tmp_path / "bad.blocks"
    bad.write_text("/A p t s 1 2 TOP 0 mils 3 4 q\n/B too short\n/C p t s 1 2 TOP 0 mils 3 4 q\n")
    f = rb.BlocksFile()
    with pytest.raises(rb.LoadError) as info:
        f.load(bad)
    error = info.value
    assert (error.code, error.name, error.line, error.path) == (-2, "DefinitionTooShort", 2, bad)
    assert "fields" in error.message and not isinstance(error, OSError)
    assert pickle.loads(pickle.dumps(error)).line == 2
    assert f.ids() == ["/A"]  # what came before the rejected line stays

    for path, number in [(tmp_path / "missing", errno.ENOENT), (tmp_path, errno.EISDIR)]:
        with pytest.raises(OSError) as raised:
            f.load(path)
        assert isinstance(raised.value, rb.LoadError)
        assert (raised.value.code, raised.value.errno, raised.value.filename) == (-1, number, path)
        assert pickle.loads(pickle.dumps(raised.value)).errno == number
    with pytest.raises(ValueError):
        f.load("bad\0name")
    with pytest.raises(OSError) as raised:
        f.write(tmp_path / "no" / "such.blocks")
    assert raised.value.errno == errno.ENOENT


def test_bytes_that_are_not_utf8_survive(tmp_path: Path) -> None:
    raw = b"/TOP/\xff\xfe p\xe9 Smashed Placed 1 2 TOP 0 mils 3 4 \xc3\x28\n" \
          b"map_block_host /TOP/\xff\xfe 1 L\x80 1 TOP\n"
    source = tmp_path / "latin.blocks"
    source.write_bytes(raw)
    f = rb.BlocksFile.open(source)
    (block,) = f
    assert block.id == b"/TOP/\xff\xfe".decode("utf-8", "surrogateescape") and block.id in f
    block.xloc = "\udc80\u00e9"  # an escaped byte and a real character
    out = tmp_path / "out.blocks"
    f.write(out)  # into the source's text: its unchanged mapping line stays as it was
    body = out.read_bytes().split(b"\n")[-3:]
    assert body == [b"/TOP/\xff\xfe p\xe9 Smashed Placed \x80\xc3\xa9 2 TOP 0 mils 3 4 \xc3\x28 ",
                    b"map_block_host /TOP/\xff\xfe 1 L\x80 1 TOP", b""]
    f.write(out, fresh=True)
    assert out.read_bytes().split(b"\n")[-2] == b"map_block_host /TOP/\xff\xfe 1 L\x80 1 TOP "
    assert pickle.loads(pickle.dumps(f)).to_list() == f.to_list()
    with pytest.raises(UnicodeEncodeError):
        block.xloc = "\ud800"  # a surrogate that stands for no byte
    # A load error quoting such bytes quotes them as escapes.
    source.write_bytes(raw + b"/TOP/B p Smashed Placed 1 2 TOP 0 mils 3 4 x\n" + raw.split(b"\n")[1])
    with pytest.raises(rb.LoadError, match="/TOP/\udcff\udcfe"):
        rb.BlocksFile.open(source)


def test_columns_hold_the_values_of_every_block(tmp_path: Path) -> None:
    f = rb.BlocksFile.open(BOARD)
    for index, name in enumerate(rb.PROPERTY_NAMES):
        expected = [b[name] for b in f]
        assert f.column(name) == f.column(name.lower()) == f.column(index) == expected
    assert f.column(-1) == f.column(rb.PROPERTY_NAMES[-1]) and rb.BlocksFile().column("XLOC") == []

    # Bytes that are not UTF-8 come out as every other read gives them, in file order.
    source = tmp_path / "latin.blocks"
    source.write_bytes(b"/TOP/\xff p\xe9 Smashed Placed \x80 2 TOP 0 mils 3 4 \xc3\x28\n"
                       b"map_block_host /TOP/\xff 1 L\x80 1 TOP\n"
                       b"/TOP/A p Smashed Placed 1 2 TOP 0 mils 3 4 x\n")
    latin = rb.BlocksFile.open(source)
    latin["/TOP/A"].yloc = "\udc80\u00e9"
    for name in rb.PROPERTY_NAMES:
        assert latin.column(name) == [b[name] for b in latin]
    assert latin.column("XLOC")[0].encode("utf-8", "surrogateescape") == b"\x80"
    assert latin.column("YLOC")[1] == "\udc80\u00e9"
    ids, rows, *columns = latin._layer_map_columns()
    assert (ids, rows) == ([latin.ids()[0]], [0])
    assert list(zip(*columns)) == [tuple(r) for b in latin for r in b.layer_maps]

    for bad in ("NOPE", "", "MAPS", "SYMBOL"):
        with pytest.raises(KeyError) as info:
            f.column(bad)
        assert repr(bad) in str(info.value) and "BLOCK_HIER_NAME, BLOCK_PATH" in str(info.value)
    for index in (12, -13, 2**70, -(2**70)):
        with pytest.raises(IndexError, match="out of range"):
            f.column(index)
    with pytest.raises(TypeError):
        f.column(1.0)  # type: ignore[arg-type]
    with pytest.raises(UnicodeEncodeError):
        f.column("\ud800")


def test_stale_handles_raise() -> None:
    f = rb.BlocksFile()
    block = f.add("/A")
    block.layer_maps.append(("1", "TOP", "1", "TOP"))
    row, rows = block.layer_maps[0], block.layer_maps
    del f["/A"]
    f.add("/A")  # may reuse the memory of the removed block
    uses: List[Callable[[], object]] = [
        lambda: block.xloc, lambda: setattr(block, "xloc", "1"), lambda: block.layer_maps,
        lambda: block.to_dict(), lambda: row.design_order, lambda: len(rows),
        lambda: rows.append(("1", "a", "1", "b")), lambda: pickle.dumps(block)]
    for use in uses:
        with pytest.raises(rb.StaleError):
            use()
    assert block != f["/A"] and "removed" in repr(block) and "removed" in repr(row)
    assert block in {block} and block == block

    kept = rb.BlocksFile.open(BOARD)["/TOP/PSU1"]  # keeps its collection alive
    gc.collect()
    assert kept.xloc == "300"
    with pytest.raises(RuntimeError):
        for _ in f:
            f.add("/B")


def test_walks_survive_finalizers_that_remove_blocks() -> None:
    f = rb.BlocksFile.open(BOARD)

    class Remover:
        def __init__(self) -> None:
            self.cycle = self  # freed only by a collection, which may come at any allocation

        def __del__(self) -> None:  # removes a block at every collection while f has one
            if len(f):
                del f[f.ids()[0]]
                Remover()

    walks: List[Callable[[], object]] = [f.to_list, lambda: pickle.dumps(f),
                                         lambda: list(f.items()), lambda: [b.xloc for b in f],
                                         lambda: f.column("XLOC"), f._columns,
                                         f._layer_map_columns]
    threshold = gc.get_threshold()
    gc.set_threshold(1)
    try:
        for walk in walks:
            if not len(f):
                f.load(BOARD)
            Remover()
            try:
                walk()
            except RuntimeError:
                pass  # "changed size during ...", as a dict's walk ends
    finally:
        gc.set_threshold(*threshold)


def test_pickle_and_deepcopy_round_trip() -> None:
    f = rb.BlocksFile.open(BOARD)
    b = f["/TOP/ETH/PHY0"]
    clones: List[Callable[[Any], Any]] = [lambda x: pickle.loads(pickle.dumps(x)), copy.deepcopy]
    for clone in clones:
        g, c, r = clone((f, b, b.layer_maps[2]))  # the file goes along once
        assert g is not f and g.to_list() == f.to_list() and c.file is g and r.block == c
        c.xloc = "999"
        assert b.xloc == "0" and g[b.id].xloc == "999" and r.index == 2
        alone = clone(b.layer_maps)
        assert alone[0].block.file is not f and list(alone) == list(b.layer_maps)
    assert copy.copy(b) == b

    block = ("/A",) + ("x",) * 11
    for state in [(2, []), (1, [5]), (1, [(block[:11], ())]), (1, [(("",) + block[1:], ())]),
                  (1, [(block, ()), (block, ())]), (1, [((1,) * 12, ())]),
                  (1, [(block, (("1", "2"),))])]:
        with pytest.raises((ValueError, TypeError)):
            rb.BlocksFile.__new__(rb.BlocksFile).__setstate__(state)  # type: ignore[arg-type]



def test_from_list_checks_as_import_does() -> None:
    f = rb.BlocksFile.open(BOARD)
    assert rb.BlocksFile.from_list(f.to_list()).to_list() == f.to_list()
    flat = {"ID": "/N", "block_path": "p", "XLOC": 10, "yloc": 2.5, "SIDE": "TOP", "ROTATION": "0",
            "UNITS": "mils", "INT_XLOC": "1", "INT_YLOC": "2", "symbol": "ignored",
            "layer_maps": [{"BLOCK_LAYER_ORDER": 1, "BLOCK_LAYER_NAME": "TOP", "DESIGN_ORDER": "1",
                            "DESIGN_LAYER_NAME": "TOP"}]}
    made = rb.BlocksFile.from_list([flat])["/N"]
    assert (made.xloc, made.yloc, made.block_type, tuple(made.layer_maps[0])) == (
        "10", "2.5", "Smashed", ("1", "TOP", "1", "TOP"))

    records: List[Dict[str, Any]] = [
        dict(flat, colour="red"),                         # 0 unknown field
        dict(flat, ID="/M", xloc="1", XLOC="1"),          # 1 given twice
        {"ID": "/K", "XLOC": "1"},                        # 2 missing fields
        dict(flat, ID="/S", SIDE="top side"),             # 3 would not read back
        dict(flat, layer_maps=[{"BLOCK_LAYER_ORDER": "1"}]),  # 4 a short row, and /N again
        {"XLOC": "1"},                                    # 5 no ID
        dict(flat, ID="/T", XLOC=None),                   # 6 not text
    ]
    with pytest.raises(rb.RecordError) as info:
        rb.BlocksFile.from_list(records)
    messages = [str(problem) for problem in info.value.problems]
    assert [problem.record for problem in info.value.problems] == [0, 1, 2, 3, 4, 4, 5, 6]
    for index, text in enumerate(["unknown field 'colour'", "XLOC is given twice",
                                  "needs a value for BLOCK_PATH",
                                  "SIDE value 'top side' holds white space",
                                  "lacks BLOCK_LAYER_NAME", "block ID '/N' is already defined",
                                  "no BLOCK_HIER_NAME", "XLOC must be a string or a number"]):
        assert text in messages[index], (text, messages[index])


def test_to_dataframe() -> None:
    pandas = pytest.importorskip("pandas")
    f = rb.BlocksFile.open(BOARD)
    frame = f.to_dataframe()
    assert list(frame.index) == f.ids()
    assert list(frame.columns) == list(rb.PROPERTY_NAMES[1:]) + ["SYMBOL", "MAPS"]
    assert frame.loc["/TOP/PSU1", "XLOC"] == "300" and frame.index.name == "BLOCK_HIER_NAME"
    assert frame.loc["/TOP/PSU1", "MAPS"] == 2 and frame.loc["/TOP/PSU1", "SYMBOL"] == "buck_3v3"
    # The records leave the layer maps behind: refused, not lost.
    with pytest.raises(rb.RecordError, match="MAPS"):
        rb.BlocksFile.from_list(frame.reset_index().to_dict("records"))
    bare = rb.BlocksFile.from_list(frame.drop(columns="MAPS").reset_index().to_dict("records"))
    assert [b.to_dict()["properties"] for b in bare] == [b.to_dict()["properties"] for b in f]
    assert rb.BlocksFile().to_dataframe().shape == (0, 13) and pandas is not None


def test_csv_example(tmp_path: Path) -> None:
    out = tmp_path / "placed.blocks"
    subprocess.run([sys.executable, str(ROOT / "examples" / "csv_to_blocks.py"),
                    str(ROOT / "examples" / "placements.csv"), str(out)], check=True)
    f = rb.BlocksFile.open(out)
    assert f.ids() == ["/TOP/U12/B3", "/TOP/PSU1", "/TOP/USB/J1", "/TOP/SENS/U21"]
    sensor = f["/TOP/SENS/U21"]
    assert (sensor.int_xloc, sensor.int_yloc, sensor.block_status) == ("914400", "101600", "Placed")
    assert [r.design_layer_name for r in f["/TOP/USB/J1"].layer_maps] == ["BOTTOM", "TOP"]


def test_docs_session_runs_as_pasted(tmp_path: Path, monkeypatch: pytest.MonkeyPatch) -> None:
    pytest.importorskip("pandas")
    page = (ROOT / "docs" / "python.md").read_text()
    session = page.split("```pycon\n", 1)[1].split("```\n", 1)[0]
    (tmp_path / "examples").mkdir()
    (tmp_path / "examples" / "board.blocks").write_bytes(BOARD.read_bytes())
    (tmp_path / "session.txt").write_text(session)
    monkeypatch.chdir(tmp_path)
    result = doctest.testfile(str(tmp_path / "session.txt"), module_relative=False)
    assert result.attempted > 0 and result.failed == 0
    assert "/TOP/FAN/U40" in rb.BlocksFile.open(tmp_path / "patched.blocks")


def test_long_columns_of_distinct_and_repeated_values() -> None:
    # Values that differ in one byte at any place, for every length up to 20, nearly all distinct
    # at first and repeating later, ASCII and not, each read as the block itself gives it.
    values = [f"{n}.{n * 7 % 1000}" for n in range(5000)]
    for size in range(1, 21):
        values += ["a" * size] + ["a" * at + "b" + "a" * (size - at - 1) for at in range(size)]
    values += ["\udc80", "\udcff\udcfe", "\u00e9", "x\u00e9", "\U0001f600" * 3, "7"] * 200
    f = rb.BlocksFile()
    for n, value in enumerate(values):
        f.add(f"/B{n}", xloc=value, yloc=values[n // 2])
    xloc, yloc = f.column("XLOC"), f.column("YLOC")
    assert xloc == values and yloc == [values[n // 2] for n in range(len(values))]
    assert xloc == [b.xloc for b in f]
    assert xloc[-5].encode("utf-8", "surrogateescape") == b"\xff\xfe"

    # A column is a list of its own: later changes show in the next one only.
    f["/B0"].xloc = "changed"
    f.add("/new", xloc="last")
    assert xloc[0] == values[0] and len(xloc) == len(values)
    assert f.column("XLOC") == ["changed"] + values[1:] + ["last"]
