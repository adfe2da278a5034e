# SPDX-License-Identifier: MIT
"""Values given as numbers, checked where they are given, and files from and to bytes and file
objects."""
import errno
import io
import os
import subprocess
import sys
import warnings
from pathlib import Path
from typing import Any, Callable, List

import pytest

import reuseblocks as rb

ROOT = Path(__file__).resolve().parents[2]
BOARD = ROOT / "examples" / "board.blocks"


def test_numbers_are_stored_as_the_text_that_reads_back_the_same() -> None:
    f = rb.BlocksFile()
    b = f.add("/A", xloc=300.0, yloc=91.44, rotation=90)
    b.int_xloc = 1300  # type: ignore[assignment]  # read back as str
    b["INT_YLOC"] = 1e16
    b.layer_maps.append((1, "TOP", 2.0, "TOP"))
    b.layer_maps[0].design_order = 3  # type: ignore[assignment]
    assert (b.xloc, b.yloc, b.rotation, b.int_xloc, b.int_yloc) == (
        "300", "91.44", "90", "1300", "10000000000000000")
    assert tuple(b.layer_maps[0]) == ("1", "TOP", "3", "TOP")
    refused: List[Callable[[], object]] = [
        lambda: setattr(b, "xloc", True), lambda: setattr(b, "xloc", None),
        lambda: b.__setitem__("XLOC", b"300"),  # type: ignore[assignment]
        lambda: f.add("/B", side=[1]),  # type: ignore[arg-type]
        lambda: b.layer_maps.append(("1", None, "1", "TOP"))]  # type: ignore[arg-type]
    for refuse in refused:
        with pytest.raises(TypeError, match=r"block '/[AB]': (XLOC|SIDE|BLOCK_LAYER_NAME)"):
            refuse()
    for nan in [float("nan"), float("inf")]:
        with pytest.raises(ValueError, match="block '/A': YLOC"):
            b.yloc = nan  # type: ignore[assignment]
    assert b.xloc == "300" and b.yloc == "91.44" and "/B" not in f


def test_values_no_file_can_hold_are_refused_where_given() -> None:
    f = rb.BlocksFile.open(BOARD)
    b = f["/TOP/PSU1"]
    before = f.to_list()
    refused: List[Callable[[], object]] = [
        lambda: f.add("/X", side="top side"), lambda: f.add("/Z", xloc=""),
        lambda: f.add("/Y", qor_status="a\nb"), lambda: f.add("bad id"),
        lambda: f.add("#comment"), lambda: setattr(b, "side", "a b"),
        lambda: b.__setitem__("UNITS", ""), lambda: setattr(b, "xloc", "1\r"),
        lambda: b.layer_maps.append(("1", "TOP", "1", "TOP BOTTOM")),
        lambda: b.layer_maps.insert(0, ("", "TOP", "1", "TOP")),
        lambda: b.layer_maps.__setitem__(0, ("1", "a'b", "1", "TOP")),
        lambda: setattr(b.layer_maps[0], "design_layer_name", "x y"),
        lambda: f.rename("/TOP/PSU1", "/TOP/PSU 1")]
    for refuse in refused:
        with pytest.raises(ValueError, match="which a blocks file cannot hold") as info:
            refuse()
        assert "'/" in str(info.value) or "'bad id'" in str(info.value) or "#" in str(info.value)
    with pytest.raises(ValueError, match=r"block '/TOP/PSU1': SIDE value 'a b' holds white"):
        b.side = "a b"
    assert f.to_list() == before and "/X" not in f and "/Z" not in f

    # A block built field by field: unset fields stay unset until write() names them.
    built = rb.BlocksFile().add("/N", init=False)
    built.block_path = "p"
    with pytest.raises(rb.RoundTripError) as raised:
        built.file.write(os.devnull)
    assert {problem.field for problem in raised.value.problems} >= {"XLOC", "SIDE", "QOR_STATUS"}


class Index:
    """An index whose conversion runs `action` first, as any __index__ may."""

    def __init__(self, action: Callable[[], object], value: int = 0) -> None:
        self.action, self.value = action, value

    def __index__(self) -> int:
        self.action()
        return self.value


