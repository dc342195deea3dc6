"""The exceptions of the ascent module: every one is an ascent.Error."""


class Error(Exception):
    """Base of every error the ascent module raises about its inputs or flights.

    code: the run-time error number when there is one (the operating system's
    errno for files, 106 for data, 200/205/207 for floating-point faults),
    else None.
    """

    def __init__(self, message, *, code=None, **attributes):
        super().__init__(message)
        self.message = message
        self.code = code
        for name, value in attributes.items():
            setattr(self, name, value)

    def __str__(self):
        return self.message


class VehicleError(Error, ValueError):
    """A vehicle that cannot be read or flown as described.

    problems: every problem found, one string each ("FILE:LINE: ..." for files).
    """

    def __init__(self, message, *, problems=None, key=None, **attributes):
        super().__init__(message, **attributes)
        self.problems = list(problems) if problems is not None else [message]
        self.key = key


class UnknownKeyError(VehicleError, KeyError):
    """A vehicle key that does not exist (key: the name asked for)."""


class ThrustFileError(Error):
    """A thrust file that cannot be read (code: errno, path: the file)."""

    def __init__(self, message, *, path=None, **attributes):
        super().__init__(message, **attributes)
        self.path = path


class FlightFailed(Error):
    """A mission that could not be flown.

    code: the run-time error number; reason: why; turn_time_s and limit_deg:
    the mission's inputs.
    """

    def __init__(self, message, *, reason="", turn_time_s=None, limit_deg=None, **attributes):
        super().__init__(message, **attributes)
        self.reason = reason
        self.turn_time_s = turn_time_s
        self.limit_deg = limit_deg


class DispersionFileError(Error, ValueError):
    """A dispersion file that cannot be read or does not fit the vehicle.

    problems: every problem found ("FILE:LINE: ..."); path: the file; code:
    errno when the file could not be read.
    """

    def __init__(self, message, *, problems=None, path=None, **attributes):
        super().__init__(message, **attributes)
        self.problems = list(problems) if problems is not None else [message]
        self.path = path


class NoDesignError(Error):
    """No design orbit where a study needs one to start from.

    verdict: the search's verdict ("outside-design", "unreachable",
    "not-converged"); turn_time_s: where it was searched.
    """

    def __init__(self, message, *, verdict=None, turn_time_s=None, **attributes):
        super().__init__(message, **attributes)
        self.verdict = verdict
        self.turn_time_s = turn_time_s
