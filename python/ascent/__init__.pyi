# Type stubs of the ascent package.
import os
from typing import Any, Dict, Iterator, List, Mapping, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

__version__: str
SHIPPED_THRUST_FILE: str

class Error(Exception):
    message: str
    code: Optional[int]
    def __init__(self, message: str, *, code: Optional[int] = ..., **attributes: object) -> None: ...

class InputError(Error, ValueError):
    problems: list[str]

class VehicleError(InputError):
    key: Optional[str]

class UnknownKeyError(VehicleError, KeyError): ...

class ThrustFileError(Error):
    path: Optional[str]

class FlightFailed(Error):
    reason: str
    turn_time_s: Optional[float]
    limit_deg: Optional[float]

class DispersionFileError(InputError):
    """A dispersion file that cannot be read or does not fit the vehicle."""
    path: Optional[str]

class NoDesignError(Error):
    """No design orbit where a study needs one to start from."""
    verdict: Optional[str]
    turn_time_s: Optional[float]

class Vehicle:
    def __init__(self) -> None: ...
    @staticmethod
    def from_toml(path: Union[str, os.PathLike[str]]) -> Vehicle: ...
    @staticmethod
    def parse_toml(text: str, name: str = ...) -> Vehicle: ...
    def to_toml(self) -> str: ...
    def __getitem__(self, key: str) -> float: ...
    def __setitem__(self, key: str, value: float) -> None: ...
    def __contains__(self, key: str) -> bool: ...
    def with_changes(self, changes: Mapping[str, float]) -> Vehicle: ...
    def changed_keys(self) -> list[str]: ...
    def problems(self) -> list[str]: ...
    def to_dict(self) -> dict[str, float]: ...
    @staticmethod
    def keys() -> list[str]: ...
    @staticmethod
    def describe(key: str) -> dict[str, str]: ...
    def copy(self) -> Vehicle: ...
    def __eq__(self, other: object) -> bool: ...
    def hash(self) -> str: ...

class ThrustHistory:
    @staticmethod
    def from_file(path: Union[str, os.PathLike[str]]) -> ThrustHistory: ...
    @staticmethod
    def from_arrays(
        times_s: npt.ArrayLike, thrust_N: npt.ArrayLike, name: str = ...
    ) -> ThrustHistory: ...
    @property
    def name(self) -> str: ...
    @property
    def times_s(self) -> npt.NDArray[np.float64]: ...
    @property
    def thrust_N(self) -> npt.NDArray[np.float64]: ...
    @property
    def fault_code(self) -> int: ...
    @property
    def fault_reason(self) -> str: ...
    def __len__(self) -> int: ...

def shipped_thrust() -> ThrustHistory: ...

class Result:
    """A study's result: the object its command prints with --json. Studies add
    attributes of their own: optimize's candidates, trade's trades and
    performance's rows (Tables)."""
    def to_dict(self) -> Dict[str, Any]: ...
    def __getattr__(self, name: str) -> Any: ...
    def __getitem__(self, key: str) -> Any: ...
    def __contains__(self, key: str) -> bool: ...
    def keys(self) -> List[str]: ...
    def __iter__(self) -> Iterator[str]: ...
    def __len__(self) -> int: ...

class Campaign(Result):
    """A dispersion campaign: the summary its command prints with --json, and
    its rows (run, every dispersed key, outcome, reason, perigee_m ...
    limit_deg) as the columns of its CSV, in its order."""
    rows: Table

class Table:
    """Columns of equal length; sweep tables also have `best`, the best row."""
    best: Optional[Result]
    def __len__(self) -> int: ...
    def __getitem__(self, name: str) -> np.ndarray: ...
    def __getattr__(self, name: str) -> np.ndarray: ...
    def __contains__(self, name: str) -> bool: ...
    def __iter__(self) -> Iterator[str]: ...
    def keys(self) -> list[str]: ...
    @property
    def columns(self) -> list[str]: ...
    def to_dict(self) -> dict[str, np.ndarray]: ...
    def to_pandas(self) -> "pandas.DataFrame": ...  # type: ignore[name-defined]

class Peaks:
    @property
    def max_acceleration_mps2(self) -> float: ...
    @property
    def max_acceleration_time_s(self) -> float: ...
    @property
    def max_dynamic_pressure_Pa(self) -> float: ...
    @property
    def max_dynamic_pressure_time_s(self) -> float: ...
    def to_dict(self) -> Dict[str, float]: ...

