# SPDX-License-Identifier: MIT
"""The package's exceptions and the Problem record; the extension raises and makes them."""

import errno as _errno
import os
from typing import NamedTuple, Optional


class StaleError(ReferenceError):
    """A Block or LayerMap was used after its block or row was removed."""


class LoadError(ValueError):
    """A blocks file was rejected at a line.

    Attributes: code (the load result code, -1 to -5), name ("DefinitionTooShort", ...),
    line (1-based; 0 when the file could not be read), message (why), path (as given).
    """

    def __init__(self, path, code, name, line, message):
        super().__init__(f"{os.fsdecode(os.fspath(path))}:{line}: {message}")
        self._keep(path, code, name, line, message)

    def _keep(self, path, code, name, line, message):
        self.path = path
        self.code = code
        self.name = name
        self.line = line
        self.message = message

    def __reduce__(self):
        return type(self), (self.path, self.code, self.name, self.line, self.message)


class UnreadableFileError(OSError, LoadError):
    """A blocks file could not be opened or read: a LoadError with code -1 that is also an
    OSError, with errno, strerror and filename."""

    def __init__(self, path, code, name, line, message, error_number):
        OSError.__init__(self, error_number, os.strerror(error_number), path)
        self._keep(path, code, name, line, message)

    def __reduce__(self):
        return type(self), (self.path, self.code, self.name, self.line, self.message, self.errno)


class Problem(NamedTuple):
    """A value that a write followed by a load would not give back."""

    block_id: str
    field: str
    row: Optional[int]
    message: str


def _why_unreadable(path):
    # The library only says that the file could not be read; opening it again tells why.
    try:
        with open(path, "rb") as file:
            file.read(1)
    except OSError as error:
        if error.errno:
            return error.errno
    return _errno.EIO


def _load_error(path, code, name, line, message):
    if code == -1:
        return UnreadableFileError(path, code, name, line, message, _why_unreadable(path))
    return LoadError(path, code, name, line, message)


def _write_error(path):
    # The library only says that the write failed; the likely reason is looked up afterwards.
    target = os.path.abspath(os.fspath(path))
    directory = os.path.dirname(target)
    if not os.path.isdir(directory):
        number = _errno.ENOTDIR if os.path.exists(directory) else _errno.ENOENT
    elif os.path.isdir(target):
        number = _errno.EISDIR
    elif not os.access(directory, os.W_OK) or (
        os.path.exists(target) and not os.access(target, os.W_OK)
    ):
        number = _errno.EACCES
    else:
        number = _errno.EIO
    return OSError(number, f"cannot write the blocks file ({os.strerror(number)})", path)
