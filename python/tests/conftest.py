"""Shared pieces of the module's tests: the program to compare with, the
shipped thrust file, a flight against the program's JSON, and a time limit
on every test."""

import json
import os
import signal
import subprocess

import pytest

import ascent

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


# Keys of a mission of the command line's JSON that a study's Flight names
# otherwise: the thrust file as given on the command line, the vehicle once
# for the whole study.
NOT_THE_FLIGHTS = {"thrust_file", "vehicle"}


def assert_same_flight(flight, expected):
    """The Flight's attributes and to_dict() against a mission of the JSON."""
    ours = flight.to_dict()
    for key, value in expected.items():
        if key in NOT_THE_FLIGHTS:
            continue
        assert ours[key] == value, key
        attribute = getattr(flight, key)
        assert (attribute.to_dict() if hasattr(attribute, "to_dict") else attribute) == value, key


def assert_attributes_equal_the_json(result, expected):
    """Every member of a study's JSON is an attribute of its result; those the
    module gives as its own objects (a Flight, a Table) are compared apart."""
    for key, value in expected.items():
        attribute = getattr(result, key)
        if not isinstance(attribute, (ascent.Flight, ascent.Table, list)):
            assert attribute == value, key


HEAVIER = os.path.join(os.path.dirname(S1_DAT), "..", "examples", "heavier.toml")
