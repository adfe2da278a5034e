# SPDX-License-Identifier: MIT
"""Whole files through pandas DataFrames and CSV, and edits of properties from a frame."""
import io
from pathlib import Path
from typing import Any, Callable, List

import pytest

import reuseblocks as rb

pandas: Any = pytest.importorskip("pandas")

ROOT = Path(__file__).resolve().parents[2]
BOARD = ROOT / "examples" / "board.blocks"


def through_csv(frame: Any, **options: Any) -> Any:
    text = io.StringIO()
    frame.to_csv(text, **options)
    text.seek(0)
    return pandas.read_csv(text)


def test_two_frames_hold_the_whole_file_through_csv() -> None:
    f = rb.BlocksFile.open(BOARD)
    blocks, layer_maps = f.to_dataframes()
    assert blocks.equals(f.to_dataframe()) and len(layer_maps) == 30
    assert list(layer_maps.columns) == ["ID", "row", "BLOCK_LAYER_ORDER", "BLOCK_LAYER_NAME",
                                        "DESIGN_ORDER", "DESIGN_LAYER_NAME"]
    assert rb.BlocksFile.from_dataframes(blocks, layer_maps) == f

    # read_csv makes numbers of the numeric columns: they come back as the file held them.
    blocks_read, rows_read = through_csv(blocks), through_csv(layer_maps, index=False)
    assert blocks_read["XLOC"].dtype.kind in "if" and rows_read["DESIGN_ORDER"].dtype.kind == "i"
    assert rb.BlocksFile.from_dataframes(blocks_read.set_index("BLOCK_HIER_NAME"),
                                         rows_read) == f
    assert rb.BlocksFile.from_dataframes(blocks_read, rows_read.sample(frac=1, random_state=1)) == f

    floats = blocks_read.astype({"XLOC": "float64"})
    floats.loc[0, "XLOC"] = 91.44
    made = rb.BlocksFile.from_dataframes(floats, rows_read)
    assert made[f.ids()[0]].xloc == "91.44" and made[f.ids()[1]].xloc == f[f.ids()[1]].xloc
    made = rb.BlocksFile.from_dataframes(floats.astype({"XLOC": "float32"}), rows_read)
    assert made[f.ids()[0]].xloc == "91.44"  # a float32's own shortest text

    # Nothing is lost without a word.
    with pytest.raises(rb.RecordError, match="MAPS"):
        rb.BlocksFile.from_dataframes(blocks)
    with pytest.raises(rb.RecordError, match="MAPS"):
        rb.BlocksFile.from_dataframes(blocks, layer_maps.iloc[1:])
    with pytest.raises(ValueError, match="/TOP/ELSEWHERE"):
        rb.BlocksFile.from_dataframes(
            blocks, layer_maps.assign(ID=layer_maps["ID"].where(layer_maps["row"] > 0,
                                                                "/TOP/ELSEWHERE")))
    missing = blocks_read.copy()
    missing.loc[2, "SIDE"] = float("nan")
    with pytest.raises(rb.RecordError) as info:
        rb.BlocksFile.from_dataframes(missing, rows_read)
    assert f"block '{f.ids()[2]}': SIDE is NaN" in str(info.value)
    with pytest.raises(TypeError, match="'SIDE'"):
        rb.BlocksFile.from_dataframes(blocks.assign(SIDE=True), layer_maps)
    with pytest.raises(ValueError, match="block ID"):  # row numbers are no IDs
        rb.BlocksFile.from_dataframes(blocks_read.drop(columns="BLOCK_HIER_NAME"), rows_read)
    with pytest.raises(rb.RecordError, match="SIDE value 'top side' holds white space"):
        rb.BlocksFile.from_dataframes(blocks.assign(SIDE="top side"), layer_maps)


