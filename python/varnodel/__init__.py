"""Varnodel from Python: the melt-evolution calculations on pandas DataFrames.

Compositions go in as a DataFrame with the columns of an analyses data file (``Sample``,
``SiO2`` ... ``Cr2O3`` in wt%, ``FeOt``, ``H2O`` in wt%, trace elements in ppm, ``FO_HOST``,
``FEO_FINAL``, ...) or as the path of such a file; results come out as DataFrames with the
columns of the result files. Settings are the TOML files of ``varnodel-cli``.

>>> import varnodel
>>> s = varnodel.Settings.from_file("examples/settings.toml")
>>> r = varnodel.frac("examples/reference_glasses.csv", s)
>>> r.table[["Sample", "Temperature", "SiO2_melt", "MgO_melt"]]
"""

import functools
import json
import math
import os
import tempfile
import tomllib

import pandas as pd

from . import _core
from ._tables import parse_last_result, parse_table, read_results

__version__ = _core.__version__
__all__ = ["Settings", "Result", "models", "read_results", "calculations"] + list(
    _core.calculations())


def calculations():
    """The names of the calculations this build runs ("frac", "mla", ...)."""
    return list(_core.calculations())


def models():
    """Every registered model: its set, display name, short name and flags, as a DataFrame.

    ``pressure``, ``water`` and ``traces`` tell whether the model uses pressure, H2O or trace
    elements; ``default`` marks the set's default model; ``available`` is False for a model a
    run cannot use.
    """
    frame = pd.DataFrame(
        _core.models(),
        columns=["set", "name", "short_name", "pressure", "water", "traces", "default",
                 "available"],
    )
    frame["short_name"] = frame["short_name"].str.rstrip()  # padded to eight characters
    return frame


def _toml_value(value, key):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, (int, float)):
        if isinstance(value, float) and not math.isfinite(value):
            raise ValueError(f"settings key {key!r}: {value!r} is not a finite number")
        return repr(value) if isinstance(value, int) else repr(float(value))
    if isinstance(value, str):
        return json.dumps(value, ensure_ascii=False)
    if isinstance(value, (list, tuple)):
        return "[" + ", ".join(_toml_value(v, key) for v in value) + "]"
    if isinstance(value, dict):
        return "{ " + ", ".join(
            f"{json.dumps(str(k))} = {_toml_value(v, key)}" for k, v in value.items()) + " }"
    if hasattr(value, "item"):  # numpy scalars
        return _toml_value(value.item(), key)
    raise ValueError(f"settings key {key!r}: a {type(value).__name__} is not a settings value")


class Settings:
    """The settings of a run, read and written as the TOML settings files of ``varnodel-cli``.

    Keys are the file's dotted keys: ``settings["stop.value"] = 85``,
    ``settings["models.olivine"] = "Ford et al., 1983"``. Pressures are in kbar, temperatures in
    degrees C, compositions in wt% and ppm. An unknown key or a value the file would refuse
    raises ValueError naming it; a number outside its bounds is clamped with a UserWarning.
    """

    def __init__(self, _core_settings=None):
        self._s = _core_settings if _core_settings is not None else _core.Settings()

    @classmethod
    def defaults(cls):
        """Every setting at its default (the text of ``varnodel-cli settings``)."""
        return cls()

    @classmethod
    def from_file(cls, path):
        """Reads a settings file; keys it leaves out keep their defaults."""
        return cls(_core.Settings.from_file(os.fspath(path)))

    @classmethod
    def from_text(cls, text):
        """Reads the text of a settings file."""
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "settings.toml")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            return cls.from_file(path)

    def to_file(self, path):
        """Writes the complete settings file: every key with its value."""
        with open(path, "w", encoding="utf-8") as f:
            f.write(self.text())

    def text(self):
        """The complete settings file as text."""
        return self._s.text()

    def to_dict(self):
        """The settings as nested dicts of the file's tables."""
        return tomllib.loads(self.text())

    def __getitem__(self, key):
        node = self.to_dict()
        for part in key.split("."):
            if not isinstance(node, dict) or part not in node:
                raise ValueError(f"{key!r} is not a settings key")
            node = node[part]
        return node

    def __setitem__(self, key, value):
        self._s.set(key, _toml_value(value, key))

    def keys(self):
        """Every dotted key that holds a value."""
        def walk(node, prefix):
            for k, v in node.items():
                if isinstance(v, dict) and v:
                    yield from walk(v, prefix + k + ".")
                else:
                    yield prefix + k
        return list(walk(self.to_dict(), ""))

    def copy(self):
        return Settings(self._s.copy())

    def __eq__(self, other):
        return isinstance(other, Settings) and self.text() == other.text()

    def __reduce__(self):
        return (Settings.from_text, (self.text(),))

    def __repr__(self):
        return f"<varnodel.Settings, {len(self.keys())} keys>"


