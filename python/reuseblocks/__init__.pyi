# SPDX-License-Identifier: MIT
import os
from typing import Any, Dict, Iterable, Iterator, List, NamedTuple, Optional, TypeVar, Union, overload

__version__: str

_Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
_File = TypeVar("_File", bound="BlocksFile")

class StaleError(ReferenceError):
    """A Block or LayerMap was used after its block or row was removed."""

class LoadError(ValueError):
    """A blocks file was rejected at a line."""

    path: _Path
    code: int
    name: str
    line: int
    message: str

class UnreadableFileError(OSError, LoadError):
    """A blocks file could not be opened or read: code -1, with errno."""

class Problem(NamedTuple):
    """A value that a write followed by a load would not give back."""

    block_id: str
    field: str
    row: Optional[int]
    message: str

class LayerMap:
    """One layer-map row of a block."""

    block_layer_order: str
    block_layer_name: str
    design_order: str
    design_layer_name: str
    @property
    def index(self) -> int: ...
    @property
    def block(self) -> Block: ...
    def to_dict(self) -> Dict[str, str]: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class LayerMaps:
    """The layer-map rows of a block, in file order."""

    def __len__(self) -> int: ...
    def __getitem__(self, index: int) -> LayerMap: ...
    def __delitem__(self, index: int) -> None: ...
    def __iter__(self) -> Iterator[LayerMap]: ...
    def append(
        self, block_layer_order: str, block_layer_name: str, design_order: str, design_layer_name: str
    ) -> LayerMap: ...

class Block:
    """One block of a BlocksFile; raises StaleError once removed."""

    @property
    def id(self) -> str: ...
    block_path: str
    block_type: str
    block_status: str
    xloc: str
    yloc: str
    side: str
    rotation: str
    units: str
    int_xloc: str
    int_yloc: str
    qor_status: str
    @property
    def symbol_name(self) -> str: ...
    @property
    def layer_maps(self) -> LayerMaps: ...
    def __getitem__(self, field: str) -> str: ...
    def __setitem__(self, field: str, value: str) -> None: ...
    def init(self) -> None: ...
    def to_dict(self) -> Dict[str, Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class BlocksFile:
    """The blocks of one blocks file, by block ID, in the order they were added or loaded."""

    def __init__(self) -> None: ...
    @staticmethod
    def open(path: _Path) -> BlocksFile: ...
    @classmethod
    def from_list(cls: type[_File], data: Iterable[Dict[str, Any]]) -> _File: ...
    def load(self, path: _Path) -> None: ...
    def __len__(self) -> int: ...
    def __contains__(self, id: object) -> bool: ...
    def __getitem__(self, id: str) -> Block: ...
    def __delitem__(self, id: str) -> None: ...
    def __iter__(self) -> Iterator[Block]: ...
    @overload
    def get(self, id: str) -> Optional[Block]: ...
    @overload
    def get(self, id: str, default: Block) -> Block: ...
    @overload
    def get(self, id: str, default: object) -> object: ...
    def ids(self) -> List[str]: ...
    def add(
        self,
        id: str,
        *,
        init: bool = ...,
        block_path: str = ...,
        block_type: str = ...,
        block_status: str = ...,
        xloc: str = ...,
        yloc: str = ...,
        side: str = ...,
        rotation: str = ...,
        units: str = ...,
        int_xloc: str = ...,
        int_yloc: str = ...,
        qor_status: str = ...,
    ) -> Block: ...
    def write(self, path: _Path, app: Optional[str] = ...) -> None: ...
    def problems(self) -> List[Problem]: ...
    def to_list(self) -> List[Dict[str, Any]]: ...
