# SPDX-License-Identifier: MIT
"""The parts of BlocksFile, Block and LayerMap written in Python: the dict protocol's views,
pop(), rename(), from_list(), to_dataframe(), layer_maps and pickling. install() puts them on the
extension's classes."""

from __future__ import annotations

import math
import numbers
from typing import (TYPE_CHECKING, Any, Callable, Dict, ItemsView, Iterable, Iterator, KeysView,
                    List, Mapping, Optional, Set, Tuple, TypedDict, TypeVar, Union, ValuesView,
                    cast)

from ._core import PROPERTY_NAMES, Block, BlocksFile, LayerMap
from ._errors import RecordError, RecordProblem
from ._layer_maps import LayerMaps, RowValues, row_values

if TYPE_CHECKING:
    import pandas  # type: ignore[import]



class BlockDict(TypedDict):
    """A block as to_dict() and to_list() give it, the shape `reuseblocks list --json` prints:
    the symbol name, {FIELD: value} of all twelve properties and a {COLUMN: value} per row."""

    symbol: str
    properties: Dict[str, str]
    layer_maps: List[Dict[str, str]]


_File = TypeVar("_File", bound=BlocksFile)
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


def _detached(block: Block) -> Block:
    copy = BlocksFile().add(block.id, init=False)
    for field in PROPERTY_NAMES[1:]:
        copy[field] = block[field]
    copy.layer_maps.extend(block.layer_maps)
    return copy


def pop(self: BlocksFile, id: str, default: Any = _MISSING, /) -> Any:
    """Removes the block with this ID and returns it, as the one block of a new BlocksFile;
    default when there is none, KeyError without a default. Handles on the removed block raise
    StaleError, as after del."""
    block = self.get(id)
    if block is None:
        if default is _MISSING:
            raise KeyError(id)
        return default
    detached = _detached(block)
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


def to_dataframe(self: BlocksFile) -> pandas.DataFrame:
    """A pandas DataFrame of one row per block, in order, indexed by BLOCK_HIER_NAME, with a
    column of str per other property. Needs pandas, which the package does not depend on
    (Debian: python3-pandas); layer maps are left out."""
    try:
        import pandas
    except ImportError as error:
        raise ImportError("to_dataframe() needs pandas (Debian: python3-pandas)") from error
    columns = self._columns()
    return pandas.DataFrame(
        dict(zip(PROPERTY_NAMES[1:], columns[1:])),
        index=pandas.Index(columns[0], name=PROPERTY_NAMES[0], dtype=object),
        columns=list(PROPERTY_NAMES[1:]), dtype=object)


def _text(value: object) -> Optional[str]:
    """A record's value as field text, as the tool's import takes JSON: strings as they are,
    numbers as written; None for anything else."""
    if isinstance(value, str):
        return value
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        return None
    if isinstance(value, numbers.Integral):
        return str(int(value))
    number = float(value)
    return repr(number) if math.isfinite(number) else None


# Init supplies these, and the ID is given by whoever creates the block; every other value left
# empty would vanish on reading and shift the rest of the line.
_SUPPLIED = {"BLOCK_HIER_NAME", "BLOCK_TYPE", "BLOCK_STATUS", "QOR_STATUS"}


