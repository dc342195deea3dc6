# Type stubs of the exceptions of the ascent package.
from typing import Optional, Sequence

class Error(Exception):
    message: str
    code: Optional[int]
    def __init__(self, message: str, *, code: Optional[int] = ..., **attributes: object) -> None: ...

class InputError(Error, ValueError):
    problems: list[str]
    setting: Optional[str]  # the keyword of the setting refused; None when not one setting's
    def __init__(
        self,
        message: str,
        *,
        problems: Optional[Sequence[str]] = ...,
        setting: Optional[str] = ...,
        **attributes: object,
    ) -> None: ...

class VehicleError(InputError):
    key: Optional[str]
    def __init__(
        self,
        message: str,
        *,
        problems: Optional[Sequence[str]] = ...,
        key: Optional[str] = ...,
        **attributes: object,
    ) -> None: ...

class UnknownKeyError(VehicleError, KeyError): ...

class ThrustFileError(Error):
    path: Optional[str]
    def __init__(self, message: str, *, path: Optional[str] = ..., **attributes: object) -> None: ...

class FlightFailed(Error):
    reason: str
    turn_time_s: Optional[float]
    limit_deg: Optional[float]
    def __init__(
        self,
        message: str,
        *,
        reason: str = ...,
        turn_time_s: Optional[float] = ...,
        limit_deg: Optional[float] = ...,
        **attributes: object,
    ) -> None: ...

class DispersionFileError(InputError):
    """A dispersion file that cannot be read or does not fit the vehicle."""
    path: Optional[str]
    def __init__(
        self,
        message: str,
        *,
        problems: Optional[Sequence[str]] = ...,
        path: Optional[str] = ...,
        **attributes: object,
    ) -> None: ...

class NoDesignError(Error):
    """No design orbit where a study needs one to start from."""
    verdict: Optional[str]
    turn_time_s: Optional[float]
    def __init__(
        self,
        message: str,
        *,
        verdict: Optional[str] = ...,
        turn_time_s: Optional[float] = ...,
        **attributes: object,
    ) -> None: ...
