# SPDX-License-Identifier: MIT
"""The parts of BlocksFile, Block and LayerMap written in Python: the dict protocol's views,
pop(), rename(), layer_maps and pickling, with from_list() (_records) and the DataFrames
(_frames). install() puts them on the extension's classes."""

from __future__ import annotations

from typing import (Any, Callable, Dict, ItemsView, Iterator, KeysView, List, Mapping, Optional,
                    Tuple, TypedDict, Union, ValuesView, cast)

from . import _frames, _records
from ._core import Block, BlocksFile, LayerMap
from ._errors import PathArg
from ._layer_maps import LayerMaps


class BlockDict(TypedDict):
    """A block as to_dict() and to_list() give it, the shape `reuseblocks list --json` prints:
    the symbol name, {FIELD: value} of all twelve properties and a {COLUMN: value} per row."""

    symbol: str
    properties: Dict[str, str]
    layer_maps: List[Dict[str, str]]


_MISSING: Any = object()


class _Keys(KeysView[str]):
    """The IDs of a BlocksFile, in order: a live, set-like view, as dict.keys() is."""

    def __init__(self, blocks: BlocksFile) -> None:
        super().__init__(cast(Mapping[str, Block], blocks))
        self._blocks = blocks

    def __iter__(self) -> Iterator[str]:
        return self._blocks._iter_ids()

    def __repr__(self) -> str:
        return f"BlocksFile.keys({list(self)!r})"


class _Values(ValuesView[Block]):
    """The Blocks of a BlocksFile, in order: a live view, as dict.values() is."""

    def __init__(self, blocks: BlocksFile) -> None:
        super().__init__(cast(Mapping[str, Block], blocks))
        self._blocks = blocks

    def __iter__(self) -> Iterator[Block]:
        return iter(self._blocks)

    def __repr__(self) -> str:
        return f"BlocksFile.values({list(self)!r})"


class _Items(ItemsView[str, Block]):
    """The (ID, Block) pairs of a BlocksFile, in order: a live, set-like view, as dict.items()
    is."""

    def __init__(self, blocks: BlocksFile) -> None:
        super().__init__(cast(Mapping[str, Block], blocks))
        self._blocks = blocks

    def __iter__(self) -> Iterator[Tuple[str, Block]]:
        return self._blocks._iter_items()

    def __repr__(self) -> str:
        return f"BlocksFile.items({list(self)!r})"


def keys(self: BlocksFile) -> KeysView[str]:
    """The block IDs, in order: a live, set-like view, as dict.keys() is."""
    return _Keys(self)


def values(self: BlocksFile) -> ValuesView[Block]:
    """The Blocks, in order: a live view, as dict.values() is."""
    return _Values(self)


def items(self: BlocksFile) -> ItemsView[str, Block]:
    """The (ID, Block) pairs, in order: a live, set-like view, as dict.items() is."""
    return _Items(self)


def pop(self: BlocksFile, id: str, default: Any = _MISSING, /) -> Any:
    """Removes the block with this ID and returns it, as the one block of a new BlocksFile;
    default when there is none, KeyError without a default. Handles on the removed block raise
    StaleError, as after del."""
    block = self.get(id)
    if block is None:
        if default is _MISSING:
            raise KeyError(id)
        return default
    detached = self._copy_of(id)[id]
    del self[id]
    return detached


def rename(self: BlocksFile, old: Union[str, Mapping[str, str]], new: Optional[str] = None,
           /) -> None:
    """rename(old, new) gives the block `old` the ID `new`; rename({old: new, ...}) renames many
    at once (swaps too). Blocks keep their place and their handles.

    KeyError for an old ID that no block has; ValueError for a new ID that is empty, holds NUL
    or is taken (by a block not being renamed), or that two blocks would share. Either every
    block is renamed or none. Each call rebuilds the file's index in one pass over its blocks:
    rename many blocks with one call.
    """
    if new is None:
        if not isinstance(old, Mapping):
            raise TypeError("rename() takes an old and a new ID, or a mapping of them")
        pairs = list(old.items())
    elif isinstance(old, Mapping):
        raise TypeError("rename() takes an old and a new ID, or a mapping of them")
    else:
        pairs = [(old, new)]
    self._rename(pairs)


def open(path: PathArg) -> BlocksFile:  # noqa: A001 - the class's own name for it
    """A new BlocksFile loaded from path (str, bytes or os.PathLike); see load(). write() with
    no path writes back to it. reuseblocks.load() reads a file object, loads() bytes."""
    return BlocksFile._open(path)


def _layer_maps(self: Block) -> LayerMaps:
    return LayerMaps(self)


def _block_in(blocks: BlocksFile, id: str) -> Block:
    return blocks[id]


def _row_in(block: Block, index: int) -> LayerMap:
    return block.layer_maps[index]


# A Block pickles and copies as the block of that ID in a copy of its BlocksFile, which each
# pickle or deepcopy holds once however many of its blocks go along.
def _reduce_block(self: Block) -> Tuple[Callable[[BlocksFile, str], Block], Tuple[BlocksFile, str]]:
    return _block_in, (self.file, self.id)


def _reduce_row(self: LayerMap) -> Tuple[Callable[[Block, int], LayerMap], Tuple[Block, int]]:
    return _row_in, (self.block, self.index)


def install() -> None:
    """Puts the Python parts on the extension's classes."""
    methods: Dict[type, Dict[str, object]] = {
        BlocksFile: {"open": staticmethod(open), "keys": keys, "values": values, "items": items,
                     "pop": pop, "rename": rename, "to_dataframe": _frames.to_dataframe,
                     "to_dataframes": _frames.to_dataframes,
                     "from_dataframes": classmethod(_frames.from_dataframes),
                     "update_from_dataframe": _frames.update_from_dataframe,
                     "from_list": classmethod(_records.from_list)},
        Block: {"layer_maps": property(_layer_maps, doc="The block's layer-map rows (LayerMaps)."),
                "__reduce__": _reduce_block},
        LayerMap: {"__reduce__": _reduce_row},
    }
    for cls, named in methods.items():
        for name, method in named.items():
            function = getattr(method, "__func__", getattr(method, "fget", method))
            if callable(function) and hasattr(function, "__qualname__"):
                # help() and tracebacks name them as methods of the class they are on.
                function.__qualname__ = f"{cls.__name__}.{name}"
            setattr(cls, name, method)