def test_update_from_dataframe_changes_only_what_it_names() -> None:
    f = rb.BlocksFile.open(BOARD)
    before = f.to_list()
    rows_before = {b.id: [tuple(row) for row in b.layer_maps] for b in f}
    frame = f.to_dataframe().loc[["/TOP/PSU1", "/TOP/PSU2"], ["XLOC", "YLOC", "SIDE", "MAPS"]]
    frame["XLOC"] = [310.0, 700]
    frame["MAPS"] = 0  # derived: left alone
    changes = f.update_from_dataframe(frame)
    assert changes == [rb.Change("/TOP/PSU1", "XLOC", "300", "310")]
    assert str(changes[0]) == "XLOC of block '/TOP/PSU1': '300' -> '310'"
    assert {b.id: [tuple(row) for row in b.layer_maps] for b in f} == rows_before
    assert [b for b in f.to_list() if b["properties"]["XLOC"] != "310"] == \
        [b for b in before if b["properties"]["BLOCK_HIER_NAME"] != "/TOP/PSU1"]

    edited = f.to_list()
    unknown = frame.rename(index={"/TOP/PSU1": "/NOPE1", "/TOP/PSU2": "/NOPE2"})
    bad: List[Callable[[], object]] = [
        lambda: f.update_from_dataframe(unknown),
        lambda: f.update_from_dataframe(frame.assign(YLOC=[1.0, float("nan")])),
        lambda: f.update_from_dataframe(frame.assign(SIDE=[True, False])),
        lambda: f.update_from_dataframe(frame.assign(SIDE=pandas.Timestamp("2026-01-01"))),
        lambda: f.update_from_dataframe(frame.assign(COLOUR="red")),
        lambda: f.update_from_dataframe(frame.assign(SIDE=["TOP", "a b"])),
        lambda: f.update_from_dataframe(frame.assign(SIDE=["TOP", None]))]
    messages = []
    for update in bad:
        with pytest.raises((TypeError, ValueError)) as info:
            update()
        messages.append(str(info.value))
    assert "'/NOPE1', '/NOPE2'" in messages[0]
    assert "block '/TOP/PSU2': YLOC is NaN" in messages[1]
    assert "'SIDE'" in messages[2] and "'SIDE'" in messages[3] and "COLOUR" in messages[4]
    assert "block '/TOP/PSU2': SIDE value 'a b'" in messages[5]
    assert "block '/TOP/PSU2': SIDE must be" in messages[6]
    assert f.to_list() == edited


def test_layer_map_frame_is_the_rows_of_every_block(tmp_path: Path) -> None:
    source = tmp_path / "latin.blocks"
    source.write_bytes(b"/TOP/B p Smashed Placed 1 2 TOP 0 mils 3 4 x\n"
                       b"/TOP/\xff p Smashed Placed 1 2 TOP 0 mils 3 4 x\n"
                       b"map_block_host /TOP/\xff 1 L\x80 1 TOP\n"
                       b"map_block_host /TOP/\xff 2 B 2 BOTTOM\n")
    for f in (rb.BlocksFile.open(BOARD), rb.BlocksFile.open(source), rb.BlocksFile()):
        _, layer_maps = f.to_dataframes()
        assert [str(t) for t in layer_maps.dtypes] == ["object", "int64"] + ["object"] * 4
        assert list(layer_maps.itertuples(index=False, name=None)) == [
            (b.id, number) + tuple(row) for b in f for number, row in enumerate(b.layer_maps)]


def test_frames_are_the_callers_own(tmp_path: Path) -> None:
    source = tmp_path / "latin.blocks"
    source.write_bytes(b"/TOP/\xff p\xe9 Smashed Placed \x80 2 TOP 0 mils 3 4 x\n"
                       b"map_block_host /TOP/\xff 1 L\x80 1 TOP\n")
    for f in (rb.BlocksFile.open(BOARD), rb.BlocksFile.open(source), rb.BlocksFile()):
        blocks, layer_maps = f.to_dataframes()
        assert [str(t) for t in blocks.dtypes] == ["object"] * 12 + ["int64"]
        assert blocks.index.name == "BLOCK_HIER_NAME" and blocks.index.dtype == object
        assert list(blocks.itertuples(name=None)) == [
            tuple(b[name] for name in rb.PROPERTY_NAMES) + (b.symbol_name, len(b.layer_maps))
            for b in f]
        if not len(f):
            continue
        # Changes to a frame reach neither the file nor the next frames, and the other way round.
        first = f.ids()[0]
        before = f.to_list()
        blocks.loc[first, "XLOC"] = "edited"
        blocks["MAPS"] += 1
        layer_maps.loc[0, "BLOCK_LAYER_NAME"] = "edited"
        layer_maps["row"] *= 2
        assert f.to_list() == before
        again, maps_again = f.to_dataframes()
        assert again.loc[first, "XLOC"] == f[first].xloc and maps_again["row"][0] == 0
        f[first].xloc = "later"
        assert again.loc[first, "XLOC"] != "later" and blocks.loc[first, "XLOC"] == "edited"
        assert blocks.copy().equals(blocks) and layer_maps.to_numpy().shape[0] == len(layer_maps)
