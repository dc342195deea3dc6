# Type stubs of the sensitivity study's part of the compiled module: kept
# apart so that each stub file stays short; ascent/_ascent.pyi re-exports
# them, and there is no module ascent._sensitivity to import.
import os
from typing import Optional, Sequence, Tuple, Union

from ._ascent import Result, Table, ThrustHistory, Vehicle

class Sensitivity(Result):
    """A sensitivity study's indices: what `ascent sensitivity --json` prints
    (result["rows"] is N), the design's runs and the indices as Tables."""
    @property
    def rows(self) -> Table: ...
    @property
    def indices(self) -> Table: ...

class RankCorrelations(Result):
    """What `ascent sensitivity --given CSV --json` prints, its correlations
    as a Table."""
    @property
    def correlations(self) -> Table: ...

def sensitivity(
    file: Union[str, os.PathLike[str]], rows: int, seed: int, turn_time_s: float, *,
    limit_deg: Optional[float] = ..., guidance: Optional[str] = ...,
    know: Optional[Sequence[str]] = ..., retarget: bool = ..., vehicle: Optional[Vehicle] = ...,
    thrust: Optional[ThrustHistory] = ..., jobs: Optional[int] = ...,
    min_remaining_propellant_kg: float = ..., resamples: int = ...,
    shard: Optional[Tuple[int, int]] = ..., csv: Optional[Union[str, os.PathLike[str]]] = ...,
) -> Sensitivity: ...
def merge_sensitivity(
    shards: Sequence[Union[str, os.PathLike[str]]], output: Union[str, os.PathLike[str]], *,
    min_remaining_propellant_kg: float = ..., resamples: int = ...,
) -> Sensitivity: ...
def rank_correlations(
    campaign_csv: Union[str, os.PathLike[str]], *, min_remaining_propellant_kg: float = ...,
) -> RankCorrelations: ...
