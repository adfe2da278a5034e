#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""CPU time of the Python package on a blocks file: BlocksFile.open, reading one property of
every block, and the walk alone; medians of RUNS rounds (default 9).

    python3 bench/python_load.py FILE      (make FILE with reuseblocks_gen, see README.md)
"""

import os
import statistics
import sys
import time

import reuseblocks as rb


def main():
    path = sys.argv[1]
    times = {"BlocksFile.open": [], "[b.xloc for b in f]": [], "walk alone": []}
    for _ in range(int(os.environ.get("RUNS", "9"))):
        start = time.process_time()
        f = rb.BlocksFile.open(path)
        opened = time.process_time()
        values = [b.xloc for b in f]
        read = time.process_time()
        sum(1 for _ in f)
        walked = time.process_time()
        for name, seconds in zip(times, (opened - start, read - opened, walked - read)):
            times[name].append(seconds)
        del f, values
    print(f"{path}: {len(rb.BlocksFile.open(path))} blocks, CPU ms (median)")
    for name, seconds in times.items():
        print(f"  {name:22} {statistics.median(seconds) * 1000:8.1f}")


if __name__ == "__main__":
    main()
