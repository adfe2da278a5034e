# SPDX-License-Identifier: MIT
import errno
import gc
import os
import pickle
import subprocess
import sys
from pathlib import Path

import pytest

import reuseblocks as rb

ROOT = Path(__file__).resolve().parents[2]
BOARD = ROOT / "examples" / "board.blocks"


def test_blocks_file_api_on_the_sample(tmp_path):
    f = rb.BlocksFile.open(BOARD)
    assert len(f) == 12 and "/TOP/PSU1" in f and "/TOP/NOPE" not in f and 1 not in f
    assert [b.id for b in f] == f.ids() and f.ids()[:2] == ["/TOP/U12/B3", "/TOP/U12/B4"]
    with pytest.raises(KeyError):
        f["/TOP/NOPE"]
    assert f.get("/TOP/NOPE") is None and f["/TOP/PSU1"] == f.get("/TOP/PSU1")

    b = f["/TOP/ETH/PHY0"]
    assert (b.block_path, b.symbol_name, b.xloc, b["qor_status"]) == (
        "$REUSE/other_libs/eth_phy_rgmii", "eth_phy_rgmii", "0", "Unprocessed")
    b.xloc, b["YLOC"] = "640", "3400"
    with pytest.raises(KeyError):
        b["NOPE"]
    with pytest.raises(ValueError):
        b["BLOCK_HIER_NAME"] = "/TOP/OTHER"
    with pytest.raises(TypeError):
        b.side = 3

    rows = b.layer_maps
    assert len(rows) == 3 and rows[-1].design_layer_name == "SIG1" and rows[2] == rows[-1]
    with pytest.raises(IndexError):
        rows[3]
    added = rows.append("4", "BOTTOM", "8", "BOTTOM")
    assert added.index == 3 and [r.block_layer_name for r in rows][-1] == "BOTTOM"
    del rows[0]
    assert added.index == 2 and len(b.layer_maps) == 3  # a row follows its moves

    new = f.add("/TOP/B9", xloc="10", SIDE="TOP")
    assert (new.block_type, new.block_status, new.xloc, new.side) == ("Smashed", "Unplaced", "10", "TOP")
    assert f.add("/TOP/B10", init=False).block_type == ""
    with pytest.raises(KeyError):
        f.add("/TOP/B9")
    with pytest.raises(TypeError):
        f.add("/TOP/B11", colour="red")
    assert "/TOP/B11" not in f and f.ids()[-2:] == ["/TOP/B9", "/TOP/B10"]
    del f["/TOP/B10"]
    with pytest.raises(KeyError):
        del f["/TOP/B10"]

    assert [(p.block_id, p.field) for p in f.problems()] == [("/TOP/B9", "BLOCK_PATH"),
        ("/TOP/B9", "YLOC"), ("/TOP/B9", "ROTATION"), ("/TOP/B9", "UNITS"),
        ("/TOP/B9", "INT_XLOC"), ("/TOP/B9", "INT_YLOC")]
    del f["/TOP/B9"]
    out = tmp_path / "out.blocks"
    f.write(out, app="placer")
    again = rb.BlocksFile.open(str(out))
    assert again.to_list() == f.to_list() and b"# Application: placer\n" in out.read_bytes()
    assert rb.BlocksFile.from_list(f.to_list()).to_list() == f.to_list()
    assert f.to_list()[0] == f["/TOP/U12/B3"].to_dict()


def test_load_and_write_errors(tmp_path):
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
        with pytest.raises(OSError) as info:
            f.load(path)
        assert isinstance(info.value, rb.LoadError)
        assert (info.value.code, info.value.errno, info.value.filename) == (-1, number, path)
        assert pickle.loads(pickle.dumps(info.value)).errno == number
    with pytest.raises(ValueError):
        f.load("bad\0name")

    with pytest.raises(OSError) as info:
        f.write(tmp_path / "no" / "such.blocks")
    assert info.value.errno == errno.ENOENT

    target = tmp_path / "target.blocks"
    f.write(target)
    before = target.read_bytes()
    for value in ["a\nb", "a\rb"]:
        f["/A"].side = value
        with pytest.raises(ValueError):
            f.write(target)
        f["/A"].side = "TOP"
        f["/A"].layer_maps.append("1", value, "1", "TOP")
        with pytest.raises(ValueError):
            f.write(target)
        del f["/A"].layer_maps[0]
    with pytest.raises(ValueError):
        f.write(target, app="me\nyou")
    assert target.read_bytes() == before and sorted(os.listdir(tmp_path)) == [
        "bad.blocks", "target.blocks"]


