#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Builds a blocks file from a CSV of placements.

    csv_to_blocks.py PLACEMENTS.csv OUT.blocks [--app NAME]

Columns: id, block_path, block_type, x, y, side, rotation, units (mils or mm) and layers, the
layer maps as "BLOCK_ORDER BLOCK_LAYER DESIGN_ORDER DESIGN_LAYER" separated by ";". Every block
is written as Placed, with its location in database units (0.1 um) worked out from x and y.
"""

import argparse
import csv
import sys
from decimal import Decimal

import reuseblocks as rb

DATABASE_UNITS_PER = {"mils": Decimal(254), "mm": Decimal(10000)}


def database_units(value, units):
    return str(int(Decimal(value) * DATABASE_UNITS_PER[units]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("placements")
    parser.add_argument("output")
    parser.add_argument("--app", default="csv_to_blocks")
    args = parser.parse_args()

    blocks = rb.BlocksFile()
    # surrogateescape: bytes that are not UTF-8 reach the blocks file unchanged.
    with open(args.placements, newline="", encoding="utf-8", errors="surrogateescape") as file:
        for line, row in enumerate(csv.DictReader(file), start=2):
            try:
                block = blocks.add(  # ValueError for an empty or repeated ID
                    row["id"], block_path=row["block_path"], block_type=row["block_type"],
                    block_status="Placed", xloc=row["x"], yloc=row["y"], side=row["side"],
                    rotation=row["rotation"], units=row["units"],
                    int_xloc=database_units(row["x"], row["units"]),
                    int_yloc=database_units(row["y"], row["units"]))
                for mapping in filter(None, row["layers"].split(";")):
                    block.layer_maps.append(mapping.split())  # ValueError unless four values
            except KeyError as error:
                sys.exit(f"{args.placements}:{line}: unknown column or units {error.args[0]!r}")
            except ArithmeticError:
                sys.exit(f"{args.placements}:{line}: a location is not a number")
            except ValueError as error:
                sys.exit(f"{args.placements}:{line}: {error}")

    try:
        blocks.write(args.output, app=args.app)  # checks that every value reads back the same
    except rb.RoundTripError as error:
        for problem in error.problems:
            print(f"{args.placements}: {problem}", file=sys.stderr)
        sys.exit(f"{args.output}: not written: {len(error.problems)} values would not read back")
    print(f"{args.output}: {len(blocks)} blocks")


if __name__ == "__main__":
    main()
