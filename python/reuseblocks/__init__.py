# SPDX-License-Identifier: MIT
"""Read, edit and write design-reuse blocks files ("PCB_BLOCKS FILE FORMAT 2.0").

The same loader and writer as the C++ library and the `reuseblocks` tool. Values are str,
decoded from the file's bytes as UTF-8 with surrogateescape, so that any byte survives a load,
an edit and a write.
"""

from . import _blocks_file
from ._blocks_file import BlockDict
from ._core import (LAYER_MAP_COLUMN_NAMES, PROPERTY_NAMES, Block, BlocksFile, LayerMap,
                    __version__)
from ._frames import Change
from ._serial import dump, dumps, load, loads
from ._errors import (LoadError, PathArg, Problem, RecordError, RecordProblem, RoundTripError,
                      StaleError, UnreadableFileError)
from ._layer_maps import LayerMaps, RowLike, RowValues

__all__ = [
    "LAYER_MAP_COLUMN_NAMES",
    "PROPERTY_NAMES",
    "Block",
    "BlockDict",
    "BlocksFile",
    "Change",
    "LayerMap",
    "LayerMaps",
    "LoadError",
    "PathArg",
    "Problem",
    "RecordError",
    "RecordProblem",
    "RoundTripError",
    "RowLike",
    "RowValues",
    "StaleError",
    "UnreadableFileError",
    "__version__",
    "dump",
    "dumps",
    "load",
    "loads",
]

_blocks_file.install()

# Shown and pickled under the name users import them by.
for _exported in (Block, BlockDict, BlocksFile, Change, LayerMap, LayerMaps, LoadError, Problem,
                  RecordError, RecordProblem, RoundTripError, StaleError, UnreadableFileError):
    _exported.__module__ = __name__
del _exported
