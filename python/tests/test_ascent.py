"""The module against the command line's own numbers, its arrays, its errors
and its threads."""

import _thread
import csv
import functools
import json
import math
import subprocess
import threading
import time

import numpy as np
import pytest

import ascent
from conftest import (HEAVIER, PROGRAM, S1_DAT, TEST_TIME_LIMIT_S, assert_attributes_equal_the_json,
                      assert_same_flight, program_json, run_program)

@functools.lru_cache(maxsize=None)
def program_json_text(*arguments):
    """The program's JSON for a command line, run once for each command line."""
    return run_program(*arguments, "--json")


@pytest.mark.parametrize("turn_time_s, limit_deg", [(18, 24.06), (5, 60), (18, 1), (1, 24)])
@pytest.mark.parametrize("thrust", ["shipped", "file", "arrays"])
@pytest.mark.parametrize("vehicle_file", [None, HEAVIER])
def test_flight_equals_the_command_lines_json(turn_time_s, limit_deg, thrust, vehicle_file):
    records = ascent.ThrustHistory.from_file(S1_DAT)
    history = {"shipped": None, "file": records,
               "arrays": ascent.ThrustHistory.from_arrays(records.times_s, records.thrust_N)}
    vehicle = ascent.Vehicle.from_toml(vehicle_file) if vehicle_file else None
    flight = ascent.fly(turn_time_s, limit_deg, vehicle=vehicle, thrust=history[thrust])
    # The thrust given to the module does not change the command line.
    expected = json.loads(program_json_text(
        "fly", "--turn-time", str(turn_time_s), "--limit", str(limit_deg),
        *(["--vehicle", vehicle_file] if vehicle_file else [])))
    assert_same_flight(flight, expected)
    assert flight.vehicle == expected["vehicle"]
    assert (vehicle or ascent.Vehicle()).hash() == expected["vehicle"]["hash"]
    if thrust == "file":  # the same thrust file under the same name
        assert flight.to_dict() == expected


@pytest.mark.parametrize("turn_time_s, options, keywords", [
    (18, [], {}),  # converged
    (18, ["--min-perigee", "250"], {"minimum_perigee_m": 250e3}),  # suborbital
    (25, ["--altitude", "300"], {"target_altitude_m": 300e3}),  # unreachable: flat at the top
    (18, ["--max-missions", "2"], {"max_missions": 2}),  # not converged
    (50, ["--max-dynamic-pressure", "28300"], {"dynamic_pressure_limit_Pa": 28300}),  # infeasible
])
def test_target_to_dict_is_the_command_lines_json(turn_time_s, options, keywords):
    target = ascent.target(turn_time_s, tolerance_m=500,
                           thrust=ascent.ThrustHistory.from_file(S1_DAT), **keywords)
    expected = program_json("target", "--turn-time", str(turn_time_s), "--tolerance", "0.5",
                            *options)
    assert target.to_dict() == expected
    assert_attributes_equal_the_json(target, expected)


# Values both doors refuse, in the same words: the keyword arguments, the
# command line's options in the units shown, the problem. The module's
# refusal is an InputError (a ValueError) that names the keyword.
REFUSED = [
    ("fly", {"limit_deg": 91}, ["--limit", "91"],
     "the maximum angle of attack 91 deg is outside 0 to 90 deg"),
    ("fly", {"limit_deg": -1}, ["--limit", "-1"],
     "the maximum angle of attack -1 deg is outside 0 to 90 deg"),
    ("fly", {"turn_time_s": 0.5}, ["--turn-time", "0.5"],
     "the turn time 0.5 s is outside 1 to 10000 s"),
    ("fly", {"minimum_perigee_m": -5e3}, ["--min-perigee", "-5"],
     "the minimum perigee -5 km is outside 0 to 100000 km"),
    ("target", {"target_altitude_m": 500}, ["--altitude", "0.5"],
     "the target altitude 0.5 km is outside 1 to 100000 km"),
    ("target", {"tolerance_m": 0}, ["--tolerance", "0"],
     "the altitude tolerance 0 km is outside 0 to 1000 km, 0 excluded"),
    ("target", {"max_missions": 0}, ["--max-missions", "0"],
     "the mission budget 0 is outside 1 to 100000"),
    ("target", {"first_guess_deg": 91}, ["--first-guess", "91"],
     "the first guess 91 deg is outside 0 to 90 deg"),
    ("target", {"turn_time_s": 10001}, ["--turn-time", "10001"],
     "the turn time 10001 s is outside 1 to 10000 s"),
    ("target", {"dynamic_pressure_limit_Pa": 0}, ["--max-dynamic-pressure", "0"],
     "the dynamic-pressure limit 0 Pa is outside 0 to 1000000000 Pa, 0 excluded"),
    ("target", {"minimum_perigee_m": 2e8}, ["--min-perigee", "200000"],
     "the minimum perigee 200000 km is outside 0 to 100000 km"),
    ("target", {"tolerance_m": 300e3}, ["--tolerance", "300km"],
     "the altitude tolerance 300 km is not below the target altitude 200 km"),
]


