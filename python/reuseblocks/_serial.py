# SPDX-License-Identifier: MIT
"""load(), loads(), dump() and dumps(): blocks files from and to file objects and bytes, as the
json and pickle modules do it. The library reads and writes files by path, so the data passes
through a private temporary directory."""

from __future__ import annotations

import io
import os
import shutil
import tempfile
from typing import IO, Any, Optional, Union

from ._core import BlocksFile
from ._errors import LoadError, PathArg

#: What loads() takes: the file's bytes, or its text (UTF-8 with surrogateescape, as values are).
Data = Union[bytes, bytearray, memoryview, str]


def _binary(fp: object, function: str) -> None:
    if isinstance(fp, io.TextIOBase):
        raise TypeError(f"{function}() needs a file opened in binary mode ('rb' or 'wb'), "
                        "not text mode")


def _as_bytes(data: object, function: str) -> bytes:
    if isinstance(data, str):
        return data.encode("utf-8", "surrogateescape")
    if isinstance(data, (bytes, bytearray, memoryview)):
        return bytes(data)
    raise TypeError(f"{function}() takes bytes or str, not {type(data).__name__}")


class _Scratch:
    """A private directory with one file in it, removed with what is in it on exit."""

    def __enter__(self) -> str:
        self.directory = tempfile.mkdtemp(prefix="reuseblocks-")
        return os.path.join(self.directory, "data.blocks")

    def __exit__(self, *exception: object) -> None:
        shutil.rmtree(self.directory, ignore_errors=True)


def _loads(data: bytes, shown: PathArg) -> BlocksFile:
    with _Scratch() as path:
        with open(path, "wb") as scratch:
            scratch.write(data)
        blocks = BlocksFile()
        try:
            blocks.load(path)
        except LoadError as error:
            if isinstance(error, OSError):
                raise
            raise LoadError(shown, error.code, error.name, error.line, error.message) from None
    return blocks


def loads(data: Data) -> BlocksFile:
    """A new BlocksFile of the blocks file `data` holds (bytes, or str taken as UTF-8 with
    surrogateescape). LoadError names the line as BlocksFile.load() does, with path '<data>'."""
    return _loads(_as_bytes(data, "loads"), "<data>")


def load(fp: IO[bytes]) -> BlocksFile:
    """A new BlocksFile of the blocks file read from `fp` to its end: a file object opened in
    binary mode (open(path, 'rb'), io.BytesIO, sys.stdin.buffer); TypeError for one in text
    mode. LoadError carries fp's name as its path."""
    _binary(fp, "load")
    data = fp.read()
    if isinstance(data, str):
        raise TypeError("load() needs a file opened in binary mode ('rb'), not text mode")
    name: Any = getattr(fp, "name", None)
    shown = name if isinstance(name, (str, bytes, os.PathLike)) else "<stream>"
    return _loads(_as_bytes(data, "load"), shown)


def dumps(blocks: BlocksFile, app: Optional[str] = None, *, check: bool = True) -> bytes:
    """The blocks file blocks.write() would write, as bytes; it raises as write() does."""
    with _Scratch() as path:
        blocks.write(path, app, check=check)
        with open(path, "rb") as scratch:
            return scratch.read()


def dump(blocks: BlocksFile, fp: IO[bytes], app: Optional[str] = None, *,
         check: bool = True) -> None:
    """Writes the blocks file to `fp`, a file object opened in binary mode (open(path, 'wb'),
    io.BytesIO, sys.stdout.buffer); TypeError for one in text mode. Nothing is written when
    the check fails; otherwise it is written as fp writes, not atomically."""
    _binary(fp, "dump")
    fp.write(dumps(blocks, app, check=check))
