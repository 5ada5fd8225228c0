#!/usr/bin/env python3
"""A solve from Python against the same solve in C++: El Centro 1940 NS and the six built-in
experiments, default model, on the calling thread (jobs=1 against the benchmark's one-thread
solve). Each Python solve copies the set in and solves into new storage, which its arrays then
own; the C++ solve is timed both that way (BM_SolveFreshBench) and reusing its storage from one
solve to the next, as the window's Solve Now does. Rounds alternate between the two so that a
busy machine weighs on both alike. Prints the medians of the wall time and of the processor
time per solve, and the Python / C++ ratios (within 5 % is the aim). On a machine shared with
other work the wall time mostly measures the waiting; the processor time is the fair comparison
then.

Usage: PYTHONPATH=build/python python3 bench/python_solve.py [BUILD_DIR] [ROUNDS]
"""

import json
import statistics
import subprocess
import sys
import time
from pathlib import Path

import quarvel

TOP = Path(__file__).resolve().parent.parent
BUILD = Path(sys.argv[1]) if len(sys.argv) > 1 else TOP / "build"
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 5

# name: (the C++ benchmark, the experiments Python solves)
ELCENTRO = quarvel.load(str(TOP / "tests/experiments/data/elcentro-1940-ns.quarvel"))
CASES = {
    "El Centro 1940 NS, C++ into a fresh bench": ("BM_SolveFreshBench/elcentro:1", ELCENTRO),
    "El Centro 1940 NS, C++ reusing its storage": ("BM_SolveElCentro/method:3", ELCENTRO),
    "built-in set, C++ into a fresh bench": ("BM_SolveFreshBench/elcentro:0",
                                             quarvel.builtin_experiments()),
    "built-in set, C++ reusing its storage": ("BM_SolveBuiltInDefaults/threads:1/real_time",
                                              quarvel.builtin_experiments()),
}


def cpp_seconds(benchmark):
    """Wall and processor seconds per solve of one run of the C++ benchmark."""
    run = subprocess.run([str(BUILD / "bench" / "bench_solve"), f"--benchmark_filter=^{benchmark}$",
                          "--benchmark_min_time=1", "--benchmark_format=json"],
                         capture_output=True, text=True, check=True)
    result = json.loads(run.stdout)["benchmarks"][0]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[result["time_unit"]]
    return result["real_time"] * scale, result["cpu_time"] * scale


def python_seconds(experiments, seconds=1.0):
    """Wall and processor seconds per solve of quarvel.solve over about `seconds`."""
    quarvel.solve(experiments, jobs=1)
    count, start, cpu = 0, time.perf_counter(), time.process_time()
    while time.perf_counter() - start < seconds:
        quarvel.solve(experiments, jobs=1)
        count += 1
    return (time.perf_counter() - start) / count, (time.process_time() - cpu) / count


for name, (benchmark, experiments) in CASES.items():
    cpp, python = [], []
    for _ in range(ROUNDS):
        cpp.append(cpp_seconds(benchmark))
        python.append(python_seconds(experiments))
    for k, kind in enumerate(("wall", "processor")):
        c = statistics.median(run[k] for run in cpp)
        p = statistics.median(run[k] for run in python)
        print(f"{name}, {kind} time: C++ {c * 1e3:.3f} ms, Python {p * 1e3:.3f} ms per solve, "
              f"Python / C++ = {p / c:.3f} (medians of {ROUNDS} rounds)")