@pytest.mark.parametrize("command, keywords, options, problem", REFUSED)
def test_both_doors_refuse_the_same_values_in_the_same_words(command, keywords, options, problem):
    flown = {"--turn-time": "18", **({"--limit": "24"} if command == "fly" else {})}
    arguments = {"turn_time_s": 18, **({"limit_deg": 24} if command == "fly" else {}), **keywords}
    with pytest.raises(ascent.InputError) as raised:
        getattr(ascent, command)(**arguments)
    assert str(raised.value) == problem and isinstance(raised.value, ValueError)
    assert raised.value.setting == next(iter(keywords))
    line = [word for option in {**flown, options[0]: options[1]}.items() for word in option]
    done = subprocess.run([PROGRAM, command, *line], capture_output=True, text=True,
                          timeout=TEST_TIME_LIMIT_S)
    assert done.returncode == 2
    assert f"{options[0]}: {problem}\n" in done.stderr


def test_trajectory_columns_equal_the_command_lines_csv(tmp_path):
    flight = ascent.fly(18, 24.06, trajectory=True)
    run_program("fly", "--turn-time", "18", "--limit", "24.06",
                "--trajectory", str(tmp_path / "t.csv"))
    rows = list(csv.DictReader(open(tmp_path / "t.csv")))
    table = flight.trajectory
    assert table.columns == list(rows[0].keys())
    assert len(table) == len(rows) > flight.steps  # the pad row, then every step
    for name in table:
        column = table[name]
        assert column.dtype == np.float64 and column.shape == (len(rows),)
        assert not column.flags.owndata  # handed over, not copied
        assert column.tolist() == [float(row[name]) for row in rows], name
    assert ascent.fly(18, 24.06).trajectory is None


def test_target_equals_the_command_line():
    target = ascent.target(18, tolerance_m=500)
    expected = program_json("target", "--turn-time", "18", "--tolerance", "0.5")
    assert_same_flight(target.mission, expected["mission"])
    assert len(target.flown) == len(expected["flown"])
    for flight, flown in zip(target.flown, expected["flown"]):
        assert_same_flight(flight, flown)


def test_the_vehicle_by_key():
    v = ascent.Vehicle()
    assert v == ascent.Vehicle() and v.changed_keys() == [] and len(v.keys()) > 50
    changed = v.with_changes({"core.thrust_N": 9.2e6, "boosters.count": 2})
    assert changed["core.thrust_N"] == 9.2e6 and v["core.thrust_N"] == 9115295.04
    assert changed.changed_keys() == ["core.thrust_N"] and changed.hash() != v.hash()
    assert ascent.Vehicle.describe("core.thrust_N")["unit"] == "N"
    assert ascent.fly(18, 24.06, vehicle=changed).perigee_m != ascent.fly(18, 24.06).perigee_m


def test_vehicle_files_read_back(tmp_path):
    changed = ascent.Vehicle().with_changes({"upper.thrust_N": 2.6e6})
    path = tmp_path / "v.toml"
    path.write_text(changed.to_toml())
    assert ascent.Vehicle.from_toml(path) == changed
    assert ascent.Vehicle.parse_toml(changed.to_toml()) == changed


