"""Reads every result and parameter file given with Python's csv module and with pandas, as a
user of the program would, and fails unless every row has the header's number of columns.

    read_result_files.py SAMPLE_NAMES_FILE FILE...

SAMPLE_NAMES_FILE holds the analyses' names, one a line: every file with a "Sample" column must
give back exactly these names there (in any order, each at least once). A parameter report
(*_calc_param.csv) is a text file of one field a line; its blank lines are allowed.
"""
import csv
import sys

import pandas


def main():
    names = set(open(sys.argv[1], encoding="utf-8").read().splitlines())
    faults = []
    for path in sys.argv[2:]:
        report = path.endswith("_calc_param.csv")
        with open(path, newline="", encoding="utf-8") as f:
            rows = [row for row in csv.reader(f) if row or not report]
        width = len(rows[0])
        for number, row in enumerate(rows[1:], start=2):
            if len(row) != width:
                faults.append(f"{path}: csv row {number} has {len(row)} fields, header {width}")
        frame = pandas.read_csv(path, dtype=str, keep_default_na=False)
        if frame.shape != (len(rows) - 1, width) or not frame.index.equals(
                pandas.RangeIndex(len(rows) - 1)):
            faults.append(f"{path}: pandas reads {frame.shape}, csv {(len(rows) - 1, width)}")
        if "Sample" in frame.columns and set(frame["Sample"]) - names:
            faults.append(f"{path}: Sample column holds {sorted(set(frame['Sample']) - names)}")
    print("\n".join(faults) if faults else f"{len(sys.argv) - 2} files read")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
