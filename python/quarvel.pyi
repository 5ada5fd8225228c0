"""Quarvel: a Bouc-Wen hysteretic oscillator, original and modified models, on the C++ core."""

from typing import Any, Iterable, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

__version__: str

Number = Union[float, int, str]

class Experiment:
    """One excitation record with its initial state."""

    def __init__(self, samples: npt.ArrayLike, dt: Number, kind: str = "acceleration",
                 units: str = "g", name: str = "", mass: Optional[Number] = None,
                 weight: float = 1.0, initial_u: float = 0.0, initial_u_dot: float = 0.0,
                 initial_z: float = 0.0) -> None: ...
    @property
    def name(self) -> str: ...
    @property
    def kind(self) -> str: ...
    @property
    def units(self) -> str: ...
    @property
    def dt(self) -> float: ...
    @property
    def mass(self) -> float: ...
    @property
    def weight(self) -> float: ...
    @property
    def initial_u(self) -> float: ...
    @property
    def initial_u_dot(self) -> float: ...
    @property
    def initial_z(self) -> float: ...
    @property
    def samples(self) -> npt.NDArray[np.float64]: ...
    @property
    def provenance(self) -> Optional[dict[str, Any]]: ...
    def __len__(self) -> int: ...

def load(path: str, *, format: Optional[str] = None, type: Optional[str] = None,
         units: Optional[str] = None, name: Optional[str] = None,
         dt: Optional[Number] = None, column: Optional[Union[str, int]] = None,
         scale: Optional[Number] = None, mass: Optional[Number] = None,
         strict: bool = False) -> list[Experiment]:
    """Every experiment of a .quarvel, PEER .AT2, columns or CSV file."""

def builtin_experiments() -> list[Experiment]:
    """The six built-in sinusoidal force experiments."""

def displacement_protocol(protocol: str, uy: Number = 0.111) -> list[Experiment]:
    """The displacement-controlled ramp protocol dc1 or dc2 in multiples of uy."""

class Model:
    """Both models' inputs, checked as the command line checks them."""

    def __init__(self, *, A: Number = "1.0", beta: Number = "0.1", gamma: Number = "0.9",
                 n: Number = "2.0", alpha: Number = "0.10", c: Number = "0",
                 Fy: Number = "2.86", Uy: Number = "0.111", P: Number = "2.0",
                 threshold_z: Number = "-1", mass: Number = "-1", eps: Number = "1E-09",
                 euler_steps: Number = "1", method: str = "rk-doubling", rule: str = "all",
                 skip_in_dominance_zone: bool = True, period: Optional[Number] = None,
                 damping_ratio: Optional[Number] = None,
                 strength_ratio: Optional[Number] = None) -> None: ...
    @property
    def inputs(self) -> dict[str, Union[str, bool]]: ...
    @property
    def period(self) -> Optional[float]: ...
    @property
    def damping_ratio(self) -> Optional[float]: ...
    @property
    def strength_ratio(self) -> Optional[float]: ...

class History:
    """One model's response; arrays hold samples 1..N."""

    t: npt.NDArray[np.float64]
    U: npt.NDArray[np.float64]
    U_DOT: npt.NDArray[np.float64]
    U_DOT_DOT: npt.NDArray[np.float64]
    F: npt.NDArray[np.float64]
    Z: npt.NDArray[np.float64]
    Fext: npt.NDArray[np.float64]
    Fh: npt.NDArray[np.float64]
    Et: npt.NDArray[np.float64]
    Eh: npt.NDArray[np.float64]
    peak_U: float
    peak_Eh: float

class ExperimentSolution:
    experiment: int
    name: str
    samples: int
    original: History
    modified: History
    reversals: dict[str, npt.NDArray[np.int32]]  # PLast+, Plast-, PMax+, PMax-
    errors: dict[str, float]  # abs_error_U, rel_error_U, abs_error_Eh, rel_error_Eh
    periods: dict[str, Optional[float]]  # elastic, plastic

class Solution:
    experiments: list[ExperimentSolution]
    selected: int
    faults: dict[str, Any]  # weight_faults, first_experiment, first_sample, first_time
    inputs: dict[str, str]

def solve(experiments: Union[Experiment, Iterable[Experiment]], model: Optional[Model] = None,
          *, experiment: int = 1, jobs: Optional[int] = None) -> Solution:
    """Both models over the experiments; the GIL is released while solving."""

class SpectrumResult:
    rows: dict[str, list[Any]]
    statistics: dict[str, list[Any]]
    points_not_reached: int
    points_faulted: int
    interrupted: bool
    files: list[str]

def spectrum(records: Iterable[Experiment], periods: Union[str, Sequence[Number]], *,
             strength_ratio: Optional[Number] = None, reduction: Optional[Number] = None,
             ductility: Optional[Number] = None, damping_ratio: Number = 0.05,
             mass: Number = -1, model: Optional[Model] = None, jobs: Optional[int] = None,
             output: Optional[str] = None, stats: Optional[str] = None) -> SpectrumResult:
    """Inelastic response spectra of both models, as columns for pandas.DataFrame."""

class StudyResult:
    columns: dict[str, list[Any]]
    file: Optional[str]
    values_solved: int
    lines_written: int
    faulted_values: list[float]

def loop(experiments: Iterable[Experiment], model: Optional[Model] = None, *,
         from_: Number = "0.1", to: Number = "10", step: Number = "0.01",
         vary: str = "plastic", by: str = "mass", experiment: int = 1,
         jobs: Optional[int] = None, all_experiments: bool = False, dir: Optional[str] = None,
         output: Optional[str] = None) -> StudyResult:
    """The parametric study of the selected experiment."""

class RecordStudy(StudyResult):
    record: str

class AdvancedStudyResult:
    studies: list[RecordStudy]
    envelopes: dict[str, list[Any]]
    problems: list[str]
    envelope_files: list[str]

def advanced_loop(records: Optional[Sequence[str]] = None, *, dir: Optional[str] = None,
                  model: Optional[Model] = None, from_: Number = "0.1", to: Number = "10",
                  step: Number = "0.01", vary: str = "plastic", by: str = "mass",
                  threshold: Number = "1", jobs: Optional[int] = None,
                  all_experiments: bool = False, format: Optional[str] = None,
                  type: Optional[str] = None, units: Optional[str] = None,
                  dt: Optional[Number] = None, column: Optional[Union[str, int]] = None,
                  scale: Optional[Number] = None, strict: bool = False) -> AdvancedStudyResult:
    """The study of every record file (or numbered series) with the error envelopes."""
