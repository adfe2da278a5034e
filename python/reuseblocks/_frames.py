# SPDX-License-Identifier: MIT
"""BlocksFiles as pandas DataFrames and back: to_dataframe(), to_dataframes(),
from_dataframes() and update_from_dataframe(). pandas is needed only here, and only when called."""

from __future__ import annotations

import collections
from typing import TYPE_CHECKING, Any, Dict, Iterator, List, NamedTuple, Optional, Tuple, TypeVar

from ._core import LAYER_MAP_COLUMN_NAMES, PROPERTY_NAMES, BlocksFile, _unwritable
from ._records import from_list
from ._values import number_text

if TYPE_CHECKING:
    import pandas  # type: ignore[import]

_File = TypeVar("_File", bound=BlocksFile)
_ID = PROPERTY_NAMES[0]
_DERIVED = ("SYMBOL", "MAPS")
#: The columns of to_dataframes()'s layer-map frame.
_ROW_COLUMNS = ("ID", "row") + tuple(LAYER_MAP_COLUMN_NAMES)


def _pandas() -> Any:
    try:
        import pandas
    except ImportError as error:
        raise ImportError("DataFrames need pandas (Debian: python3-pandas)") from error
    return pandas


def to_dataframe(self: BlocksFile) -> pandas.DataFrame:
    """A pandas DataFrame of one row per block, in order, indexed by BLOCK_HIER_NAME, with a
    column of str per other property, SYMBOL (str) and MAPS (the number of layer-map rows, int).
    The layer maps themselves are in to_dataframes()'s second frame. Needs pandas, which the
    package does not depend on (Debian: python3-pandas)."""
    pandas = _pandas()
    # numpy arrays made for these frames alone: pandas takes them as they are, without a copy.
    columns = self._columns(arrays=True)
    names = list(PROPERTY_NAMES[1:]) + list(_DERIVED)
    return pandas.DataFrame(
        dict(zip(names, columns[1:])),
        index=pandas.Index(columns[0], name=_ID, dtype=object, copy=False), columns=names,
        copy=False)


def to_dataframes(self: BlocksFile) -> Tuple[pandas.DataFrame, pandas.DataFrame]:
    """Two pandas DataFrames that hold the whole file: the blocks, as to_dataframe() gives them,
    and the layer maps, a row per layer-map row of columns ID, row (its index in its block)
    and the four column names, in file order. BlocksFile.from_dataframes() builds the same file
    back."""
    pandas = _pandas()
    blocks = to_dataframe(self)
    layer_maps = pandas.DataFrame(
        dict(zip(_ROW_COLUMNS, self._layer_map_columns(arrays=True))),
        columns=list(_ROW_COLUMNS), copy=False)
    return blocks, layer_maps


def _check_dtypes(frame: pandas.DataFrame, what: str) -> None:
    """A column of text, numbers or Python objects, which are checked one by one; anything else
    (bool, dates, categories, ...) would have to be turned into text by guessing."""
    pandas = _pandas()
    for name, dtype in frame.dtypes.items():
        if isinstance(dtype, pandas.StringDtype):
            continue
        if getattr(dtype, "kind", None) not in ("O", "i", "u", "f"):
            raise TypeError(f"{what} column {name!r} is of type {dtype}; columns are text "
                            "(object or string) or numbers (int or float)")


def _id_column(frame: pandas.DataFrame, what: str) -> pandas.DataFrame:
    """`frame` with its block IDs as a column: its index when that is named ID or
    BLOCK_HIER_NAME, or when no column is."""
    if not any(str(name).upper() in ("ID", _ID) for name in frame.columns):
        if frame.index.nlevels != 1 or isinstance(frame.index, _pandas().RangeIndex):
            raise ValueError(f"{what} needs one block ID per row: an index of IDs or an ID "
                             "column")
        frame = frame.rename_axis(frame.index.name or _ID).reset_index()
    return frame


def _rows(frame: pandas.DataFrame) -> Iterator[Tuple[Any, ...]]:
    """The frame's rows as tuples of its cells, numpy's scalars as they are: itertuples() would
    make a float32 a float, whose shortest text is longer."""
    return zip(*(frame[name].to_numpy() for name in frame.columns))


def _records(frame: pandas.DataFrame) -> List[Dict[str, Any]]:
    return [dict(zip(frame.columns, values)) for values in _rows(frame)]


