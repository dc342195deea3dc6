"""ascent: the flight of a three-stage launch vehicle into orbit, from Python.

    import ascent
    flight = ascent.fly(18.0, 24.06, trajectory=True)
    print(flight.outcome, flight.perigee_m, flight.apogee_m)
    flight.trajectory.to_pandas()              # needs pandas

    v = ascent.Vehicle().with_changes({"core.thrust_N": 9.2e6})
    ascent.target(18.0, vehicle=v).limit_deg
    ascent.sweep([16, 17, 18, 19, 20], jobs=2).to_pandas()
    ascent.dispersions("data/dispersions.toml", 100, seed=1, turn_time_s=18).rows
    ascent.merge(["shard-1.csv", "shard-2.csv"], "campaign.csv")["success"]
    ascent.sensitivity("data/dispersions.toml", 16, seed=1, turn_time_s=18).indices
    ascent.optimize(10, 30).turn_time_s

Missions are deterministic (the same inputs give the same bits as the command
line) and fly with the interpreter lock released, so threads fly in parallel.
Every error about inputs or flights is an ascent.Error; a setting outside its
domain is an ascent.InputError (a ValueError) whose `setting` is its keyword.
"""

import functools as _functools
import os as _os

from ._errors import (
    DispersionFileError,
    Error,
    FlightFailed,
    InputError,
    NoDesignError,
    ThrustFileError,
    UnknownKeyError,
    VehicleError,
)
from ._ascent import (
    Campaign,
    Flight,
    Optimum,
    Peaks,
    Performance,
    RankCorrelations,
    Result,
    Sensitivity,
    Sizing,
    Table,
    Target,
    ThrustHistory,
    Trade,
    Vehicle,
    __version__,
    dispersions,
    fly,
    merge,
    merge_sensitivity,
    optimize,
    performance,
    rank_correlations,
    sensitivity,
    sweep,
    target,
    trade,
)

# Shown as ascent.X in help and tracebacks, wherever they are defined.
for _public in (DispersionFileError, Error, FlightFailed, InputError, NoDesignError, ThrustFileError,
                UnknownKeyError, VehicleError, Campaign, Flight, Optimum, Peaks, Performance,
                RankCorrelations, Result, Sensitivity, Sizing, Table, Target, ThrustHistory, Trade,
                Vehicle):
    _public.__module__ = __name__

# The booster thrust history shipped with the package (the program's s1.dat).
SHIPPED_THRUST_FILE = _os.path.join(_os.path.dirname(__file__), "s1.dat")


@_functools.lru_cache(maxsize=1)
def shipped_thrust():
    """The booster thrust history shipped with the package, read once."""
    return ThrustHistory.from_file(SHIPPED_THRUST_FILE)


__all__ = [
    "Campaign",
    "DispersionFileError",
    "Error",
    "Flight",
    "FlightFailed",
    "InputError",
    "NoDesignError",
    "Optimum",
    "Peaks",
    "Performance",
    "RankCorrelations",
    "Result",
    "SHIPPED_THRUST_FILE",
    "Sensitivity",
    "Sizing",
    "Table",
    "Target",
    "ThrustFileError",
    "ThrustHistory",
    "Trade",
    "UnknownKeyError",
    "Vehicle",
    "VehicleError",
    "__version__",
    "dispersions",
    "fly",
    "merge",
    "merge_sensitivity",
    "optimize",
    "performance",
    "rank_correlations",
    "sensitivity",
    "shipped_thrust",
    "sweep",
    "target",
    "trade",
]