class Sizing:
    S3_Mt_kg: float
    S3_Mi_kg: float
    S3_Mp1_kg: float
    S3_Mp2_kg: float
    propellant_total_kg: float
    reserve_kg: float
    S3_Ms_kg: float
    rcs_propellant_kg: float
    dry_mass_kg: float
    S3_Mup_kg: float
    S3_Mus_kg: float
    S3_Fu_N: float
    SC_M_kg: float
    def to_dict(self) -> Dict[str, float]: ...

class Flight:
    """One mission: the fields of `ascent fly --json` as attributes."""
    program: str
    version: str
    thrust_file: str  # the thrust history's name ("" for the missions of optimize and trade)
    turn_time_s: float
    limit_deg: float
    limit_rad: float
    outcome: str  # "orbit", "suborbital", "escape", "abandoned" or "failed"
    abandon_reason: Optional[str]  # None unless abandoned
    failure_code: Optional[int]  # None unless failed
    failure_reason: Optional[str]  # None unless failed
    outside_design: bool
    perigee_m: Optional[float]  # None when the mission did not reach orbit
    apogee_m: Optional[float]  # None when the mission did not reach orbit
    average_altitude_m: Optional[float]  # None when the mission did not reach orbit
    altitude_half_range_m: Optional[float]  # None when the mission did not reach orbit
    remaining_propellant_kg: Optional[float]  # None when the mission did not reach orbit
    delta_v_mps: Optional[float]  # None when the mission did not reach orbit
    max_force_N: float
    max_force_time_s: float
    liftoff_thrust_N: float
    liftoff_acceleration_mps2: float
    liftoff_mass_kg: float
    booster_residual_kg: float
    mission_peaks: Peaks
    run_peaks: Peaks
    sizing: Optional[Sizing]  # None when the mission did not reach orbit
    recommended_limit_rad: Optional[float]  # None when the mission did not reach orbit
    recommended_limit_deg: Optional[float]  # None when the mission did not reach orbit
    steps: int
    vehicle: Optional[Dict[str, Any]]  # {changes, hash} (fly); None for a study's mission
    trajectory: Optional[Table]
    def to_dict(self) -> Dict[str, Any]:
        """json.loads of `ascent fly --json` for the same inputs."""

class Target:
    """One targeted turn time: the fields of `ascent target --json` as attributes."""
    verdict: str
    turn_time_s: float
    target_altitude_m: float
    tolerance_m: float
    minimum_perigee_m: float
    missions: int
    limit_deg: Optional[float]  # None when no mission reached an orbit
    highest_altitude_m: Optional[float]  # None when no mission reached an orbit
    highest_at_deg: Optional[float]  # None when no mission reached an orbit
    flat_altitude_m: Optional[float]
    flat_from_deg: Optional[float]
    jumps_across: bool
    mission: Optional[Flight]
    flown: list[Flight]
    vehicle: Dict[str, Any]
    def to_dict(self) -> Dict[str, Any]:
        """json.loads of `ascent target --json` for the same inputs."""

def fly(
    turn_time_s: float,
    limit_deg: float,
    vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ...,
    trajectory: bool = ...,
    *,
    min_perigee_m: float = ...,
) -> Flight: ...
def target(
    turn_time_s: float,
    *,
    altitude_m: float = ...,
    tolerance_m: float = ...,
    max_missions: int = ...,
    first_guess_deg: float = ...,
    min_perigee_m: float = ...,
    max_dynamic_pressure_Pa: Optional[float] = ...,
    vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ...,
) -> Target: ...
def sweep(
    turn_times: Union[str, Sequence[float], npt.ArrayLike],
    *,
    altitude_m: float = ...,
    tolerance_m: float = ...,
    max_missions: int = ...,
    first_guess_deg: float = ...,
    min_perigee_m: float = ...,
    max_dynamic_pressure_Pa: Optional[float] = ...,
    shard: Optional[str] = ...,
    vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ...,
    jobs: Optional[int] = ...,
) -> Table:
    """Every turn time of "FROM:TO:STEP" or of a sequence targeted: a Table with
    the columns of `ascent sweep`'s CSV (NaN where its cell is empty); .best is
    the best design's row as a Result, or None. jobs: None for every core, else
    1 to 1024."""
