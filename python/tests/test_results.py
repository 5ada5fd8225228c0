"""The module's numbers are the command line's, to the last bit."""

import csv
import json
import math

import numpy as np
import pytest

import quarvel
from conftest import ELCENTRO, SOURCE, run_cli


def bits(value):
    """The exact double as text ('nan' for any NaN), so that -0.0 and 0.0 differ."""
    return "nan" if math.isnan(value) else float(value).hex()


def field_bits(text):
    """A CSV field as the exact double, or as itself when it is not a number."""
    if text == "":
        return "nan"
    try:
        return bits(float(text))
    except ValueError:
        return text


SOLVE_CASES = [
    # (id, command-line options, load El Centro?, Model keywords)
    ("elcentro_rk_last_max", ["--method", "rk", "--rule", "last-max"], True,
     {"method": "rk", "rule": "last-max"}),
    ("builtin_default", [], False, {}),
    ("builtin_euler_typed_texts", ["--method", "euler", "--euler-steps", "4", "--Fy", "3.1"],
     False, {"method": "euler", "euler_steps": "4", "Fy": "3.1"}),
    ("elcentro_engineering", ["--period", "0.7", "--damping-ratio", "0.05",
                              "--strength-ratio", "0.2", "--mass", "2"], True,
     {"period": 0.7, "damping_ratio": 0.05, "strength_ratio": 0.2, "mass": 2}),
]


@pytest.mark.parametrize("name,options,elcentro,model", SOLVE_CASES,
                         ids=[case[0] for case in SOLVE_CASES])
def test_solve_equals_the_summary(tmp_path, name, options, elcentro, model):
    summary = tmp_path / f"{name}.json"
    source = ["--load", ELCENTRO] if elcentro else []
    assert run_cli("solve", *source, *options, "--summary", str(summary)).returncode == 0
    expected = json.loads(summary.read_text())["results"]["experiments"]
    experiments = quarvel.load(ELCENTRO) if elcentro else quarvel.builtin_experiments()
    solved = quarvel.solve(experiments, quarvel.Model(**model)).experiments
    assert len(solved) == len(expected)
    for got, want in zip(solved, expected):
        pairs = {
            "original peakU": (got.original.peak_U, want["original"]["peakU"]),
            "original peakEh": (got.original.peak_Eh, want["original"]["peakEh"]),
            "modified peakU": (got.modified.peak_U, want["modified"]["peakU"]),
            "modified peakEh": (got.modified.peak_Eh, want["modified"]["peakEh"]),
            "elastic period": (got.periods["elastic"], want["periods"]["elastic"]),
            "plastic period": (got.periods["plastic"], want["periods"]["plastic"]),
        }
        for key in ("absErrorU", "relErrorU", "absErrorEh", "relErrorEh"):
            snake = {"absErrorU": "abs_error_U", "relErrorU": "rel_error_U",
                     "absErrorEh": "abs_error_Eh", "relErrorEh": "rel_error_Eh"}[key]
            pairs[key] = (got.errors[snake], want["errors"][key])
        for what, (value, truth) in pairs.items():
            assert bits(value) == bits(truth), f"{want['name']}: {what}"


def test_samples_from_numpy_solve_as_the_loaded_record():
    loaded = quarvel.load(ELCENTRO)[0]
    made = quarvel.Experiment(np.array(loaded.samples), loaded.dt, kind="acceleration",
                              units="g", mass=loaded.mass)
    got = quarvel.solve([made]).experiments[0].modified
    want = quarvel.solve([loaded]).experiments[0].modified
    assert got.U.tobytes() == want.U.tobytes()


def test_history_arrays_keep_the_solved_storage():
    history = quarvel.solve(quarvel.load(ELCENTRO)).experiments[0].original
    assert type(history.U.base).__name__ == "PyCapsule"


def read_table(path):
    with open(path, newline="") as table:
        return list(csv.DictReader(table))


def assert_columns_equal(columns, rows):
    assert len(next(iter(columns.values()))) == len(rows)
    for k, row in enumerate(rows):
        for name, text in row.items():
            value = columns[name][k]
            got = value if isinstance(value, str) else bits(value)
            if isinstance(value, bool):
                got = "true" if value else "false"
            want = text if isinstance(value, str) else field_bits(text)
            assert got == want, f"row {k + 1}, {name}"


def test_spectrum_equals_the_tables(tmp_path):
    rows = tmp_path / "rows.csv"
    assert run_cli("spectrum", ELCENTRO, str(SOURCE / "examples" / "elcentro-1940-ns.AT2"),
                   "--periods", "0.2:1:0.4,2", "--ductility", "4", "-o",
                   str(rows)).returncode == 0
    records = quarvel.load(ELCENTRO) + quarvel.load(
        str(SOURCE / "examples" / "elcentro-1940-ns.AT2"))
    got = quarvel.spectrum(records, "0.2:1:0.4,2", ductility=4, jobs=2)
    assert_columns_equal(got.rows, read_table(rows))
    assert_columns_equal(got.statistics, read_table(tmp_path / "rows-stats.csv"))


def test_loop_equals_the_study_csv(tmp_path):
    assert run_cli("loop", "--load", ELCENTRO, "--from", "0.5", "--to", "1.5", "--step", "0.25",
                   "--vary", "elastic", "--by", "fy", "--csv", "--dir",
                   str(tmp_path)).returncode == 0
    got = quarvel.loop(quarvel.load(ELCENTRO), from_=0.5, to=1.5, step=0.25, vary="elastic",
                       by="fy")
    assert_columns_equal(got.columns, read_table(tmp_path / "lresults.csv"))


def test_version_is_the_project_version():
    project = (SOURCE / "CMakeLists.txt").read_text()
    assert f"project(Quarvel VERSION {quarvel.__version__} " in project
