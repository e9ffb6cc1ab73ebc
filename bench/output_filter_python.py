#!/usr/bin/env python3
"""CPython's peer of the output filter, run by bench_output_filter on the
text that it writes: FILE holds the text as UTF-16 (little-endian, no BOM),
and the script prints the best time, in seconds, of one
text.encode("ascii", "xmlcharrefreplace") over several runs.

Usage: output_filter_python.py FILE"""
import sys
import timeit


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        text = f.read().decode("utf-16-le")
    encode = text.encode
    runs = 5
    best = min(timeit.repeat(lambda: encode("ascii", "xmlcharrefreplace"),
                             number=runs, repeat=5)) / runs
    print(f"{best:.9f}")


if __name__ == "__main__":
    main()
