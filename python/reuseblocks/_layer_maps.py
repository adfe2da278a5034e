# SPDX-License-Identifier: MIT
"""block.layer_maps: the rows of a block as a mutable sequence, over the extension's row access."""

from __future__ import annotations

import warnings
from typing import (TYPE_CHECKING, Any, Iterable, List, Mapping, MutableSequence, Tuple, Union,
                    overload)

from ._core import LAYER_MAP_COLUMN_NAMES

if TYPE_CHECKING:
    from ._core import Block, LayerMap

#: A row's four columns in file order: BLOCK_LAYER_ORDER, BLOCK_LAYER_NAME, DESIGN_ORDER and
#: DESIGN_LAYER_NAME.
RowValues = Tuple[str, str, str, str]
#: A column's value as given: an int or a float is stored as the shortest text that reads back
#: as the same number.
ColumnValue = Union[str, int, float]
#: What a row may be given as: a LayerMap (its values are copied), a sequence of four values in
#: column order, or a mapping of the four column names (any letter case) to values.
RowLike = Union["LayerMap", Iterable[ColumnValue], Mapping[str, ColumnValue]]

_COLUMN_INDEX = {name: column for column, name in enumerate(LAYER_MAP_COLUMN_NAMES)}


def row_values(value: RowLike) -> Tuple[Any, Any, Any, Any]:
    """The four columns of `value` (a RowLike), as given; TypeError or ValueError for anything
    else. The block they go to converts and checks each value."""
    if isinstance(value, (str, bytes)):
        raise TypeError(f"a layer-map row is four str, not {type(value).__name__}")
    if isinstance(value, Mapping):
        columns: List[Any] = [None] * len(LAYER_MAP_COLUMN_NAMES)
        for name, text in value.items():
            column = _COLUMN_INDEX.get(name.upper()) if isinstance(name, str) else None
            if column is None or columns[column] is not None:
                columns_named = ", ".join(LAYER_MAP_COLUMN_NAMES)
                raise ValueError(f"a layer-map row holds each of {columns_named} once, "
                                 f"not {name!r}")
            columns[column] = text
        missing = [name for name, text in zip(LAYER_MAP_COLUMN_NAMES, columns) if text is None]
        if missing:
            raise ValueError(f"a layer-map row lacks {', '.join(missing)}")
        values = tuple(columns)
    else:
        values = tuple(value)
    if len(values) != len(LAYER_MAP_COLUMN_NAMES):
        raise ValueError(f"a layer-map row has {len(LAYER_MAP_COLUMN_NAMES)} columns, "
                         f"not {len(values)}")
    return values  # type: ignore[return-value]  # four, as checked


class LayerMaps(MutableSequence["LayerMap"]):
    """The layer-map rows of a block, in file order: a mutable sequence, as a list is.

    Indexing (negative too) gives a LayerMap, slicing a list of them; assigning, insert(),
    append() and extend() take RowLike values and copy them, so a row assigned from another row
    gets that row's values, not its place (swap two rows by their values: rows[0], rows[1] =
    tuple(rows[1]), tuple(rows[0])). A view: it always shows the block's present rows, and
    raises StaleError once the block is removed.
    """

    __slots__ = ("_block",)

    def __init__(self, block: Block) -> None:
        block._row_count()  # a removed block fails here, not at first use
        self._block = block

    def __len__(self) -> int:
        return self._block._row_count()

    @overload
    def __getitem__(self, index: int) -> LayerMap: ...
    @overload
    def __getitem__(self, index: slice) -> List[LayerMap]: ...
    def __getitem__(self, index: Union[int, slice]) -> Union[LayerMap, List[LayerMap]]:
        if isinstance(index, slice):
            return [self._block._row(row) for row in range(*index.indices(len(self)))]
        return self._block._row(index)

    @overload
    def __setitem__(self, index: int, value: RowLike) -> None: ...
    @overload
    def __setitem__(self, index: slice, value: Iterable[RowLike]) -> None: ...
    def __setitem__(self, index: Union[int, slice], value: Any) -> None:
        if not isinstance(index, slice):
            self._block._set_row(index, row_values(value))
            return
        # Every value is read before any row changes, so rows[::-1] and rows[:] = rows work.
        values = [row_values(row) for row in value]
        start, stop, step = index.indices(len(self))
        if index.step not in (None, 1):
            targets = range(start, stop, step)
            if len(values) != len(targets):
                raise ValueError(f"attempt to assign sequence of size {len(values)} to extended "
                                 f"slice of size {len(targets)}")
            for row, row_value in zip(targets, values):
                self._block._set_row(row, row_value)
            return
        stop = max(start, stop)
        for offset, row_value in enumerate(values):
            if start + offset < stop:
                self._block._set_row(start + offset, row_value)
            else:
                self._block._insert_row(start + offset, row_value)
        for row in reversed(range(start + len(values), stop)):
            self._block._remove_row(row)

    @overload
    def __delitem__(self, index: int) -> None: ...
    @overload
    def __delitem__(self, index: slice) -> None: ...
    def __delitem__(self, index: Union[int, slice]) -> None:
        if not isinstance(index, slice):
            self._block._remove_row(index)
            return
        for row in sorted(range(*index.indices(len(self))), reverse=True):
            self._block._remove_row(row)

    @overload
    def append(self, value: RowLike) -> None: ...
    @overload
    def append(self, value: ColumnValue, block_layer_name: ColumnValue, design_order: ColumnValue,
               design_layer_name: ColumnValue, /) -> None: ...
    def append(self, value: Any, *columns: Any) -> None:
        """Appends a row: append(("1", "TOP", "1", "TOP")). The four columns as four arguments,
        as before 1.1, still work with a DeprecationWarning."""
        if columns:
            warnings.warn("layer_maps.append() takes one row: append((order, name, order, name))",
                          DeprecationWarning, stacklevel=2)
            value = (value, *columns)
        self.insert(len(self), value)

    def extend(self, values: Iterable[RowLike]) -> None:
        """Appends every row of values, read before any is appended."""
        self[len(self):] = values

    def __iadd__(self, values: Iterable[RowLike]) -> LayerMaps:
        self.extend(values)
        return self

    def remove(self, value: RowLike) -> None:
        """Removes the first row equal to value; ValueError when there is none."""
        del self[self.index(row_values(value))]

    def insert(self, index: int, value: RowLike) -> None:
        """Inserts a row before index, as list.insert does; the rows from there on move down."""
        self._block._insert_row(index, row_values(value))

    def pop(self, index: int = -1) -> RowValues:  # type: ignore[override]
        """Removes the row at index (the last by default) and returns its four values, since
        a LayerMap of a removed row raises StaleError."""
        values = row_values(self[index])
        del self[index]
        return values

    def reverse(self) -> None:
        """Reverses the rows' values in place."""
        self[:] = [tuple(row) for row in reversed(self)]

    def clear(self) -> None:
        """Removes every row."""
        del self[:]

    def __repr__(self) -> str:
        return f"LayerMaps({[tuple(row) for row in self]!r})"

    def __reduce__(self) -> Tuple[type, Tuple[Block]]:
        return type(self), (self._block,)
