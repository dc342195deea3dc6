# Type stubs of the ascent package.
from ._ascent import Campaign as Campaign
from ._ascent import Flight as Flight
from ._ascent import Optimum as Optimum
from ._ascent import Peaks as Peaks
from ._ascent import Performance as Performance
from ._ascent import RankCorrelations as RankCorrelations
from ._ascent import Result as Result
from ._ascent import Sensitivity as Sensitivity
from ._ascent import Sizing as Sizing
from ._ascent import Table as Table
from ._ascent import Target as Target
from ._ascent import ThrustHistory as ThrustHistory
from ._ascent import Trade as Trade
from ._ascent import Vehicle as Vehicle
from ._ascent import __version__ as __version__
from ._ascent import dispersions as dispersions
from ._ascent import fly as fly
from ._ascent import merge as merge
from ._ascent import merge_sensitivity as merge_sensitivity
from ._ascent import optimize as optimize
from ._ascent import performance as performance
from ._ascent import rank_correlations as rank_correlations
from ._ascent import sensitivity as sensitivity
from ._ascent import sweep as sweep
from ._ascent import target as target
from ._ascent import trade as trade
from ._errors import DispersionFileError as DispersionFileError
from ._errors import Error as Error
from ._errors import FlightFailed as FlightFailed
from ._errors import InputError as InputError
from ._errors import NoDesignError as NoDesignError
from ._errors import ThrustFileError as ThrustFileError
from ._errors import UnknownKeyError as UnknownKeyError
from ._errors import VehicleError as VehicleError

SHIPPED_THRUST_FILE: str

def shipped_thrust() -> ThrustHistory: ...
