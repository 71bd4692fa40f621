"""Every calculation gives, through the module, the numbers and files of varnodel-cli with the
same settings file and data."""

import pandas as pd
import pytest

import varnodel
from conftest import GLASSES, INCLUSIONS, analysis_for, data_for, run_cli, settings_for


def without_date(frame):
    return frame.drop(columns=["Date"], errors="ignore")


def without_date_fields(text):
    # The forward rows end with their date and time, the one field two runs never share.
    return [line.rsplit(",", 1)[0] if line.count(",") > 0 else line for line in text.splitlines()]


SUFFIX = {"frac": "_FRAC", "mla": "_MLA", "rev": "_REV", "ironloss": "_IRL",
          "profile_ic": "_PIC", "profile_cr": "_PCR"}


@pytest.mark.parametrize("calculation", varnodel.calculations())
def test_same_results_as_the_command_line(calculation, cli, tmp_path):
    settings = settings_for(calculation)
    settings_file = tmp_path / "settings.toml"
    settings.to_file(settings_file)
    (tmp_path / "cli").mkdir()
    (tmp_path / "py").mkdir()
    data, analysis = data_for(calculation), analysis_for(calculation)
    cli_log = run_cli(cli, calculation, settings_file, tmp_path / "cli" / "run.txt", data,
                      analysis)

    frame = pd.read_csv(data)
    result = getattr(varnodel, calculation)(frame, varnodel.Settings.from_file(settings_file),
                                           jobs=2, output=tmp_path / "py" / "run.txt",
                                           analysis=analysis)
    assert set(result.outcomes["outcome"]) <= {"completed", "stopped by its stop condition"}
    samples = list(frame["Name"])
    assert list(result.outcomes["Sample"]) == (samples[analysis - 1:analysis] if analysis
                                               else samples)
    assert result.log == cli_log

    base = "run" + SUFFIX[calculation]
    same = without_date_fields if calculation == "frac" else str.splitlines
    file_of = {name: name if name == "LAST_RES.DAT" else base + name for name in result.files}
    # The command line also records its own command and settings beside the results.
    cli_files = sorted(p.name for p in (tmp_path / "cli").iterdir()
                       if not p.name.endswith("_settings.toml"))
    assert sorted(p.name for p in (tmp_path / "py").iterdir()) == cli_files
    assert sorted(file_of.values()) == cli_files
    for name, file in file_of.items():
        written = (tmp_path / "cli" / file).read_text()
        assert same((tmp_path / "py" / file).read_text()) == same(written), file
        assert same(result.files[name]) == same(written), file

    read = {name: varnodel.read_results(tmp_path / "cli" / file) for name, file in file_of.items()}
    pd.testing.assert_frame_equal(without_date(result.table), without_date(read[".csv"]))
    for short, table in result.minerals.items():
        pd.testing.assert_frame_equal(table, read[f"_{short}.csv"])
    for name, table in (("_COMP.csv", result.compositions), ("_PR.csv", result.profiles),
                        ("LAST_RES.DAT", result.last_result)):
        assert (table is None) == (name not in read), name
        if table is not None:
            pd.testing.assert_frame_equal(table, read[name])
    assert result.parameters == (tmp_path / "cli" / f"{base}_calc_param.csv").read_text()
    # The report's lines, a line with a comma unquoted.
    assert read["_calc_param.csv"]["line"].tolist() == [
        line.strip('"') for line in result.parameters.splitlines()]


def test_fe_loss_leaves_the_settings_of_the_profiles(cli, tmp_path):
    # What --write-settings writes, without a file; the profile then runs from it.
    settings_file = tmp_path / "settings.toml"
    settings_for("ironloss").to_file(settings_file)
    run_cli(cli, "ironloss", settings_file, tmp_path / "run.txt", INCLUSIONS, 2,
            ["--write-settings", str(tmp_path / "profiles.toml")])
    r = varnodel.ironloss(INCLUSIONS, settings_file, analysis=2)
    assert r.profile_settings.text() == (tmp_path / "profiles.toml").read_text()
    assert r.profile_settings["melt_inclusions.simulate_reheating"] is True
    assert varnodel.ironloss(INCLUSIONS, settings_file).profile_settings is None


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
