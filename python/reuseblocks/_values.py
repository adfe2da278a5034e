# SPDX-License-Identifier: MIT
"""Numbers given for field values, as text: the extension calls number_text() for anything
given that is not a str."""

from __future__ import annotations

import decimal
import math
import numbers


def _type_name(value: object) -> str:
    return "None" if value is None else type(value).__name__


def number_text(value: object, block_id: str, field: str) -> str:
    """`value` (an int or a float, numpy's too) as the shortest text that reads back as the same
    number: 300 and 300.0 give "300", 91.44 gives "91.44", never an exponent. TypeError for
    anything else (bool, None, ...), ValueError for NaN and infinities; both name the block and
    the field."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"block {block_id!r}: {field} must be str, int or float, "
                        f"not {_type_name(value)}")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    number = float(value)
    if number == 0:
        return "0"  # -0.0 too
    if math.isnan(number):
        raise ValueError(f"block {block_id!r}: {field} is NaN, a missing value")
    if math.isinf(number):
        raise ValueError(f"block {block_id!r}: {field} is {number}, which is no place")
    if type(value).__module__ == "numpy" and hasattr(value, "dtype"):
        # A float32 is read back as a float32: its own shortest text, not a float64's.
        import numpy  # pylint: disable=import-outside-toplevel
        shortest = numpy.format_float_positional(value, unique=True,  # type: ignore[arg-type]
                                                 trim="-")
        return str(shortest)
    # repr() is the shortest text that reads back as the same float; Decimal spells it out
    # without an exponent, which other readers of the file may not take.
    text = format(decimal.Decimal(repr(number)), "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text
