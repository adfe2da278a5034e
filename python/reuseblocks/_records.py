# SPDX-License-Identifier: MIT
"""BlocksFile.from_list(): blocks from records, checked as `reuseblocks import` checks them. What
a blocks file can hold is the extension's to say (_core._unwritable), as for every other value
given."""

from __future__ import annotations

from typing import Any, Dict, Iterable, List, Mapping, Optional, Set, Tuple, TypeVar, cast

from ._core import PROPERTY_NAMES, BlocksFile, _unwritable
from ._errors import RecordError, RecordProblem
from ._layer_maps import RowValues, row_values
from ._values import number_text

_File = TypeVar("_File", bound=BlocksFile)

# Init supplies these, and the ID is given by whoever creates the block; every other value left
# empty would vanish on reading and shift the rest of the line.
_SUPPLIED = {"BLOCK_HIER_NAME", "BLOCK_TYPE", "BLOCK_STATUS", "QOR_STATUS"}
_ID = PROPERTY_NAMES[0]


class _Record:
    """The values of one record, checked as the tool's import checks them."""

    def __init__(self, index: int, problems: List[RecordProblem]) -> None:
        self.index = index
        self.problems = problems
        self.id: Optional[str] = None
        self.properties: Dict[str, str] = {}
        self.rows: Optional[List[RowValues]] = None
        self.maps: Optional[str] = None
        self.id_given = False
        self.given: Set[str] = set()  # refused ones too: they are not missing

    def fail(self, message: str) -> None:
        self.problems.append(RecordProblem(self.index, message))

    def text(self, field: str, value: object) -> Optional[str]:
        """`value` of `field` as text, or None after saying why it cannot be."""
        if not isinstance(value, str):
            try:
                value = number_text(value, self.id or "", field)
            except (TypeError, ValueError) as error:
                # Without an ID (yet) the message names no block.
                message = str(error) if self.id else str(error).split(": ", 1)[-1]
                if isinstance(error, TypeError):
                    message = message.replace("must be str, int or float",
                                              "must be a string or a number")
                self.fail(message)
                return None
        reason = _unwritable(field, value)
        if reason:
            self.fail(f"{field} value {value!r} {reason}, which a blocks file cannot hold")
            return None
        return value

    def read(self, record: object) -> None:
        if not isinstance(record, Mapping):
            return self.fail(f"expected a block record (a dict), not {type(record).__name__}")
        given: List[Tuple[object, object]] = []
        for name, value in record.items():
            if name == "symbol":
                continue
            if name == "layer_maps":
                given.append((name, value))
            elif name == "properties":
                if not isinstance(value, Mapping):
                    self.fail("properties must be a dict")
                    continue
                given.extend(value.items())
            else:
                given.append((name, value))
        # The ID first, so that every other message can name the block.
        fields = [(name.upper() if isinstance(name, str) else "", name, value)
                  for name, value in given]
        ids = [entry for entry in fields if entry[0] in ("ID", _ID)]
        for field, name, value in ids + [entry for entry in fields if entry not in ids]:
            if name == "layer_maps":
                self.read_rows(value)
            else:
                self.add(field, name, value)
        self.check_maps()
        return None

    def add(self, field: str, name: object, value: object) -> None:
        if field not in PROPERTY_NAMES and field not in ("ID", "SYMBOL", "MAPS"):
            return self.fail(f"unknown field {name!r}; fields are {' '.join(PROPERTY_NAMES)}")
        if field == "SYMBOL":
            return None  # derived from BLOCK_PATH
        if field == "MAPS":
            try:
                self.maps = number_text(value, self.id or "", field) \
                    if not isinstance(value, str) else value
            except (TypeError, ValueError) as error:
                self.fail(str(error).split(": ", 1)[-1])
            return None
        if field == "ID":
            field = _ID
        if field == _ID and self.id_given or field in self.properties:
            return self.fail(f"{field} is given twice")
        self.id_given = self.id_given or field == _ID
        self.given.add(field)
        text = self.text(field, value)
        if text is None:
            return None
        if field == _ID:
            self.id = text
        else:
            self.properties[field] = text
        return None

    def read_rows(self, rows: object) -> None:
        if isinstance(rows, (str, bytes, Mapping)) or not isinstance(rows, Iterable):
            return self.fail("layer_maps must be a list")
        self.rows = []
        for number, row in enumerate(rows):
            if not isinstance(row, Mapping):
                return self.fail("every layer map must be a dict")
            try:
                values = row_values(cast(Mapping[str, str], row))
            except (TypeError, ValueError) as error:
                return self.fail(str(error))
            texts = [self.text(column, value) for column, value in
                     zip(("BLOCK_LAYER_ORDER", "BLOCK_LAYER_NAME", "DESIGN_ORDER",
                          "DESIGN_LAYER_NAME"), values)]
            if any(text is None for text in texts):
                return self.fail(f"layer-map row {number} cannot be taken")
            self.rows.append(cast(RowValues, tuple(texts)))
        return None

    def check_maps(self) -> None:
        """MAPS counts the rows; layer maps come only as rows, so a count without them would lose
        them."""
        if self.maps is None:
            return
        rows = len(self.rows) if self.rows is not None else 0
        if self.maps == str(rows):
            return
        if self.rows is None:
            self.fail(f"the block has {self.maps} layer maps (MAPS) but the record gives none in "
                      "\"layer_maps\"; BlocksFile.from_dataframes() takes them from a frame of "
                      "their own")
        else:
            self.fail(f"MAPS says {self.maps} layer maps but \"layer_maps\" holds {rows}")


def from_list(cls: type[_File], records: Iterable[Mapping[str, Any]]) -> _File:
    """A new BlocksFile from records of the shape to_list() gives (`reuseblocks list --json`),
    checked as `reuseblocks import` checks them.

    A record is a dict of "properties" (field names, any letter case, to str or numbers) and
    "layer_maps" (a list of dicts of the four column names); field names may also stand at the
    top of a record, and "ID" names BLOCK_HIER_NAME. "symbol" and "SYMBOL" are ignored; "MAPS"
    must count the rows of "layer_maps" (0 without it), so records of a to_dataframe() that
    leave the rows behind are refused instead of losing them: BlocksFile.from_dataframes() takes
    them back with their rows. An int or float becomes the shortest text that reads back as the
    same number (300.0 gives "300"); NaN, None and other types are refused. BLOCK_TYPE,
    BLOCK_STATUS and QOR_STATUS default as add() sets them; every other property must be given.
    Raises RecordError, listing every problem (unknown, repeated or missing fields, values that
    would not read back the same, IDs given twice), and makes nothing.
    """
    blocks = cls()
    problems: List[RecordProblem] = []
    seen: Set[str] = set()
    for index, entry in enumerate(records):
        record = _Record(index, problems)
        record.read(entry)
        if record.id is None:
            if not record.id_given:
                record.fail(f"the block has no {_ID}")
            continue
        missing = [field for field in PROPERTY_NAMES
                   if field not in record.given and field not in _SUPPLIED]
        if missing:
            record.fail(f"block {record.id!r} needs a value for {' '.join(missing)}")
        if record.id in seen:
            record.fail(f"block ID {record.id!r} is already defined")
            continue
        seen.add(record.id)
        if problems:
            continue  # nothing is made: no need to build more
        block = blocks.add(record.id)
        for field, text in record.properties.items():
            block[field] = text
        block.layer_maps.extend(record.rows or ())
    if problems:
        raise RecordError(sorted(problems, key=lambda problem: problem.record))
    return blocks