def test_bytes_that_are_not_utf8_survive(tmp_path):
    raw = b"/TOP/\xff\xfe p\xe9 Smashed Placed 1 2 TOP 0 mils 3 4 \xc3\x28\n" \
          b"map_block_host /TOP/\xff\xfe 1 L\x80 1 TOP\n"
    source = tmp_path / "latin.blocks"
    source.write_bytes(raw)
    f = rb.BlocksFile.open(source)
    (block,) = f
    assert block.id == b"/TOP/\xff\xfe".decode("utf-8", "surrogateescape") and block.id in f
    block.xloc = "\udc80\u00e9"  # an escaped byte and a real character
    out = tmp_path / "out.blocks"
    f.write(out)
    body = out.read_bytes().split(b"\n")[-3:]
    assert body == [b"/TOP/\xff\xfe p\xe9 Smashed Placed \x80\xc3\xa9 2 TOP 0 mils 3 4 \xc3\x28 ",
                    b"map_block_host /TOP/\xff\xfe 1 L\x80 1 TOP ", b""]
    with pytest.raises(UnicodeEncodeError):
        block.xloc = "\ud800"  # a surrogate that stands for no byte


def test_stale_handles_raise():
    f = rb.BlocksFile()
    block = f.add("/A")
    row = block.layer_maps.append("1", "TOP", "1", "TOP")
    rows = block.layer_maps
    del f["/A"]
    f.add("/A")  # may reuse the memory of the removed block
    for use in [lambda: block.xloc, lambda: setattr(block, "xloc", "1"), lambda: block.layer_maps,
                lambda: block.to_dict(), lambda: row.design_order, lambda: len(rows),
                lambda: rows.append("1", "a", "1", "b")]:
        with pytest.raises(rb.StaleError):
            use()
    assert block != f["/A"] and "removed" in repr(block)

    live = f["/A"]
    first = live.layer_maps.append("1", "TOP", "1", "TOP")
    del live.layer_maps[0]
    live.layer_maps.append("2", "GND", "2", "GND")
    with pytest.raises(rb.StaleError):
        first.block_layer_name

    kept = rb.BlocksFile.open(BOARD)["/TOP/PSU1"]  # keeps its collection alive
    gc.collect()
    assert kept.xloc == "300"

    with pytest.raises(RuntimeError):
        for walked in f:
            f.add("/B")


def test_csv_example(tmp_path):
    out = tmp_path / "placed.blocks"
    subprocess.run([sys.executable, str(ROOT / "examples" / "csv_to_blocks.py"),
                    str(ROOT / "examples" / "placements.csv"), str(out)], check=True)
    f = rb.BlocksFile.open(out)
    assert f.ids() == ["/TOP/U12/B3", "/TOP/PSU1", "/TOP/USB/J1", "/TOP/SENS/U21"]
    sensor = f["/TOP/SENS/U21"]
    assert (sensor.int_xloc, sensor.int_yloc, sensor.block_status) == ("914400", "101600", "Placed")
    assert [r.design_layer_name for r in f["/TOP/USB/J1"].layer_maps] == ["BOTTOM", "TOP"]
    assert f.problems() == []


def test_readme_example_runs_as_pasted(tmp_path):
    readme = (ROOT / "README.md").read_text()
    example = readme.split("```python\n", 1)[1].split("```\n", 1)[0]
    (tmp_path / "examples").mkdir()
    (tmp_path / "examples" / "board.blocks").write_bytes(BOARD.read_bytes())
    subprocess.run([sys.executable, "-c", example], cwd=tmp_path, check=True,
                   stdout=subprocess.DEVNULL)
    assert "/TOP/FAN/U40" in rb.BlocksFile.open(tmp_path / "patched.blocks")