def test_an_index_is_converted_before_its_block_is_looked_up() -> None:
    row = ("9", "NEW", "9", "NEW")
    edits: List[Callable[[Any, Index], object]] = [
        lambda rows, index: rows.__setitem__(index, row),
        lambda rows, index: rows.__delitem__(index),
        lambda rows, index: rows.insert(index, row),
        lambda rows, index: rows[index]]
    for edit in edits:
        f = rb.BlocksFile.open(BOARD)
        rows = f["/TOP/PSU1"].layer_maps
        others = [(b.id, [tuple(row) for row in b.layer_maps]) for b in f if b.id != "/TOP/PSU1"]

        def swap() -> None:  # the block goes, and another may take its memory
            del f["/TOP/PSU1"]
            f.add("/TOP/NEW").layer_maps.extend([("1", "A", "1", "A")] * 3)

        with pytest.raises(rb.StaleError):
            edit(rows, Index(swap))
        assert [(b.id, [tuple(row) for row in b.layer_maps]) for b in f if b.id != "/TOP/NEW"] == others
        assert [tuple(row) for row in f["/TOP/NEW"].layer_maps] == [("1", "A", "1", "A")] * 3


def test_an_index_that_clears_the_rows_is_out_of_range() -> None:
    # Run apart: before the fix this aborted the interpreter.
    script = """if True:
        import reuseblocks as rb
        f = rb.BlocksFile()
        rows = f.add("/A").layer_maps
        class Index:
            def __index__(self):
                rows.clear()
                return 0
        for edit in [lambda: rows.__setitem__(Index(), ("1", "A", "1", "A")),
                     lambda: rows.__delitem__(Index()), lambda: rows[Index()]]:
            rows.extend([("1", "A", "1", "A")] * 2)
            try:
                edit()
            except IndexError:
                print("IndexError")
        print(len(rows))
    """
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                            env=dict(os.environ), check=False)
    assert (result.returncode, result.stdout) == (0, "IndexError\n" * 3 + "0\n"), result.stderr


def test_lookups_of_ids_no_file_holds_and_an_empty_path() -> None:
    f = rb.BlocksFile.open(BOARD)
    assert "\ud800" not in f and f.get("\ud800") is None
    lookups: List[Callable[[], object]] = [lambda: f["\ud800"], lambda: f.__delitem__("\ud800")]
    for lookup in lookups:
        with pytest.raises(KeyError):
            lookup()
    with pytest.raises(FileNotFoundError):
        f.write("")
    with pytest.raises(OSError) as info:
        rb.BlocksFile.open("")
    assert info.value.errno == errno.ENOENT


def test_equality_compares_contents_in_order() -> None:
    f, g = rb.BlocksFile.open(BOARD), rb.BlocksFile.open(BOARD)
    assert f == g and f["/TOP/PSU1"] == g["/TOP/PSU1"] and f["/TOP/PSU1"] != g["/TOP/PSU2"]
    assert f != rb.BlocksFile() and f != f.to_list()
    assert {f["/TOP/PSU1"], g["/TOP/PSU1"]} == {f["/TOP/PSU1"]}
    g["/TOP/PSU1"].layer_maps.reverse()
    assert f != g and f["/TOP/PSU1"] != g["/TOP/PSU1"]
    g["/TOP/PSU1"].layer_maps.reverse()
    g.rename({"/TOP/U12/B3": "/TOP/U12/B4", "/TOP/U12/B4": "/TOP/U12/B3"})
    assert f != g  # the same blocks, in another order
    text = repr(f["/TOP/PSU1"])
    assert "'/TOP/PSU1'" in text and "xloc='300'" in text and "2 layer maps" in text
    with pytest.warns(DeprecationWarning):
        assert hash(f) == hash(f)


def body(data: bytes) -> List[bytes]:
    """The lines of a blocks file but its comments, whose date may differ."""
    return [line for line in data.split(b"\n") if not line.startswith(b"#")]


def test_loads_dumps_and_file_objects(tmp_path: Path) -> None:
    data = BOARD.read_bytes()
    f = rb.loads(data)
    assert f == rb.BlocksFile.open(BOARD) == rb.loads(data.decode("utf-8", "surrogateescape"))
    assert rb.load(io.BytesIO(data)) == f and rb.loads(bytearray(data)) == f
    with open(BOARD, "rb") as binary:
        assert rb.load(binary) == f
    with open(BOARD, encoding="utf-8") as text, pytest.raises(TypeError, match="binary mode"):
        rb.load(text)  # type: ignore[arg-type]
    with pytest.raises(TypeError, match="binary mode"):
        rb.dump(f, io.StringIO())  # type: ignore[arg-type]
    with pytest.raises(TypeError):
        rb.loads(5)  # type: ignore[arg-type]

    written = rb.dumps(f, "placer")
    assert b"# Application: placer\n" in written and rb.loads(written) == f
    sink = io.BytesIO()
    rb.dump(f, sink, "placer")
    assert body(sink.getvalue()) == body(written)
    f.write(tmp_path / "out.blocks", "placer")
    assert body((tmp_path / "out.blocks").read_bytes()) == body(written)

    with pytest.raises(rb.LoadError) as info:
        rb.loads(b"/A too short\n")
    assert (info.value.path, info.value.line) == ("<data>", 1)
    with pytest.raises(rb.LoadError) as info:
        rb.load(io.BytesIO(b"/A too short\n"))
    assert info.value.path == "<stream>"

    # Read from standard input, as a script in a pipe does.
    script = "import sys, reuseblocks as rb; print(len(rb.load(sys.stdin.buffer)))"
    result = subprocess.run([sys.executable, "-c", script], input=data, capture_output=True,
                            check=True)
    assert result.stdout == b"12\n"


