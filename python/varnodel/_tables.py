"""Result files as DataFrames: the rules every result table of the program follows."""

import csv
import io
import os
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


# The first line of "LAST_RES.DAT" also holds the final melt (wt%) and its name.
_LAST_RESULT_MELT = ["SiO2", "TiO2", "Al2O3", "Fe2O3", "FeO", "MnO", "MgO", "CaO", "Na2O", "K2O",
                     "P2O5", "Cr2O3"]


def parse_last_result(text):
    """The "LAST_RES.DAT" of a diffusion-profile run: ``X`` (microns) and ``FeO`` (wt%) of the
    final profile, and in the first row the final melt's oxides (wt%) and ``Name``."""
    rows = []
    for number, line in enumerate(text.splitlines(), start=1):
        if not line.strip():
            continue
        fields = line.split(None, 2 + len(_LAST_RESULT_MELT) if number == 1 else 2)
        try:
            x, feo = float(fields[0]), float(fields[1])
            melt = [float(v) for v in fields[2:2 + len(_LAST_RESULT_MELT)]] if number == 1 else []
        except (ValueError, IndexError):
            raise ValueError(f"LAST_RES.DAT, line {number}: {line.strip()!r} is not a profile "
                             f"point") from None
        if number == 1 and len(melt) != len(_LAST_RESULT_MELT):
            raise ValueError(f"LAST_RES.DAT, line 1: {line.strip()!r} lacks the final melt")
        name = fields[-1].strip() if number == 1 and len(fields) > 14 else None
        rows.append([x, feo] + (melt or [np.nan] * len(_LAST_RESULT_MELT)) + [name])
    frame = pd.DataFrame(rows, columns=["X", "FeO"] + _LAST_RESULT_MELT + ["Name"])
    return frame.astype({c: "float64" for c in ["X", "FeO"] + _LAST_RESULT_MELT})


def parse_report(text):
    """A parameter report (one quoted field a line) as a DataFrame of one column, ``line``."""
    return pd.DataFrame({"line": [r[0] if r else "" for r in csv.reader(io.StringIO(text))]},
                        dtype="object")


def read_results(path):
    """Any result file of any calculation (written by this module, the command line or the
    window) as a DataFrame of clean columns: names trimmed of padding, numbers as floats,
    "n.d." and "-1" placeholders as NaN, the forward file's date-time as ``Date``.

    A parameter report (``*_calc_param.csv``) gives its lines as the column ``line``; the
    profiles' ``LAST_RES.DAT`` the columns ``X``, ``FeO``, the melt's oxides and ``Name``."""
    name = os.path.basename(os.fspath(path))
    with open(path, encoding="utf-8", errors="replace", newline="") as f:
        text = f.read()
    if name.upper() == "LAST_RES.DAT":
        return parse_last_result(text)
    if name.endswith("_calc_param.csv"):
        return parse_report(text)
    return parse_table(text)
