# SPDX-License-Identifier: MIT
"""The package's exceptions and the records they carry; the extension raises and makes them."""

from __future__ import annotations

import errno as _errno
import os
from typing import List, NamedTuple, Optional, Sequence, Tuple, Union

#: What the package takes as a path: a str, bytes or os.PathLike.
PathArg = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]


def _shown(path: PathArg) -> str:
    return os.fsdecode(os.fspath(path))


class StaleError(ReferenceError):
    """A Block or LayerMap was used after its block or row was removed."""


class LoadError(ValueError):
    """A blocks file was rejected at a line.

    Attributes: code (the load result code, -1 to -5), name ("DefinitionTooShort", ...),
    line (1-based; 0 when the file could not be read), message (why), path (as given).
    """

    path: PathArg
    code: int
    name: str
    line: int
    message: str

    def __init__(self, path: PathArg, code: int, name: str, line: int, message: str) -> None:
        super().__init__(f"{_shown(path)}:{line}: {message}")
        self._keep(path, code, name, line, message)

    def _keep(self, path: PathArg, code: int, name: str, line: int, message: str) -> None:
        self.path = path
        self.code = code
        self.name = name
        self.line = line
        self.message = message

    def __reduce__(self) -> Tuple[type, Tuple[object, ...]]:
        return type(self), (self.path, self.code, self.name, self.line, self.message)


class UnreadableFileError(OSError, LoadError):
    """A blocks file could not be opened or read: a LoadError with code -1 that is also an
    OSError, with errno, strerror and filename."""

    def __init__(
        self, path: PathArg, code: int, name: str, line: int, message: str, error_number: int
    ) -> None:
        OSError.__init__(self, error_number, os.strerror(error_number), path)
        self._keep(path, code, name, line, message)

    def __reduce__(self) -> Tuple[type, Tuple[object, ...]]:
        return type(self), (self.path, self.code, self.name, self.line, self.message, self.errno)


class Problem(NamedTuple):
    """A value that a write followed by a load would not give back: the block's ID, the field
    ("SIDE", or a layer-map column such as "DESIGN_LAYER_NAME"), the layer-map row for a column
    (else None) and why ("holds white space")."""

    block_id: str
    field: str
    row: Optional[int]
    message: str

    def __str__(self) -> str:
        where = "" if self.row is None else f", layer-map row {self.row},"
        return f"{self.field} of block {self.block_id!r}{where} {self.message}"


def _more(problems: Sequence[object]) -> str:
    more = len(problems) - 1
    return f" (and {more} more; see .problems)" if more else ""


class RoundTripError(ValueError):
    """write() found values that would not read back the same, and wrote nothing.

    Attributes: path (as given), problems (every such value, a list of Problem), checked (False
    when write(check=False) was asked to write anyway, and the values are ones that no blocks
    file can hold).
    """

    path: PathArg
    problems: List[Problem]
    checked: bool

    def __init__(self, path: PathArg, problems: Sequence[Problem], checked: bool = True) -> None:
        problems = [Problem(*problem) for problem in problems]
        if not problems:
            raise ValueError("a RoundTripError needs at least one Problem")
        why = "so it would not read back the same" if checked else "which a blocks file cannot hold"
        hint = "; write(..., check=False) writes anyway" if checked else ""
        super().__init__(f"{_shown(path)}: nothing written: {problems[0]}, {why}"
                         f"{_more(problems)}{hint}")
        self.path = path
        self.problems = problems
        self.checked = checked

    def __reduce__(self) -> Tuple[type, Tuple[object, ...]]:
        return type(self), (self.path, self.problems, self.checked)


class RecordProblem(NamedTuple):
    """What from_list() found wrong in one of its records: the record's index and why."""

    record: int
    message: str

    def __str__(self) -> str:
        return f"record {self.record}: {self.message}"


class RecordError(ValueError):
    """from_list() found records that a blocks file cannot take, and made nothing.

    Attribute problems: every one found, in record order (a list of RecordProblem).
    """

    problems: List[RecordProblem]

    def __init__(self, problems: Sequence[RecordProblem]) -> None:
        problems = [RecordProblem(*problem) for problem in problems]
        if not problems:
            raise ValueError("a RecordError needs at least one RecordProblem")
        super().__init__(f"{problems[0]}{_more(problems)}")
        self.problems = problems

    def __reduce__(self) -> Tuple[type, Tuple[object, ...]]:
        return type(self), (self.problems,)


def _why_unreadable(path: PathArg) -> int:
    # The library only says that the file could not be read; opening it again tells why.
    try:
        with open(path, "rb") as file:
            file.read(1)
    except OSError as error:
        if error.errno:
            return error.errno
    return _errno.EIO


def _load_error(path: PathArg, code: int, name: str, line: int, message: str) -> LoadError:
    if code == -1:
        return UnreadableFileError(path, code, name, line, message, _why_unreadable(path))
    return LoadError(path, code, name, line, message)


def _write_error(path: PathArg, step: int, step_name: str, error_number: int,
                 message: str) -> Exception:
    """The library's report of a failed write as an exception: OSError (FileNotFoundError,
    PermissionError, ... by errno) when the system said why."""
    if step == 1:  # the library's own check: a value no blocks file can hold
        return ValueError(message)
    if error_number:
        return OSError(error_number, message, path)
    error = OSError(message)
    error.filename = path
    return error
