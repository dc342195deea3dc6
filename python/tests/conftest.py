"""Shared pieces of the module's tests: the program to compare with, the
shipped thrust file, a flight against the program's JSON, and a time limit
on every test."""

import json
import os
import signal
import subprocess

import pytest

TEST_TIME_LIMIT_S = 60
PROGRAM = os.environ.get("ASCENT_PROGRAM", "ascent")
S1_DAT = os.environ.get(
    "ASCENT_S1_DAT", os.path.join(os.path.dirname(__file__), "..", "..", "data", "s1.dat")
)


@pytest.fixture(autouse=True)
def time_limit():
    def expired(signum, frame):
        raise TimeoutError(f"the test ran longer than {TEST_TIME_LIMIT_S} s")

    previous = signal.signal(signal.SIGALRM, expired)
    signal.alarm(TEST_TIME_LIMIT_S)
    yield
    signal.alarm(0)
    signal.signal(signal.SIGALRM, previous)


def run_program(*arguments):
    """The program's standard output for a command (status 0 or 1)."""
    done = subprocess.run(
        [PROGRAM, *arguments, "--thrust", S1_DAT],
        capture_output=True, text=True, timeout=TEST_TIME_LIMIT_S,
    )
    assert done.returncode in (0, 1), done.stderr
    return done.stdout


def program_json(*arguments):
    return json.loads(run_program(*arguments, "--json"))


# Keys of `ascent fly --json` that are not the flight's own, and those named otherwise.
NOT_THE_FLIGHTS = {"program", "version", "thrust_file", "vehicle", "run_peaks"}
RENAMED = {"flight": "flight_class", "mission_peaks": "peaks"}


def assert_same_flight(flight, expected):
    for key, value in expected.items():
        if key in NOT_THE_FLIGHTS:
            continue
        actual = getattr(flight, RENAMED.get(key, key))
        if isinstance(value, dict):
            for name, number in value.items():
                assert getattr(actual, name) == number, f"{key}.{name}"
        else:
            assert actual == value, key
    assert flight.sc_m_kg == (expected["sizing"] or {}).get("SC_M_kg")


HEAVIER = os.path.join(os.path.dirname(S1_DAT), "..", "examples", "heavier.toml")