# The result files of the diffusion profiles beside the results table that hold no mineral.
_PROFILE_FILES = {"_COMP.csv": "compositions", "_PR.csv": "profiles"}


class Result:
    """What a run gives back.

    ``table``: the results table (one row per reported step or per analysis) as a DataFrame;
    ``minerals``: the per-mineral tables by short name ("Olv", "Plg", ...); ``parameters``: the
    parameter report; ``log`` and ``debug_log``: the main and diagnostics logs; ``outcomes``:
    per analysis its ``Sample``, ``outcome`` (as the batch's status file words it: "completed",
    "stopped by its stop condition", "ended: no minerals left", "ended: model failure",
    "ended: error", "interrupted"), ``reason`` (why it ended early, or the stop condition) and
    ``error`` (the message text, empty when none); ``files``: the text of every result file by
    the end of its name (".csv", "_calc_param.csv", "_Olv.csv", ..., "LAST_RES.DAT").

    The diffusion profiles also give ``last_result`` (the final profile, X in microns and FeO in
    wt%, with the final melt in its first row) and, at a cooling rate, ``compositions`` (the
    melt after each temperature step) and ``profiles`` (the profile after each step). The Fe-loss
    reconstruction of one inclusion gives ``profile_settings``: the settings with the
    reconstructed melt as the starting melt of the profiles (``--write-settings``).
    """

    def __init__(self, raw):
        self.calculation = raw["calculation"]
        self.files = {name: text.decode("utf-8", "replace") for name, text in raw["files"].items()}
        self._raw = raw

    @functools.cached_property
    def table(self):
        return parse_table(self.files.get(".csv", ""))

    @functools.cached_property
    def minerals(self):
        return {name[1:-4]: parse_table(text) for name, text in self.files.items()
                if name.endswith(".csv") and name not in (".csv", "_calc_param.csv", "_status.csv")
                and name not in _PROFILE_FILES}

    @functools.cached_property
    def compositions(self):
        return parse_table(self.files["_COMP.csv"]) if "_COMP.csv" in self.files else None

    @functools.cached_property
    def profiles(self):
        return parse_table(self.files["_PR.csv"]) if "_PR.csv" in self.files else None

    @functools.cached_property
    def last_result(self):
        text = self.files.get("LAST_RES.DAT")
        return parse_last_result(text) if text is not None else None

    @property
    def profile_settings(self):
        text = self._raw.get("profile_settings")
        return Settings.from_text(text) if text is not None else None

    @property
    def parameters(self):
        return self.files.get("_calc_param.csv", "")

    def _lines(self, kind):
        lines = list(self._raw[kind])
        for a in self._raw["analyses"]:
            lines += a[kind]
        return "".join(line + "\n" for line in lines)

    @property
    def log(self):
        return self._lines("log")

    @property
    def debug_log(self):
        return self._lines("debug")

    @property
    def outcomes(self):
        return pd.DataFrame(
            [(a["name"], a["outcome"], a["reason"], "\n".join(a["messages"]))
             for a in self._raw["analyses"]],
            columns=["Sample", "outcome", "reason", "error"])

    def __repr__(self):
        return (f"<varnodel.Result {self.calculation}: {len(self._raw['analyses'])} analyses, "
                f"files {sorted(self.files)}>")


_FORBIDDEN = ("\t", "\n", "\r")


def _data_text(frame):
    """A DataFrame as the text of a tab-separated data file, read by the data file's rules."""
    if not isinstance(frame, pd.DataFrame):
        raise TypeError(
            f"compositions must be a DataFrame or the path of a data file, not "
            f"{type(frame).__name__}")
    if frame.empty:
        raise ValueError("the compositions hold no analysis")
    names = [str(c) for c in frame.columns]
    for name in names:
        if any(ch in name for ch in _FORBIDDEN):
            raise ValueError(f"compositions: the column name {name!r} holds a tab or line break")
    lines = ["\t".join(names)]
    for position, row in enumerate(frame.itertuples(index=False), start=1):
        fields = []
        for name, value in zip(names, row):
            if value is None or (isinstance(value, float) and math.isnan(value)):
                text = ""
            elif isinstance(value, float):
                text = repr(value)
            else:
                text = str(value)
            if any(ch in text for ch in _FORBIDDEN):
                raise ValueError(
                    f"compositions: row {position}, column {name!r}: {text!r} holds a tab or "
                    f"line break")
            fields.append(text)
        lines.append("\t".join(fields))
    return "\n".join(lines) + "\n"