def dispersions(
    file: Union[str, os.PathLike[str]],
    runs: Union[int, range],
    seed: int,
    turn_time_s: float,
    *,
    limit_deg: Optional[float] = ...,
    retarget: bool = ...,
    vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ...,
    jobs: Optional[int] = ...,
    reserve_kg: float = ...,
    require: Sequence[str] = ...,
    probability: float = ...,
    confidence: float = ...,
) -> Campaign:
    """A dispersion campaign: runs 0 to runs-1 (or the range) of the dispersion
    file from seed, at turn_time_s and limit_deg (None: targeted on the nominal
    vehicle) or retargeted, on jobs threads (None: the machine's cores; 1 to
    1024). A run is a success when it reaches orbit with at least reserve_kg
    (default 0) of propellant left; each of `require` ("OUTPUT>=VALUE" or
    "OUTPUT<=VALUE") must hold in `probability` (default 0.99865) of the runs
    with `confidence` (default 0.9). Values the command line refuses raise
    ValueError in its words.
    to_dict() equals json.loads(`ascent dispersions ... --json`): "campaign"
    {program, seed, first_run, end_run, dispersion_file, dispersion_hash,
    vehicle_file (empty), vehicle_hash, thrust_file (the history's name),
    turn_time_s, guidance, limit_deg}, "runs", "outcomes", "success"
    {probability, wilson95, successes, propellant_shortfall, reserve_kg},
    "outputs" {name: {count, mean, standard_deviation, min, max, percentiles
    {"0.1": ..., "99.9": ...}}} over the orbits, "perigee_apogee" {mean_m,
    covariance_m2, ellipses}, "requirements" [{requirement, probability,
    confidence, runs, failures, order, bound, verdict, runs_needed}],
    "flight_performance_reserve" {probability, confidence, margin_kg,
    reserve_kg}. .rows is a Table of the CSV's columns.
    Raises DispersionFileError, NoDesignError."""

def optimize(
    from_s: float = ...,
    to_s: float = ...,
    *,
    scan_points: int = ...,
    turn_time_tolerance_s: float = ...,
    altitude_m: float = ...,
    tolerance_m: float = ...,
    max_missions: int = ...,
    first_guess_deg: float = ...,
    min_perigee_m: float = ...,
    max_dynamic_pressure_Pa: Optional[float] = ...,
    vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ...,
    jobs: Optional[int] = ...,
) -> Result:
    """The turn time of the largest spacecraft mass in the range (within the
    dynamic-pressure limit when one is given): to_dict() is `ascent optimize
    --json` for the same inputs; .candidates is a Table of every turn time
    targeted."""

def performance(
    altitudes_m: Union[str, Sequence[float], npt.ArrayLike],
    *,
    from_s: float = ...,
    to_s: float = ...,
    scan_points: int = ...,
    turn_time_tolerance_s: float = ...,
    tolerance_m: float = ...,
    max_missions: int = ...,
    first_guess_deg: float = ...,
    min_perigee_m: float = ...,
    max_dynamic_pressure_Pa: Optional[float] = ...,
    vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ...,
    jobs: Optional[int] = ...,
) -> Result:
    """The heaviest spacecraft at every circular orbit of altitudes_m (metres,
    or "FROM:TO:STEP" in km as --altitude reads it), the guidance aimed at
    each: to_dict() is `ascent performance --json` for the same inputs; .rows
    is a Table with the columns of its CSV."""

def trade(
    turn_time_s: Optional[float] = ...,
    *,
    optimize: bool = ...,
    keys: Optional[Sequence[str]] = ...,
    relative_step: float = ...,
    altitude_m: float = ...,
    tolerance_m: float = ...,
    max_missions: int = ...,
    first_guess_deg: float = ...,
    min_perigee_m: float = ...,
    vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ...,
    jobs: Optional[int] = ...,
) -> Result:
    """Spacecraft mass per unit of each key (None: every key; a list may not be
    empty or name a key twice) at turn_time_s or (optimize=True) each vehicle's
    best turn time: to_dict() is `ascent trade --json` for the same inputs;
    .trades is a Table with the columns of `ascent trade --csv`."""
