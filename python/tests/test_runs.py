"""Every calculation gives, through the module, the numbers and files of varnodel-cli with the
same settings file and data."""

import pandas as pd
import pytest

import varnodel
from conftest import GLASSES, data_for, run_cli, settings_for


def without_date(frame):
    return frame.drop(columns=["Date"], errors="ignore")


def without_date_fields(text):
    # The forward rows end with their date and time, the one field two runs never share.
    return [line.rsplit(",", 1)[0] if line.count(",") > 0 else line for line in text.splitlines()]


@pytest.mark.parametrize("calculation", varnodel.calculations())
def test_same_results_as_the_command_line(calculation, cli, tmp_path):
    settings = settings_for(calculation)
    settings_file = tmp_path / "settings.toml"
    settings.to_file(settings_file)
    (tmp_path / "cli").mkdir()
    (tmp_path / "py").mkdir()
    data = data_for(calculation)
    cli_log = run_cli(cli, calculation, settings_file, tmp_path / "cli" / "run.txt", data)

    frame = pd.read_csv(data)
    result = getattr(varnodel, calculation)(frame, varnodel.Settings.from_file(settings_file),
                                           jobs=2, output=tmp_path / "py" / "run.txt")
    assert set(result.outcomes["outcome"]) == {"completed"}
    assert list(result.outcomes["Sample"]) == list(frame["Name"])
    assert result.log == cli_log

    suffix = {"frac": "_FRAC", "mla": "_MLA", "rev": "_REV", "ironloss": "_IRL"}[calculation]
    cli_files = sorted(p.name for p in (tmp_path / "cli").iterdir())
    assert sorted(p.name for p in (tmp_path / "py").iterdir()) == cli_files
    assert sorted("run" + suffix + name for name in result.files) == cli_files
    for name in cli_files:
        written = (tmp_path / "cli" / name).read_text()
        assert without_date_fields((tmp_path / "py" / name).read_text()) == \
            without_date_fields(written), name
        kept = result.files[name[len("run" + suffix):]]
        assert without_date_fields(kept) == without_date_fields(written), name

    pd.testing.assert_frame_equal(without_date(result.table),
                                  without_date(varnodel.read_results(
                                      tmp_path / "cli" / f"run{suffix}.csv")))
    for short, table in result.minerals.items():
        pd.testing.assert_frame_equal(
            table, varnodel.read_results(tmp_path / "cli" / f"run{suffix}_{short}.csv"))
    assert result.parameters == (tmp_path / "cli" / f"run{suffix}_calc_param.csv").read_text()


def test_clean_columns_of_the_forward_table():
    r = varnodel.frac(GLASSES, settings_for("frac"), jobs=1)
    t = r.table
    for column in ("SiO2_melt", "FeO_melt", "Olv_Fo_magma", "Temperature", "Pressure(kbar)",
                   "Sample", "Date"):
        assert column in t.columns
    assert t["Temperature"].dtype == float and t["Olv_Fo_magma"].dtype == float
    assert t["Date"].notna().all()
    # Opx has no model: no column of its own. Cpx joins the MORB's olivine after a few steps:
    # its Mg# is the placeholder, NaN, until then.
    assert "Temperature_Opx" not in t.columns
    first = t[t["Sample"] == t["Sample"].iloc[0]]
    cpx = first["Cpx_Mg#Cpx_magma"]
    assert cpx.iloc[0] != cpx.iloc[0] and cpx.iloc[-1] > 50
    assert (first["Olv_Fo_magma"].dropna() > 50).all()


def test_the_composition_of_the_settings_without_data():
    r = varnodel.mla(None, settings_for("mla"))
    assert list(r.table["Sample"]) == [settings_for("mla")["composition.name"]]


def test_a_run_without_output_leaves_files_alone(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    old = tmp_path / "Varnodel_Output_MLA.csv"
    old.write_text("an earlier run\n")
    varnodel.mla(GLASSES, settings_for("mla"))
    assert [p.name for p in tmp_path.iterdir()] == [old.name]
    assert old.read_text() == "an earlier run\n"