def test_with_changes_moves_what_follows_as_a_vehicle_file_does():
    heavier = ascent.Vehicle().with_changes({"upper.mass_kg": 294840})
    assert heavier == ascent.Vehicle.parse_toml("schema = 1\n[upper]\nmass_kg = 294840.0\n")
    assert (heavier["resizing.S3_Mt_kg"], heavier["loads.carried_mass_kg"]) == (302222, 310536)
    with pytest.raises(ascent.VehicleError, match="is not resizing.S3_Mt_kg"):
        ascent.Vehicle().with_changes({"loads.carried_mass_kg": 310000})
    with pytest.warns(UserWarning, match="the re-sizing shares out a stack"):
        ascent.Vehicle().with_changes({"resizing.S3_Mt_kg": 302222})


def failing_vehicle():
    v = ascent.Vehicle()
    v["timeline.separation_time_s"] = 400  # after the jettison at 330 s
    return ascent.fly(18, 24.06, vehicle=v)


@pytest.mark.parametrize("action, error, code", [
    (lambda: ascent.Vehicle()["core.thrust"], ascent.UnknownKeyError, None),
    (lambda: ascent.Vehicle().__setitem__("core.thrust_N", -1), ascent.VehicleError, None),
    (lambda: ascent.Vehicle().with_changes({"boosters.count": math.nan}), ValueError, None),
    (failing_vehicle, ascent.VehicleError, None),
    (lambda: ascent.Vehicle.from_toml("/nonexistent/v.toml"), ascent.VehicleError, 2),
    (lambda: ascent.Vehicle.parse_toml("[core]\nthrust = 1\n"), ascent.VehicleError, None),
    (lambda: ascent.ThrustHistory.from_file("/nonexistent/s1.dat"), ascent.ThrustFileError, 2),
    # Records that end before the turn time, or go back: the file's fault, as
    # the command line refuses it.
    (lambda: ascent.fly(200, 24), ascent.ThrustFileError, 106),
    (lambda: ascent.fly(18, 24, thrust=ascent.ThrustHistory.from_arrays([1, 0.5], [1e6, 1e6])),
     ascent.ThrustFileError, 106),
    (lambda: ascent.ThrustHistory.from_arrays([1, 2], [1e6]), ValueError, None),
    (lambda: ascent.fly(0.5, 24), ascent.InputError, 106),
    (lambda: ascent.fly(10001, 24), ascent.InputError, 106),
    (lambda: ascent.fly(18, 24, thrust="s1.dat"), TypeError, None),
    (lambda: ascent.target(18, tolerance_m=0), ascent.InputError, 106),
    (lambda: ascent.ThrustHistory.from_file("/dev/zero"), ascent.ThrustFileError, 27),
    (lambda: ascent.target(18, vehicle=ascent.Vehicle().with_changes({"core.thrust_N": 1e308})),
     ascent.VehicleError, 106),
])
def test_errors_are_typed(action, error, code):
    with pytest.raises(error) as raised:
        action()
    if isinstance(raised.value, ascent.Error):
        assert raised.value.code == code and str(raised.value)
    if error is ascent.UnknownKeyError:
        assert isinstance(raised.value, KeyError) and "core.thrust_N" in str(raised.value)


def test_two_threads_fly_the_same_numbers_as_one():
    cases = [(t, 24.06) for t in (10, 12, 14, 16, 18, 20)]
    alone = [ascent.fly(*case).perigee_m for case in cases]
    together = [None] * len(cases)

    def fly(indices):
        for i in indices:
            together[i] = ascent.fly(*cases[i], trajectory=True).perigee_m

    threads = [threading.Thread(target=fly, args=(range(k, len(cases), 2),)) for k in (0, 1)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert together == alone


def test_to_pandas():
    pandas = pytest.importorskip("pandas")
    table = ascent.fly(18, 24.06, trajectory=True).trajectory
    frame = table.to_pandas()
    assert isinstance(frame, pandas.DataFrame)
    assert list(frame.columns) == table.columns and len(frame) == len(table) > 1
    for name in table:
        assert frame[name].tolist() == table[name].tolist(), name
    assert frame["time_s"].iloc[0] == 0


def test_an_interrupt_ends_a_sweep():
    threading.Timer(0.2, _thread.interrupt_main).start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        ascent.sweep([5 + 0.07 * k for k in range(2000)], jobs=2)  # about 5 s uninterrupted
    assert time.monotonic() - started < 2
