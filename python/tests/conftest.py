"""Shared inputs of the module's tests: the reference glasses, small settings files and the
command-line program of the same build, whose files every run is compared with."""

import os
import pathlib
import subprocess

import pytest

import varnodel

REPO = pathlib.Path(__file__).resolve().parents[2]
GLASSES = REPO / "tests" / "data" / "reference_glasses.csv"
INCLUSIONS = REPO / "tests" / "data" / "melt_inclusions.csv"
# The module lives in <build>/python/varnodel; the program in <build>/src/cli.
CLI = pathlib.Path(varnodel.__file__).resolve().parents[2] / "src" / "cli" / "varnodel-cli"


def settings_for(calculation):
    """Settings that make each calculation quick but not trivial: the forward run's example
    cut short, else those of the calculation's first golden run."""
    if calculation == "frac":
        s = varnodel.Settings.from_file(REPO / "examples" / "settings.toml")
        s["stop.value"] = 6.0
        s["run.step"] = 0.05
        return s
    if calculation.startswith("profile_"):
        # The Fe-loss run's olivine; a small inclusion, a short cooling, little re-equilibration
        # (seconds in a debug build).
        s = settings_for("ironloss")
        radius, interval = (30.0, 20.0) if calculation == "profile_ic" else (20.0, 10.0)
        s["melt_inclusions.inclusion_radius"] = radius
        s["melt_inclusions.cooling_interval"] = interval
        s["melt_inclusions.final_extent"] = 10.0
        s["melt_inclusions.cooling_rate"] = 1000.0
        return s
    cases = sorted((REPO / "tests" / "data" / "golden").glob(f"{calculation}_*/settings.toml"))
    if not cases:
        pytest.skip(f"no settings for {calculation}")
    return varnodel.Settings.from_file(cases[0])


def data_for(calculation):
    """The reference glasses, or the melt inclusions with their hosts for the Fe-loss run."""
    return INCLUSIONS if calculation in ("ironloss", "profile_ic", "profile_cr") else GLASSES


def analysis_for(calculation):
    """The profiles model one inclusion: the first."""
    return 1 if calculation.startswith("profile_") else None


@pytest.fixture(scope="session")
def cli():
    if not CLI.exists():
        pytest.fail(f"{CLI} is not built")
    return CLI


def run_cli(cli, calculation, settings_file, output, data=GLASSES, analysis=None, extra=()):
    chosen = ["--analysis", str(analysis)] if analysis else []
    done = subprocess.run(
        [str(cli), calculation.replace("_", "-"), "--data", str(data), *chosen, "--settings",
         str(settings_file), "--output", str(output), "--jobs", "1", *extra],
        capture_output=True, text=True, check=False, env=dict(os.environ, LC_ALL="C"))
    assert done.returncode == 0, done.stderr
    return done.stdout
