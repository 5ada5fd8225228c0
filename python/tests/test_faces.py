"""Bad input raises with the command line's texts; long work releases the GIL and stops on
Ctrl-C."""

import os
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import quarvel
from conftest import ELCENTRO, SOURCE, run_cli

BUILTIN = quarvel.builtin_experiments()


def zero_weight():
    return [quarvel.Experiment(np.ones(3), 0.1, kind="force", weight=0)]


# (id, what Python is asked, the error, the command line's arguments for the same input)
ERROR_CASES = [
    ("fy_zero", lambda: quarvel.Model(Fy=0), ValueError, ["solve", "--Fy", "0"]),
    ("fy_comma", lambda: quarvel.Model(Fy="1,5"), ValueError, ["solve", "--Fy", "1,5"]),
    ("fy_too_large", lambda: quarvel.Model(Fy="1e400"), ValueError, ["solve", "--Fy", "1e400"]),
    ("c_negative", lambda: quarvel.Model(c=-1), ValueError, ["solve", "--c", "-1"]),
    ("mass_zero", lambda: quarvel.Model(mass=0), ValueError, ["solve", "--mass", "0"]),
    ("n_zero", lambda: quarvel.Model(n=0), ValueError, ["solve", "--n", "0"]),
    ("eps_negative", lambda: quarvel.Model(eps=-1e-9), ValueError, ["solve", "--eps", "-1e-09"]),
    ("method_unknown", lambda: quarvel.Model(method="fast"), ValueError,
     ["solve", "--method", "fast"]),
    ("rule_unknown", lambda: quarvel.Model(rule="first"), ValueError,
     ["solve", "--rule", "first"]),
    ("period_zero", lambda: quarvel.Model(period=0), ValueError, ["solve", "--period", "0"]),
    ("mass_beside_period", lambda: quarvel.Model(mass=1, period=1), ValueError,
     ["solve", "--mass", "1", "--period", "1"]),
    ("fy_beside_strength", lambda: quarvel.Model(Fy=1, strength_ratio=0.1), ValueError,
     ["solve", "--Fy", "1", "--strength-ratio", "0.1"]),
    ("experiment_beyond_set", lambda: quarvel.solve(BUILTIN, experiment=7), ValueError,
     ["solve", "--experiment", "7"]),
    ("weights_zero", lambda: quarvel.solve(zero_weight()), ValueError, None),
    ("no_oscillator", lambda: quarvel.solve(BUILTIN, quarvel.Model(period="1e-300")),
     ValueError, ["solve", "--period", "1e-300"]),
    ("missing_file", lambda: quarvel.load("no/such.quarvel"), FileNotFoundError, None),
    ("folder_as_file", lambda: quarvel.load(os.path.dirname(ELCENTRO)), IsADirectoryError,
     None),
    ("units_contradict_header", lambda: quarvel.load(ELCENTRO.replace(".quarvel", ".AT2"),
                                                      units="m/s2"), ValueError,
     ["check", ELCENTRO.replace(".quarvel", ".AT2"), "--units", "m/s2"]),
    ("scale_zero", lambda: quarvel.load(ELCENTRO, scale=0), ValueError,
     ["check", ELCENTRO, "--scale", "0"]),
    ("format_unknown", lambda: quarvel.load(ELCENTRO, format="xls"), ValueError,
     ["check", ELCENTRO, "--format", "xls"]),
    ("spectrum_no_kind", lambda: quarvel.spectrum(BUILTIN, [1]), ValueError,
     ["spectrum", ELCENTRO, "--periods", "1"]),
    ("spectrum_ductility_zero", lambda: quarvel.spectrum(BUILTIN, [1], ductility=0), ValueError,
     ["spectrum", ELCENTRO, "--periods", "1", "--ductility", "0"]),
    ("spectrum_periods_falling", lambda: quarvel.spectrum(BUILTIN, "2,1", ductility=2),
     ValueError, ["spectrum", ELCENTRO, "--periods", "2,1", "--ductility", "2"]),
    ("spectrum_displacement",
     lambda: quarvel.spectrum(quarvel.displacement_protocol("dc1"), [1], ductility=2),
     ValueError, None),
    ("damping_ratio_in_percent", lambda: quarvel.Model(damping_ratio=2), ValueError,
     ["solve", "--damping-ratio", "2"]),
    ("spectrum_ductility_below_1", lambda: quarvel.spectrum(BUILTIN, [1], ductility=0.5),
     ValueError, ["spectrum", ELCENTRO, "--periods", "1", "--ductility", "0.5"]),
    ("spectrum_damping_in_percent",
     lambda: quarvel.spectrum(BUILTIN, [1], ductility=2, damping_ratio=5), ValueError,
     ["spectrum", ELCENTRO, "--periods", "1", "--ductility", "2", "--damping-ratio", "5"]),
    ("loop_step_zero", lambda: quarvel.loop(BUILTIN, step=0), ValueError,
     ["loop", "--step", "0", "--dir", "{tmp}"]),
    ("jobs_zero", lambda: quarvel.solve(BUILTIN, jobs=0), ValueError,
     ["loop", "--jobs", "0"]),
    ("experiment_of_two_dimensions", lambda: quarvel.Experiment(np.ones((2, 2)), 0.1),
     ValueError, None),
    ("time_step_zero", lambda: quarvel.Experiment(np.ones(2), 0), ValueError,
     ["check", ELCENTRO, "--dt", "0"]),
]