def test_write_without_a_path_writes_back_where_it_was_opened(tmp_path: Path) -> None:
    path = tmp_path / "board.blocks"
    path.write_bytes(BOARD.read_bytes())
    f = rb.BlocksFile.open(path)
    f["/TOP/PSU1"].xloc = 310  # type: ignore[assignment]
    f.write(app="placer")
    assert rb.BlocksFile.open(path)["/TOP/PSU1"].xloc == "310"
    f.write(fresh=True)
    with pytest.raises(ValueError, match="needs a path"):
        rb.BlocksFile().write()
    with pytest.raises(ValueError, match="needs a path"):
        rb.loads(BOARD.read_bytes()).write()


def test_write_back_keeps_the_files_own_text_and_changes_only_the_edited_line(
        tmp_path: Path) -> None:
    path = tmp_path / "board.blocks"
    original = BOARD.read_bytes().replace(b"\n", b"\r\n")
    original = original.replace(b"\r\n/TOP/PSU1 ", b"\r\n# a reviewer's note\r\n\r\n/TOP/PSU1 ", 1)
    path.write_bytes(original)
    f = rb.BlocksFile.open(path)
    f["/TOP/PSU1"].xloc = 310  # type: ignore[assignment]
    f.write()
    before, after = original.split(b"\r\n"), path.read_bytes().split(b"\r\n")
    changed = [(old, new) for old, new in zip(before, after) if old != new]
    assert len(before) == len(after) and len(changed) == 1
    assert changed[0][0].startswith(b"/TOP/PSU1 ") and b" 310 " in changed[0][1]
    assert rb.BlocksFile.open(path) == f

    # Nothing changed: nothing written, not even the same bytes.
    stamp = os.stat(path)
    f.write()
    assert os.stat(path).st_mtime_ns == stamp.st_mtime_ns and os.stat(path).st_ino == stamp.st_ino

    # Saved elsewhere, the text still comes along; fresh=True writes the library's own form.
    f.write(tmp_path / "copy.blocks")
    assert (tmp_path / "copy.blocks").read_bytes() == path.read_bytes()
    f.write(tmp_path / "fresh.blocks", app="placer", fresh=True)
    fresh = (tmp_path / "fresh.blocks").read_bytes()
    assert b"a reviewer's note" not in fresh and b"# Application: placer\n" in fresh
    assert rb.BlocksFile.open(tmp_path / "fresh.blocks") == f


def test_layer_maps_append_takes_four_columns_with_a_warning() -> None:
    rows = rb.BlocksFile().add("/A").layer_maps
    with pytest.warns(DeprecationWarning, match="one row"):
        rows.append("1", "TOP", "1", "TOP")
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        rows.append(("2", "GND", "2", "GND"))
    assert [tuple(row) for row in rows] == [("1", "TOP", "1", "TOP"), ("2", "GND", "2", "GND")]


def test_help_shows_real_signatures() -> None:
    assert "PyCapsule" not in (rb.BlocksFile.open.__doc__ or "") + str(
        getattr(rb.BlocksFile.open, "__self__", ""))
    import pydoc
    shown = pydoc.render_doc(rb.BlocksFile.open, renderer=pydoc.plaintext)  # type: ignore
    assert "PyCapsule" not in shown and "path" in shown


def test_write_errors_say_what_the_system_said(tmp_path: Path) -> None:
    f = rb.BlocksFile.open(BOARD)
    with pytest.raises(IsADirectoryError) as directory:
        f.write(tmp_path)
    assert directory.value.filename == tmp_path
    if os.path.exists("/dev/full"):  # a device that is never replaced and has no room
        with pytest.raises(OSError) as info:
            f.write("/dev/full")
        assert info.value.errno == errno.ENOSPC and "while" in str(info.value)
