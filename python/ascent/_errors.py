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


class InputError(Error, ValueError):
    """What was given cannot be used, as the command line refuses it with its
    usage status.

    problems: every problem found, one string each ("FILE:LINE: ..." for files).
    setting: the keyword of the setting a study refused ("target_altitude_m"),
    its settings field; None when the problem is not one setting's.
    """

    def __init__(self, message, *, problems=None, setting=None, **attributes):
        super().__init__(message, **attributes)
        self.problems = list(problems) if problems is not None else [message]
        self.setting = setting


class VehicleError(InputError):
    """A vehicle that cannot be read or flown as described, or whose values no
    mission can fly on a thrust history that the default vehicle flies (code
    106).

    problems: every problem found, one string each ("FILE:LINE: ..." for files).
    """

    def __init__(self, message, *, problems=None, key=None, **attributes):
        super().__init__(message, problems=problems, **attributes)
        self.key = key


class UnknownKeyError(VehicleError, KeyError):
    """A vehicle key that does not exist (key: the name asked for)."""


class ThrustFileError(Error):
    """A thrust file that cannot be read (code: errno, 27 beyond 64 MiB), or a
    history whose records no mission can fly (code 106), as the command line
    refuses it before a study. path: the file, or the history's name.
    """

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


class DispersionFileError(InputError):
    """A dispersion file that cannot be read or does not fit the vehicle.

    problems: every problem found ("FILE:LINE: ..."); path: the file; code:
    errno when the file could not be read.
    """

    def __init__(self, message, *, problems=None, path=None, **attributes):
        super().__init__(message, problems=problems, **attributes)
        self.path = path


class NoDesignError(Error):
    """No design orbit where a study needs one to start from.

    verdict: the search's verdict ("outside_design", "unreachable",
    "not_converged"); turn_time_s: where it was searched.
    """

    def __init__(self, message, *, verdict=None, turn_time_s=None, **attributes):
        super().__init__(message, **attributes)
        self.verdict = verdict
        self.turn_time_s = turn_time_s
