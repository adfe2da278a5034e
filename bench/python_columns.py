#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Columns out of the Python package against their anchors, CPU ms, medians of RUNS rounds
(default 9):

- BlocksFile.column("XLOC") against [s for s in strings] over as many str, against
  str.split making as many new str (the least a list of new str costs) and against reading
  the property block by block;
- to_dataframes() against pandas.read_csv of the same two frames written as CSV, read as
  pandas reads them by default and as text (dtype=str, keep_default_na=False), the form
  to_dataframes gives.

    python3 bench/python_columns.py FILE   (make FILE with reuseblocks_gen, see README.md)
"""

import os
import statistics
import sys
import tempfile
import time

import pandas

import reuseblocks as rb


def median_ms(action, runs):
    times = []
    for _ in range(runs):
        start = time.process_time()
        result = action()
        times.append(time.process_time() - start)
        del result
    return statistics.median(times) * 1000


def main():
    path = sys.argv[1]
    runs = int(os.environ.get("RUNS", "9"))
    f = rb.BlocksFile.open(path)
    strings = [str(i) for i in range(len(f))]
    joined = "\n".join(b.xloc for b in f)
    blocks, layer_maps = f.to_dataframes()
    print(f"{path}: {len(f)} blocks, {len(layer_maps)} layer-map rows; "
          f"load average {' '.join(f'{x:.2f}' for x in os.getloadavg())}")
    with tempfile.TemporaryDirectory() as directory:
        blocks_csv = os.path.join(directory, "blocks.csv")
        maps_csv = os.path.join(directory, "layer_maps.csv")
        blocks.to_csv(blocks_csv)
        layer_maps.to_csv(maps_csv, index=False)

        def read_csv(**options):
            return (pandas.read_csv(blocks_csv, **options), pandas.read_csv(maps_csv, **options))

        figures = [
            ("[s for s in strings] (anchor)", lambda: [s for s in strings]),
            ('joined.split("\\n") (new str)', lambda: joined.split("\n")),
            ("[b.xloc for b in f]", lambda: [b.xloc for b in f]),
            ("pandas.read_csv (anchor)", read_csv),
            ("pandas.read_csv as text",
             lambda: read_csv(dtype=str, keep_default_na=False)),
            ("f.to_dataframes()", f.to_dataframes),
        ]
        if hasattr(f, "column"):  # not before the package had it: for before/after figures
            figures.insert(2, ('f.column("XLOC")', lambda: f.column("XLOC")))
        print("CPU ms (median of %d)" % runs)
        for name, action in figures:
            print(f"  {name:32} {median_ms(action, runs):8.1f}")
    print(f"load average {' '.join(f'{x:.2f}' for x in os.getloadavg())}")


if __name__ == "__main__":
    main()