def from_dataframes(cls: type[_File], blocks: pandas.DataFrame,
                    layer_maps: Optional[pandas.DataFrame] = None) -> _File:
    """A new BlocksFile from the two frames to_dataframes() gives, checked as from_list()
    checks records (RecordError; record N is the blocks frame's row N).

    The blocks frame has a row per block: the ID as its index (or an ID or BLOCK_HIER_NAME
    column), a column per property; SYMBOL is ignored and MAPS, when present, must count the
    block's rows in layer_maps. The layer_maps frame has columns ID, the four column names and
    optionally row, which orders the rows of a block (frame order otherwise). Numbers, as
    pandas.read_csv() gives them, become the shortest text that reads back as the same number
    (300.0 gives "300"); NaN and columns of other types (bool, dates, ...) are refused.
    """
    blocks = _id_column(blocks, "the blocks frame")
    _check_dtypes(blocks, "the blocks frame")
    records = _records(blocks)
    if layer_maps is not None:
        _check_dtypes(layer_maps, "the layer-map frame")
        columns = {str(name).upper(): name for name in layer_maps.columns}
        id_name = columns.get("ID", columns.get(_ID))
        wanted = [columns.get(name) for name in LAYER_MAP_COLUMN_NAMES]
        if id_name is None or any(name is None for name in wanted):
            raise ValueError("the layer-map frame needs the columns ID, "
                             f"{', '.join(LAYER_MAP_COLUMN_NAMES)} (and optionally row)")
        extra = set(layer_maps.columns) - set(wanted) - {id_name, columns.get("ROW")}
        if extra:
            raise ValueError(f"the layer-map frame has unknown columns {sorted(map(str, extra))}")
        ordered = layer_maps
        if "ROW" in columns:
            ordered = layer_maps.sort_values(columns["ROW"], kind="stable")
        rows: Dict[Any, List[Dict[str, Any]]] = {}
        for values in _rows(ordered[[id_name] + wanted]):
            rows.setdefault(values[0], []).append(dict(zip(LAYER_MAP_COLUMN_NAMES, values[1:])))
        by_id = {record.get("ID", record.get(_ID)): record for record in records}
        unknown = [block_id for block_id in rows if block_id not in by_id]
        if unknown:
            raise ValueError(f"the layer-map frame names blocks the blocks frame does not hold: "
                             f"{', '.join(map(repr, unknown))}")
        for record in records:
            record_id = record.get("ID", record.get(_ID))
            record["layer_maps"] = rows.get(record_id, [])
    return from_list(cls, records)


class Change(NamedTuple):
    """A property update_from_dataframe() changed: the block's ID, the field, the value before
    and the value now."""

    block_id: str
    field: str
    old: str
    new: str

    def __str__(self) -> str:
        return f"{self.field} of block {self.block_id!r}: {self.old!r} -> {self.new!r}"


def _fields_of(frame: pandas.DataFrame) -> List[Tuple[Any, Optional[str]]]:
    """Each column with the property it sets, None for the derived ones."""
    fields: List[Tuple[Any, Optional[str]]] = []
    for name in frame.columns:
        field = str(name).upper()
        if field in _DERIVED:
            fields.append((name, None))
        elif field in PROPERTY_NAMES[1:]:
            fields.append((name, field))
        elif field in ("ID", _ID):
            raise ValueError("update_from_dataframe() finds blocks by the frame's index; "
                             "BlocksFile.rename() changes IDs")
        else:
            raise ValueError(f"unknown column {name!r}; columns are properties: "
                             f"{' '.join(PROPERTY_NAMES[1:])}")
    return fields


def update_from_dataframe(self: BlocksFile, frame: pandas.DataFrame) -> List[Change]:
    """Sets the properties of the blocks `frame` names (its index holds their IDs) to the values
    of its columns, as to_dataframe() gives them; returns what changed (a list of Change, in
    frame order, values that were the same left out).

    Blocks the frame does not name, layer maps and the derived SYMBOL and MAPS columns are left
    alone. Everything is checked before anything changes: IDs no block has (ValueError listing
    them all), unknown columns and columns of types other than text and numbers, NaN and other
    values that are not text or numbers (TypeError or ValueError naming block and field), values
    no blocks file can hold. Numbers become the shortest text that reads back as the same number.
    """
    fields = _fields_of(frame)
    _check_dtypes(frame, "the frame")
    if frame.index.nlevels != 1:
        raise ValueError("the frame's index must hold the block IDs")
    ids = list(frame.index)
    unknown = [block_id for block_id in ids if not isinstance(block_id, str) or block_id not in self]
    if unknown:
        raise ValueError(f"no block has the IDs {', '.join(map(repr, unknown))}")
    counts = collections.Counter(ids)
    twice = [block_id for block_id, count in counts.items() if count > 1]
    if twice:
        raise ValueError(f"the frame names blocks more than once: {', '.join(map(repr, twice))}")
    updates: List[Tuple[str, str, str]] = []
    named = [(position, field) for position, (_, field) in enumerate(fields) if field is not None]
    for block_id, values in zip(ids, _rows(frame)):
        for position, field in named:
            updates.append((block_id, field, _field_text(values[position], block_id, field)))
    changes: List[Change] = []
    for block_id, field, text in updates:
        block = self[block_id]
        old = block[field]
        if old != text:
            block[field] = text
            changes.append(Change(block_id, field, old, text))
    return changes


def _field_text(value: object, block_id: str, field: str) -> str:
    text = value if isinstance(value, str) else number_text(value, block_id, field)
    reason = _unwritable(field, text)
    if reason:
        raise ValueError(f"block {block_id!r}: {field} value {text!r} {reason}, which a blocks "
                         "file cannot hold")
    return text