class _Record:
    """The values of one record of from_list(), checked as the tool's import checks them."""

    def __init__(self, index: int, problems: List[RecordProblem]) -> None:
        self.index = index
        self.problems = problems
        self.id: Optional[str] = None
        self.properties: Dict[str, str] = {}
        self.rows: Optional[List[RowValues]] = None

    def fail(self, message: str) -> None:
        self.problems.append(RecordProblem(self.index, message))

    def read(self, record: object) -> None:
        if not isinstance(record, Mapping):
            return self.fail(f"expected a block record (a dict), not {type(record).__name__}")
        for name, value in record.items():
            if name == "symbol":
                continue
            if name == "layer_maps":
                self.read_rows(value)
            elif name == "properties":
                if not isinstance(value, Mapping):
                    self.fail("properties must be a dict")
                    continue
                for field, text in value.items():
                    self.add(field, text)
            else:
                self.add(name, value)
        return None

    def add(self, name: object, value: object) -> None:
        field = name.upper() if isinstance(name, str) else ""
        if field not in PROPERTY_NAMES and field not in ("ID", "SYMBOL", "MAPS"):
            return self.fail(f"unknown field {name!r}; fields are {' '.join(PROPERTY_NAMES)}")
        text = _text(value)
        if text is None:
            return self.fail(f"{name} must be a string or a number")
        if field == "SYMBOL":
            return None  # derived from BLOCK_PATH
        if field == "MAPS":
            if text != "0":
                self.fail(f"layer maps come only through \"layer_maps\" (MAPS is {text})")
            return None
        if field == "ID":
            field = PROPERTY_NAMES[0]
        if field == PROPERTY_NAMES[0] and self.id is not None or field in self.properties:
            return self.fail(f"{field} is given twice")
        if "\0" in text:
            return self.fail(f"{field} value holds a NUL byte, which a blocks file cannot hold")
        if field == PROPERTY_NAMES[0]:
            self.id = text
        else:
            self.properties[field] = text
        return None

    def read_rows(self, rows: object) -> None:
        if isinstance(rows, (str, bytes, Mapping)) or not isinstance(rows, Iterable):
            return self.fail("layer_maps must be a list")
        self.rows = []
        for row in rows:
            if not isinstance(row, Mapping):
                return self.fail("every layer map must be a dict")
            texts = {name: _text(value) for name, value in row.items()}
            try:
                if any(text is None for text in texts.values()):
                    raise TypeError("a layer map's columns must be strings or numbers")
                values = row_values(cast(Dict[str, str], texts))
            except (TypeError, ValueError) as error:
                return self.fail(str(error))
            if any("\0" in text for text in values):
                return self.fail("a layer map holds a NUL byte, which a blocks file cannot hold")
            self.rows.append(values)
        return None


def from_list(cls: type[_File], records: Iterable[Mapping[str, Any]]) -> _File:
    """A new BlocksFile from records of the shape to_list() gives (`reuseblocks list --json`),
    checked as `reuseblocks import` checks them.

    A record is a dict of "properties" (field names, any letter case, to str or numbers) and
    "layer_maps" (a list of dicts of the four column names); field names may also stand at the
    top of a record, and "ID" names BLOCK_HIER_NAME, so df.reset_index().to_dict("records") of
    a to_dataframe() works too. "symbol" is ignored. BLOCK_TYPE, BLOCK_STATUS and QOR_STATUS
    default as add() sets them; every other property must be given. Raises RecordError, listing
    every problem (unknown, repeated or missing fields, values that would not read back the
    same, IDs given twice), and makes nothing.
    """
    blocks = cls()
    problems: List[RecordProblem] = []
    given: Dict[str, Tuple[int, Set[str]]] = {}
    for index, entry in enumerate(records):
        record = _Record(index, problems)
        record.read(entry)
        if record.id is None:
            record.fail("the block has no BLOCK_HIER_NAME")
            continue
        missing = [field for field in PROPERTY_NAMES
                   if field not in record.properties and field not in _SUPPLIED]
        if missing:
            record.fail(f"block {record.id!r} needs a value for {' '.join(missing)}")
        if not record.id:
            record.fail(f"{PROPERTY_NAMES[0]} value '' is empty, which a blocks file cannot hold")
            continue
        if record.id in blocks:
            record.fail(f"block ID {record.id!r} is already defined")
            continue
        block = blocks.add(record.id)
        for field, text in record.properties.items():
            block[field] = text
        block.layer_maps.extend(record.rows or ())
        given[record.id] = (index, set(record.properties) | {PROPERTY_NAMES[0]})
    for problem in blocks.problems():
        index, fields = given[problem.block_id]
        block = blocks[problem.block_id]
        if problem.row is None:
            if problem.field not in fields:
                continue  # reported as missing
            value, where = block[problem.field], ""
        else:
            value = block.layer_maps[problem.row].to_dict()[problem.field]
            where = f" of layer-map row {problem.row}"
        problems.append(RecordProblem(index, f"{problem.field} value {value!r}{where} "
                                             f"{problem.message}, which a blocks file cannot hold"))
    if problems:
        raise RecordError(sorted(problems, key=lambda problem: problem.record))
    return blocks


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
        BlocksFile: {"keys": keys, "values": values, "items": items, "pop": pop,
                     "rename": rename, "to_dataframe": to_dataframe,
                     "from_list": classmethod(from_list)},
        Block: {"layer_maps": property(_layer_maps, doc="The block's layer-map rows (LayerMaps)."),
                "__reduce__": _reduce_block},
        LayerMap: {"__reduce__": _reduce_row},
    }
    for cls, named in methods.items():
        for name, method in named.items():
            setattr(cls, name, method)
