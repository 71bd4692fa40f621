"""Bad input raises with a message that names it; result files read by their rules."""

import pandas as pd
import pytest

import varnodel
from conftest import GLASSES, INCLUSIONS


@pytest.mark.parametrize("key, value, named", [
    ("stop.valu", 3, "stop.valu"),
    ("models.olivine", "No Such Model 1999", "No Such Model 1999"),
    ("oxidation.mode", "sideways", "sideways"),
    ("stop.value", "eighty", "stop.value"),
    ("run.step", float("nan"), "run.step"),
])
def test_bad_settings_are_value_errors_naming_them(key, value, named):
    s = varnodel.Settings.defaults()
    with pytest.raises(ValueError, match=named):
        s[key] = value
    assert s == varnodel.Settings.defaults()


def test_settings_keys_round_trip(tmp_path):
    s = varnodel.Settings.defaults()
    s["stop.value"] = 85
    s["models.plagioclase"] = "Langmuir et al., 1992"
    s.to_file(tmp_path / "s.toml")
    again = varnodel.Settings.from_file(tmp_path / "s.toml")
    assert again["stop.value"] == 85.0 and again == s
    assert again["models.plagioclase"] == "Langmuir et al., 1992"
    with pytest.raises(ValueError, match="no.such"):
        again["no.such"]
    with pytest.raises(ValueError, match="missing.toml"):
        varnodel.Settings.from_file(tmp_path / "missing.toml")


@pytest.mark.parametrize("compositions, error, named", [
    (pd.DataFrame({"Sample": ["a"], "SiO2": [50.0], "Al2O3": [15.0], "MgO": [8.0], "CaO": [11.0]}),
     ValueError, "not correct: Analysis a"),
    (pd.DataFrame({"Sample": ["a\tb"], "SiO2": [50.0]}), ValueError, "row 1, column 'Sample'"),
    ("no/such/file.csv", ValueError, "no/such/file.csv"),
    ([1, 2, 3], TypeError, "list"),
])
def test_bad_compositions_name_the_fault(compositions, error, named):
    with pytest.raises(error, match=named):
        varnodel.mla(compositions)


def test_bad_run_options_name_the_option(tmp_path):
    with pytest.raises(ValueError, match="jobs"):
        varnodel.mla(GLASSES, jobs=0)
    with pytest.raises(ValueError, match="does not exist"):
        varnodel.mla(GLASSES, output=tmp_path / "absent" / "run.txt")
    with pytest.raises(ValueError, match="analysis=8: the compositions hold 7"):
        varnodel.mla(GLASSES, analysis=8)
    with pytest.raises(ValueError, match="analysis must be"):
        varnodel.mla(GLASSES, analysis=0)
    # Several inclusions for one profile: which one is the caller's choice.
    with pytest.raises(ValueError, match=r"profile_ic models one inclusion: choose it with "
                                         r"analysis=N \(the compositions hold 5\)"):
        varnodel.profile_ic(INCLUSIONS)
    # "Load last result" with no earlier run in the output folder: the program's text.
    s = varnodel.Settings.defaults()
    s["melt_inclusions.load_last_result"] = True
    with pytest.raises(ValueError, match="LAST_RES.DAT .* does not exist"):
        varnodel.profile_ic(None, s, output=tmp_path / "run.txt")


def test_read_results_placeholders_quotes_and_dates(tmp_path):
    path = tmp_path / "r.csv"
    path.write_text(
        "  SiO2_melt,  FeO_melt,Temperature,Lg(fO2),dNNO,log(fO2),Sample\n"
        "50.1000,-1.00,1200.000,  n.d.,-1.0,QFM+0.5,\"a, b\",2026-01-02 03:04:05\n"
        "50.2000, 9.0000,     -1,-8.50, 0.2,n.d.,c,2026-01-02 03:04:06\n")
    t = varnodel.read_results(path)
    assert list(t.columns) == ["SiO2_melt", "FeO_melt", "Temperature", "Lg(fO2)", "dNNO",
                               "log(fO2)", "Sample", "Date"]
    assert t["FeO_melt"].isna().tolist() == [True, False]
    assert t["Temperature"].isna().tolist() == [False, True]
    assert t["dNNO"].tolist() == [-1.0, 0.2]  # a value, not a placeholder
    assert t["log(fO2)"].tolist() == ["QFM+0.5", None]
    assert t["Sample"].tolist() == ["a, b", "c"]
    assert t["Date"].iloc[1] == pd.Timestamp("2026-01-02 03:04:06")


def test_models_table():
    m = varnodel.models()
    ford = m[m["name"] == "Ford et al., 1983"].iloc[0]
    assert ford["set"] == "Olivine" and ford["short_name"] == "Ford83"
    assert {"Olivine", "Plagioclase", "Oxygen buffer"} <= set(m["set"])
