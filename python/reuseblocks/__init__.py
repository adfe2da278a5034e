# SPDX-License-Identifier: MIT
"""Read, edit and write design-reuse blocks files ("PCB_BLOCKS FILE FORMAT 2.0").

The same loader and writer as the C++ library and the `reuseblocks` tool. Values are str,
decoded from the file's bytes as UTF-8 with surrogateescape, so that any byte survives a load,
an edit and a write.
"""

from ._core import Block, BlocksFile, LayerMap, LayerMaps, __version__
from ._errors import LoadError, Problem, StaleError, UnreadableFileError

__all__ = [
    "Block",
    "BlocksFile",
    "LayerMap",
    "LayerMaps",
    "LoadError",
    "Problem",
    "StaleError",
    "UnreadableFileError",
]



def _from_list(cls, data):
    """A new BlocksFile from dicts of the shape to_list() gives (`reuseblocks list --json`).

    "symbol" is ignored (it follows from BLOCK_PATH); missing properties stay empty.
    """
    blocks = cls()
    for entry in data:
        properties = dict(entry["properties"])
        block = blocks.add(properties.pop("BLOCK_HIER_NAME"), init=False)
        for field, value in properties.items():
            block[field] = value
        for row in entry.get("layer_maps", ()):
            block.layer_maps.append(
                row["BLOCK_LAYER_ORDER"],
                row["BLOCK_LAYER_NAME"],
                row["DESIGN_ORDER"],
                row["DESIGN_LAYER_NAME"],
            )
    return blocks


BlocksFile.from_list = classmethod(_from_list)

# Shown and pickled under the name users import them by.
for _exported in (Block, BlocksFile, LayerMap, LayerMaps, LoadError, Problem, StaleError,
                  UnreadableFileError):
    _exported.__module__ = __name__
del _exported