@pytest.mark.parametrize("name,call,error,cli_arguments", ERROR_CASES,
                         ids=[case[0] for case in ERROR_CASES])
def test_bad_input_raises_the_command_line_text(tmp_path, name, call, error, cli_arguments):
    with pytest.raises(error) as raised:
        call()
    if cli_arguments is not None:
        arguments = [a.replace("{tmp}", str(tmp_path)) for a in cli_arguments]
        stderr = run_cli(*arguments).stderr
        assert str(raised.value) in stderr, name


def test_unlikely_inputs_warn_with_the_command_line_text():
    stderr = run_cli("solve", "--alpha", "1.5").stderr
    with pytest.warns(UserWarning) as warned:
        quarvel.Model(alpha=1.5)
    assert str(warned[0].message) in stderr


def long_record(samples=200_000):
    t = np.arange(samples) * 0.005
    return quarvel.Experiment(20 * np.sin(2 * np.pi * t), 0.005, kind="force", mass=1)


def test_python_runs_beside_a_solve():
    # While a thread solves, the main thread keeps running Python: the longest pause between
    # its steps is a small part of the solve (holding the GIL, it would be the whole solve).
    # Two threads solving side by side gain from this only as far as the machine gives the
    # process a second core, so the pause, not the time, is what is asserted.
    record = [long_record()]
    times = {}

    def solve():
        times["start"] = time.perf_counter()
        quarvel.solve(record, jobs=1)
        times["end"] = time.perf_counter()

    thread = threading.Thread(target=solve)
    steps = []
    thread.start()
    while thread.is_alive():
        steps.append(time.perf_counter())
    inside = [t for t in steps if times["start"] <= t <= times["end"]]
    pauses = np.diff([times["start"], *inside, times["end"]])
    assert pauses.max() < 0.5 * (times["end"] - times["start"])


def test_ctrl_c_ends_a_spectrum_with_whole_rows_kept(tmp_path):
    rows = tmp_path / "rows.csv"
    timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    with pytest.raises(KeyboardInterrupt) as raised:
        quarvel.spectrum(quarvel.load(ELCENTRO), "0.05:20:0.05", ductility=4, jobs=2,
                         output=str(rows))
    timer.cancel()
    kept = raised.value.partial.rows["T_s"]
    assert 0 < len(kept) < 400
    assert rows.read_text().count("\n") == len(kept) + 1


def readme_scripts():
    """The indented scripts of the README's "From Python" section."""
    text = (SOURCE / "README.md").read_text()
    section = text.split("## From Python\n")[1].split("\n## ")[0]
    scripts, current = [], []
    for line in section.splitlines():
        if line.startswith("    "):
            current.append(line[4:])
        elif current and line.strip():
            scripts.append("\n".join(current))
            current = []
    return scripts


def test_readme_scripts_run(tmp_path):
    (tmp_path / "examples").symlink_to(SOURCE / "examples")
    scripts = readme_scripts()
    assert len(scripts) == 2
    for script in scripts:
        run = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, capture_output=True,
                             text=True, check=False)
        assert run.returncode == 0, run.stderr
    assert (tmp_path / "elcentro-hysteresis.png").stat().st_size > 0
