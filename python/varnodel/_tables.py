"""Result files as DataFrames: the rules every result table of the program follows."""

import csv
import io
import re

import numpy as np
import pandas as pd

# What the writers put where a value does not exist or was not determined.
_PLACEHOLDERS = {"n.d.", "-1", "-1.00"}
# Columns whose "not computed" is the number -1 in the column's own format.
_MINUS_ONE_COLUMNS = {"Pcalc", "H2Ocalc"}


def _number(text):
    try:
        return float(text)
    except ValueError:
        return None


def _column(name, values):
    """Numbers as floats and placeholders as NaN when the column holds numbers; else text."""
    stripped = [v.strip() for v in values]
    numbers = []
    for v in stripped:
        if v in _PLACEHOLDERS or v == "" or (name in _MINUS_ONE_COLUMNS and _number(v) == -1.0):
            numbers.append(np.nan)
            continue
        x = _number(v)
        if x is None:
            break
        numbers.append(x)
    else:
        return pd.Series(numbers, dtype="float64", name=name)
    if name == "Sample":
        return pd.Series(values, dtype="object", name=name)
    return pd.Series([None if v == "n.d." else v for v in stripped], dtype="object", name=name)


def parse_table(text):
    """One result table (a header line, then one row per line) as a DataFrame.

    Column names are the header's fields without their padding; a row with one field more than
    the header (the forward run's date and time of each row) gives a ``Date`` column.
    """
    rows = list(csv.reader(io.StringIO(text)))
    rows = [r for r in rows if r]
    if not rows:
        return pd.DataFrame()
    # Labels padded to a width inside a name ("Olv_Fo    _magma") lose the padding too.
    header = [re.sub(r" +_", "_", h.strip()) for h in rows[0]]
    data = rows[1:]
    width = max([len(header)] + [len(r) for r in data])
    names = header + (["Date"] if width == len(header) + 1 else [])
    names += [f"column_{k + 1}" for k in range(len(names), width)]
    columns = [[(r[k] if k < len(r) else "") for r in data] for k in range(width)]
    frame = pd.concat([_column(n, c) for n, c in zip(names, columns)], axis=1) if data else (
        pd.DataFrame(columns=names))
    if "Date" in frame.columns and len(frame):
        frame["Date"] = pd.to_datetime(frame["Date"].str.strip(), errors="coerce")
    return frame


def read_results(path):
    """Any result file of any calculation (written by this module, the command line or the
    window) as a DataFrame of clean columns: names trimmed of padding, numbers as floats,
    "n.d." and "-1" placeholders as NaN, the forward file's date-time as ``Date``."""
    with open(path, encoding="utf-8", errors="replace", newline="") as f:
        return parse_table(f.read())