def _run(calculation, compositions, settings, jobs, output, analysis=None):
    if settings is None:
        settings = Settings()
    elif isinstance(settings, (str, os.PathLike)):
        settings = Settings.from_file(settings)
    elif not isinstance(settings, Settings):
        raise TypeError(f"settings must be a varnodel.Settings or a path, not "
                        f"{type(settings).__name__}")
    if compositions is None:
        data, is_path = "", False
    elif isinstance(compositions, (str, os.PathLike)):
        data, is_path = os.fspath(compositions), True
    elif isinstance(compositions, bytes):  # the text of a data file
        data, is_path = compositions, False
    else:
        data, is_path = _data_text(compositions), False
    if jobs is None:
        jobs = os.cpu_count() or 1
    if isinstance(jobs, bool) or not isinstance(jobs, int) or not 1 <= jobs <= 1024:
        raise ValueError(f"jobs must be a whole number from 1 to 1024, not {jobs!r}")
    if analysis is None:
        analysis = 0
    elif isinstance(analysis, bool) or not isinstance(analysis, int) or analysis < 1:
        raise ValueError(f"analysis must be a whole number from 1, not {analysis!r}")
    if output is not None:
        output = os.fspath(output)
        if not output:
            raise ValueError("output: an empty path names no file")
    return Result(_core.run(calculation, settings._s, data, is_path, jobs, analysis, output))


_DOCS = {
    "frac": "Forward fractional crystallisation of each composition, step by step, until the "
            "stop condition of the settings.\n\n``table`` has one row per printed step: the "
            "magma, melt and cumulate compositions (wt%, ppm), ``Temperature`` and the "
            "minerals' temperatures (degrees C), composition numbers (mol%), "
            "``Pressure(kbar)``, ``Lg(fO2)``, density (g/cm3), ln viscosity (poise), the "
            "amounts (wt%), ``Sample`` and ``Date``.",
    "mla": "The liquidus mineral association of each composition: for every chosen model "
           "(settings table ``mla``) the liquidus temperature (degrees C) and the mineral's "
           "composition number (mol%), with the Olv-Plg cotectic H2O (wt%) and Olv-Cpx "
           "pressure (kbar) estimates.\n\n``table`` has one row per analysis.",
    "rev": "Reverse crystallisation: the minerals are added back to each evolved melt, step by "
           "step, towards a more primitive melt.\n\n``table`` has one row per printed step: the "
           "melt composition (wt%, ppm), temperatures (degrees C), composition numbers (mol%), "
           "pressure (kbar), the added amounts (% of the starting melt), ``Sample``.",
    "ironloss": "Reconstruction of each melt inclusion's composition after Fe loss to its host "
                "olivine; the compositions need ``FO_HOST`` (mol%) and ``FEO_FINAL`` (wt%).\n\n"
                "``table`` has one row per inclusion.",
    "profile_ic": "The FeO diffusion profile in the olivine around one melt inclusion cooled at "
                  "once (settings table ``melt_inclusions``: radius in microns, cooling "
                  "interval in degrees C, extent of re-equilibration in %).\n\n"
                  + "The starting melt: analysis ``analysis`` of the compositions, else the "
                  "settings' ``profile.composition``, else their ``composition``. ``table`` "
                  "holds the profiles (X in microns, FeO in wt%) and in its first rows the melt "
                  "trapped, after cooling, fully re-equilibrated, at the extent reached; "
                  "``last_result`` the final profile.",
    "profile_cr": "The FeO diffusion profiles in the olivine around one melt inclusion cooled "
                  "at ``melt_inclusions.cooling_rate`` (degrees C a day) in steps of 10 "
                  "degrees.\n\nThe starting melt and ``table`` as for ``profile_ic``; "
                  "``compositions`` holds the melt after each step, ``profiles`` the profile "
                  "after each step.",
}

_COMMON = """

Parameters
----------
compositions : DataFrame, path or None
    Columns as in a data file (Sample, SiO2, ..., FeOt, H2O, traces in ppm, ...), read by the
    data file's rules; a path reads that file; None runs the composition of the settings.
settings : Settings, path or None
    None: the defaults.
jobs : int or None
    Analyses run at once (None: one per processor); the results do not depend on it.
analysis : int or None
    Run only this analysis (1-based) of the compositions (``--analysis``). The profiles model
    one inclusion: compositions of several need it.
output : path or None
    Also write the result files the command line writes (``--output``): folder and name.

Returns
-------
Result
"""


def _calculation(name):
    def call(compositions=None, settings=None, jobs=None, output=None, analysis=None):
        return _run(name, compositions, settings, jobs, output, analysis)

    call.__name__ = call.__qualname__ = name
    call.__doc__ = _DOCS.get(name, f"The calculation {name!r}.") + _COMMON
    return call


for _name in _core.calculations():
    globals()[_name] = _calculation(_name)
del _name
