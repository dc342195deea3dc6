"""Dispersions, sweep, optimize and trade against the command line's own CSV
and JSON for the same inputs, the values both refuse, the studies' errors and
their interrupts."""

import _thread
import csv
import io
import json
import math
import os
import re
import subprocess
import threading
import time

import numpy as np
import pytest

import ascent
from conftest import (HEAVIER, PROGRAM, S1_DAT, assert_attributes_equal_the_json,
                      assert_same_flight, program_json, run_program)

DISPERSIONS = os.path.join(os.path.dirname(S1_DAT), "dispersions.toml")
# Keys of the command line's JSON that are not the study's own numbers.
NOT_THE_STUDYS = {"program", "version", "thrust_file", "vehicle", "campaign", "mission",
                  "candidates", "trades"}


def plain(value):
    """A value as its JSON reads back: tuples as lists, NaN as None, keys as numbers."""
    if isinstance(value, dict):
        return {number_or_text(k): plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    return None if isinstance(value, float) and math.isnan(value) else value


def number_or_text(key):
    try:
        return float(key)
    except ValueError:
        return key


def assert_same_columns(table, rows, texts=()):
    assert table.columns == list(rows[0].keys()) if rows else len(table) == 0
    for name in table:
        if name in texts or table[name].dtype.kind in "UO":
            # A flag is true or false in the CSV, and in the table.
            def text(v):
                return str(v).lower() if isinstance(v, bool) else v
            column = [text(v) for v in table[name].tolist()]
            assert column == [text(row[name]) for row in rows], name
        else:
            expected = [math.nan if row[name] in ("", None) else float(row[name]) for row in rows]
            np.testing.assert_array_equal(table[name], expected, err_msg=name)


@pytest.mark.parametrize("runs, run_text, keywords, options", [
    (20, "20", {}, []),
    (range(5, 25), "5:25", {"limit_deg": 24.06, "vehicle": "heavier"},
     ["--limit", "24.06", "--vehicle", HEAVIER]),
    (range(3, 6), "3:6", {"retarget": True, "jobs": 1}, ["--retarget"]),
    (30, "30", {"min_remaining_propellant_kg": 100, "require": ["perigee_m>=150km", "SC_M_kg<=125t"],
                "probability": 0.9, "confidence": 0.5},
     ["--reserve", "0.1t", "--require", "perigee_m>=150km", "--require", "SC_M_kg<=125t",
      "--probability", "0.9", "--confidence", "0.5"]),
])
def test_dispersions_equal_the_command_lines_csv_and_json(tmp_path, runs, run_text, keywords,
                                                          options):
    if keywords.get("vehicle"):
        keywords["vehicle"] = ascent.Vehicle.from_toml(HEAVIER)
    campaign = ascent.dispersions(DISPERSIONS, runs, seed=7, turn_time_s=18,
                                  thrust=ascent.ThrustHistory.from_file(S1_DAT),
                                  **{"jobs": 2, "csv": tmp_path / "py.csv", **keywords})
    expected = program_json("dispersions", DISPERSIONS, "--runs", run_text, "--seed", "7",
                            "--turn-time", "18", "--csv", str(tmp_path / "c.csv"), *options)
    with open(tmp_path / "c.csv", newline="") as rows:
        assert_same_columns(campaign.rows, list(csv.DictReader(rows)), texts=("reason",))
    assert (tmp_path / "py.csv").read_bytes() == (tmp_path / "c.csv").read_bytes()
    manifests = [(tmp_path / f"{n}.manifest.toml").read_text() for n in ("py", "c")]
    if keywords.get("vehicle"):
        expected["campaign"]["vehicle_file"] = ""  # a Vehicle object was read from no file
        manifests[1] = manifests[1].replace(f"vehicle_file = '{HEAVIER}'", "vehicle_file = ''")
    assert manifests[0] == manifests[1]
    assert campaign.to_dict() == expected


def fly_shards(tmp_path, shards, seed=7):
    """The CSV files of the shards `shards` (range(A, B) each) of one campaign."""
    paths = [tmp_path / f"shard-{i}.csv" for i in range(len(shards))]
    for runs, path in zip(shards, paths):
        ascent.dispersions(DISPERSIONS, runs, seed, 18, thrust=ascent.ThrustHistory.from_file(S1_DAT),
                           jobs=1, csv=path)
    return [str(path) for path in paths]


def test_merge_equals_the_command_lines_merge(tmp_path):
    shards = fly_shards(tmp_path, [range(20, 45), range(0, 20)])
    judging = {"min_remaining_propellant_kg": 100, "require": ["perigee_m>=150km"],
               "probability": 0.9}
    merged = ascent.merge(shards, tmp_path / "py.csv", **judging)
    done = subprocess.run([PROGRAM, "dispersions", "--merge", str(tmp_path / "c.csv"), *shards,
                           "--json", "--reserve", "100", "--require", "perigee_m>=150km",
                           "--probability", "0.9"], capture_output=True, text=True, timeout=30)
    assert merged.to_dict() == json.loads(done.stdout)
    whole = ascent.dispersions(DISPERSIONS, 45, 7, 18, thrust=ascent.ThrustHistory.from_file(S1_DAT),
                               csv=tmp_path / "whole.csv", **judging)
    for suffix in (".csv", ".manifest.toml"):
        assert (tmp_path / f"py{suffix}").read_bytes() == (tmp_path / f"c{suffix}").read_bytes()
        assert (tmp_path / f"py{suffix}").read_bytes() == (tmp_path / f"whole{suffix}").read_bytes()
    np.testing.assert_array_equal(merged.rows.SC_M_kg, whole.rows.SC_M_kg)


def test_shards_flown_on_a_vehicle_object_merge_on_it_alone(tmp_path):
    heavier = ascent.Vehicle.from_toml(HEAVIER)
    fly = dict(thrust=ascent.ThrustHistory.from_file(S1_DAT), limit_deg=24.06, vehicle=heavier)
    for runs, name in ((range(0, 6), "a"), (range(6, 10), "b"), (range(0, 10), "whole")):
        ascent.dispersions(DISPERSIONS, runs, 7, 18, csv=tmp_path / f"{name}.csv", **fly)
    shards = [tmp_path / "a.csv", tmp_path / "b.csv"]
    with pytest.raises(ascent.InputError, match="not drawn with the default vehicle"):
        ascent.merge(shards, tmp_path / "m.csv")
    ascent.merge(shards, tmp_path / "m.csv", vehicle=heavier)
    assert (tmp_path / "m.csv").read_bytes() == (tmp_path / "whole.csv").read_bytes()


# Each refusal is the command line's, in its words, with nothing written.
@pytest.mark.parametrize("shards, output", [
    ([], "out.csv"),
    ([range(0, 10), range(5, 15)], "out.csv"),   # runs 5:10 twice
    ([range(0, 10), range(12, 15)], "out.csv"),  # runs 10:12 in no shard
    ([range(0, 10), "other seed"], "out.csv"),
    ([range(0, 10)], "shard-0.csv"),              # the output is a shard
])
def test_merge_refuses_what_the_command_line_refuses(tmp_path, shards, output):
    paths = fly_shards(tmp_path, [s for s in shards if isinstance(s, range)])
    if "other seed" in shards:
        (tmp_path / "other").mkdir()
        paths += fly_shards(tmp_path / "other", [range(10, 20)], seed=8)
    with pytest.raises(ascent.InputError) as raised:
        ascent.merge(paths, tmp_path / output)
    done = subprocess.run([PROGRAM, "dispersions", "--merge", str(tmp_path / output), *paths],
                          capture_output=True, text=True, timeout=30)
    assert done.returncode == 2
    if paths:
        assert f"ascent: {raised.value}" in done.stderr.splitlines(), done.stderr
    assert not (tmp_path / "out.csv").exists()


@pytest.mark.parametrize("keyword, value, option", [
    ("turn_time_s", 0.5, ["--turn-time", "0.5"]),
    ("limit_deg", 95, ["--limit", "95"]),
    ("jobs", 0, ["--jobs", "0"]),
    ("runs", range(5, 5), ["--runs", "5:5"]),
    ("min_remaining_propellant_kg", -1, ["--reserve", "-1"]),
    ("probability", 1, ["--probability", "1"]),
    ("confidence", 0, ["--confidence", "0"]),
    ("require", ["perigee>=1"], ["--require", "perigee>=1"]),
    ("require", ["max_dynamic_pressure_Pa<=28.3"], ["--require", "max_dynamic_pressure_Pa<=28.3"]),
    ("seed", 2**64, ["--seed", "18446744073709551616"]),
    ("seed", -1, ["--seed", "-1"]),
    ("runs", 2**64, ["--runs", "18446744073709551616"]),
])
def test_dispersions_refuse_what_the_command_line_refuses_in_its_words(keyword, value, option):
    arguments = {"runs": 5, "seed": 1, "turn_time_s": 18, keyword: value}
    with pytest.raises(ascent.InputError) as raised:
        ascent.dispersions(DISPERSIONS, **arguments)
    options = {"--runs": "5", "--seed": "1", "--turn-time": "18", option[0]: option[1]}
    done = subprocess.run([PROGRAM, "dispersions", DISPERSIONS,
                           *[word for pair in options.items() for word in pair]],
                          capture_output=True, text=True, timeout=30)
    assert done.returncode == 2
    assert f"ascent: {option[0]}: {raised.value}" in done.stderr.splitlines(), done.stderr
    assert raised.value.setting == keyword


def test_sweep_equals_the_command_lines_csv():
    table = ascent.sweep("16:18:1", tolerance_m=500, jobs=2)
    rows = list(csv.DictReader(io.StringIO(
        run_program("sweep", "--turn-time", "16:18:1", "--tolerance", "0.5"))))
    assert len(table) == len(rows) == 3
    assert_same_columns(table, rows, texts=("verdict",))
    designs = [r for r in rows if r["verdict"] == "converged"
               and float(r["remaining_propellant_kg"]) >= 0]
    best = max(designs, key=lambda r: float(r["SC_M_kg"]))
    assert table.best.to_dict() == {k: v if k == "verdict" else
                                    int(v) if k == "missions" else float(v)
                                    for k, v in best.items()}


@pytest.mark.parametrize("keywords, options", [
    ({}, []),
    ({"to_s": 40, "dynamic_pressure_limit_Pa": 28300}, ["--max-dynamic-pressure", "28300"]),
])
def test_optimize_equals_the_command_lines_json(keywords, options):
    to_s = keywords.pop("to_s", 20)
    result = ascent.optimize(16, to_s, jobs=2, thrust=ascent.ThrustHistory.from_file(S1_DAT),
                             **keywords)
    expected = program_json("optimize", "--turn-time", f"16:{to_s}", *options)
    assert result.to_dict() == expected
    assert_attributes_equal_the_json(result, expected)
    assert_same_columns(result.candidates, expected["candidates"])
    assert_same_flight(result.mission, expected["mission"])


def test_performance_equals_the_command_lines_csv_and_json(tmp_path):
    result = ascent.performance("200:220:10", from_s=10, to_s=60, dynamic_pressure_limit_Pa=28300,
                                jobs=2, thrust=ascent.ThrustHistory.from_file(S1_DAT))
    expected = program_json("performance", "--altitude", "200:220:10", "--turn-time", "10:60",
                            "--max-dynamic-pressure", "28300", "--csv", str(tmp_path / "p.csv"))
    assert result.to_dict() == expected
    assert_attributes_equal_the_json(result, expected)
    with open(tmp_path / "p.csv", newline="") as rows:
        assert_same_columns(result.rows, list(csv.DictReader(rows)))
    assert [row["verdict"] for row in expected["rows"]] == ["converged", "converged",
                                                            "no_propellant_left"]


@pytest.mark.parametrize("vehicle_file, keywords, options", [
    (None, {"turn_time_s": 18}, ["--turn-time", "18"]),
    (HEAVIER, {"turn_time_s": 18}, ["--turn-time", "18"]),
    (None, {"optimize": True}, ["--optimize"]),
    # No design as given.
    (None, {"turn_time_s": 18, "target_altitude_m": 5e6},
     ["--turn-time", "18", "--altitude", "5000"]),
])
def test_trade_equals_the_command_lines_json(vehicle_file, keywords, options):
    keys = ["core.thrust_N", "upper.exhaust_velocity_mps"]
    vehicle = ascent.Vehicle.from_toml(vehicle_file) if vehicle_file else None
    result = ascent.trade(keys=keys, vehicle=vehicle, jobs=2,
                          thrust=ascent.ThrustHistory.from_file(S1_DAT), **keywords)
    expected = program_json("trade", *options, "--keys", ",".join(keys),
                            *(["--vehicle", vehicle_file] if vehicle_file else []))
    assert result.to_dict() == expected
    assert_attributes_equal_the_json(result, expected)
    assert_same_columns(result.trades, expected["trades"] or [], texts=("reason",))


# What one door refuses the other refuses in the same words.
@pytest.mark.parametrize("call, arguments", [
    (lambda: ascent.sweep([18], jobs=0), "sweep --turn-time 18:18:1 --jobs 0"),
    (lambda: ascent.sweep("5:4:1"), "sweep --turn-time 5:4:1"),
    (lambda: ascent.sweep([5, 6], shard="3/2"), "sweep --turn-time 5:6:1 --shard 3/2"),
    (lambda: ascent.sweep([18], target_altitude_m=500),
     "sweep --turn-time 18:18:1 --altitude 0.5"),
    (lambda: ascent.optimize(80, 30), "optimize --turn-time 80:30"),
    (lambda: ascent.sweep([18], first_guess_deg=91), "sweep --turn-time 18:18:1 --first-guess 91"),
    (lambda: ascent.optimize(scan_points=2), "optimize --scan-points 2"),
    (lambda: ascent.sweep([18], dynamic_pressure_limit_Pa=-1),
     "sweep --turn-time 18:18:1 --max-dynamic-pressure -1"),
    (lambda: ascent.performance("225:150:5"), "performance --altitude 225:150:5"),
    (lambda: ascent.performance("150km:225km:5t"), "performance --altitude 150km:225km:5t"),
    (lambda: ascent.performance("200:200:1", to_s=1e5),
     "performance --altitude 200:200:1 --turn-time 5:100000"),
    (lambda: ascent.optimize(turn_time_tolerance_s=0), "optimize --turn-time-tolerance 0"),
    (lambda: ascent.optimize(0.5, 20), "optimize --turn-time 0.5:20"),
    (lambda: ascent.optimize(jobs=1025), "optimize --jobs 1025"),
    (lambda: ascent.trade(18, max_missions=0), "trade --turn-time 18 --max-missions 0"),
    (lambda: ascent.trade(18, jobs=0), "trade --turn-time 18 --jobs 0"),
    (lambda: ascent.trade(0.5), "trade --turn-time 0.5"),
    (lambda: ascent.trade(18, relative_step=0.5), "trade --turn-time 18 --relative-step 0.5"),
    (lambda: ascent.trade(18, keys=[]), "trade --turn-time 18 --keys ''"),
    (lambda: ascent.trade(18, keys=["core.thrust"]), "trade --turn-time 18 --keys core.thrust"),
    (lambda: ascent.trade(18, keys=["boosters.count"] * 2),
     "trade --turn-time 18 --keys boosters.count,boosters.count"),
])
def test_both_doors_refuse_a_value_in_the_same_words(call, arguments):
    with pytest.raises(ascent.InputError) as raised:
        call()
    done = subprocess.run(f"{PROGRAM} {arguments}", shell=True, capture_output=True, text=True,
                          timeout=10)
    assert done.returncode == 2 and done.stdout == ""
    refusal = [line for line in done.stderr.splitlines() if line.startswith("ascent: ")]
    assert refusal[0].endswith(": " + str(raised.value)), done.stderr


EMPTY = ascent.ThrustHistory.from_arrays([], [])


def unknown_key_file(tmp_path):
    path = tmp_path / "d.toml"
    path.write_text('schema = 1\n[[dispersion]]\nkey = "core.thrust"\ndistribution = "normal"\n'
                    'sigma = 1\n')
    return path


@pytest.mark.parametrize("action, error, code", [
    (lambda tmp: ascent.dispersions(tmp / "none.toml", 5, 1, 18), ascent.DispersionFileError, 2),
    (lambda tmp: ascent.dispersions(unknown_key_file(tmp), 5, 1, 18), ascent.DispersionFileError,
     None),
    (lambda tmp: ascent.dispersions(DISPERSIONS, 5, 1, 1), ascent.NoDesignError, None),
    # A thrust history no mission can fly, refused before the first one as the command line does.
    (lambda tmp: ascent.dispersions(DISPERSIONS, 5, 1, 18, thrust=EMPTY), ascent.ThrustFileError,
     106),
    (lambda tmp: ascent.sweep("5:6:1", thrust=EMPTY), ascent.ThrustFileError, 106),
    (lambda tmp: ascent.dispersions(DISPERSIONS, 5, 1, 18, limit_deg=24, retarget=True),
     ascent.InputError, 106),
    (lambda tmp: ascent.dispersions(DISPERSIONS, 0, 1, 18), ascent.InputError, 106),
    (lambda tmp: ascent.dispersions(DISPERSIONS, range(0, 9, 2), 1, 18), ascent.InputError, 106),
    (lambda tmp: ascent.dispersions(DISPERSIONS, "5", 1, 18), TypeError, None),
    (lambda tmp: ascent.dispersions(DISPERSIONS, 5, 1, 0.5), ascent.InputError, 106),
    # A shard that cannot be read, as the command line's status 3 (not its usage).
    (lambda tmp: ascent.merge([tmp / "none.csv"], tmp / "out.csv"), ascent.Error, 2),
    (lambda tmp: ascent.dispersions(DISPERSIONS, 5, 1, 18, csv=DISPERSIONS), ascent.InputError, 106),
    (lambda tmp: ascent.trade(), ascent.InputError, 106),
    (lambda tmp: ascent.trade(18, optimize=True), ascent.InputError, 106),
])
def test_study_errors_are_typed(tmp_path, action, error, code):
    with pytest.raises(error) as raised:
        action(tmp_path)
    if isinstance(raised.value, ascent.Error):
        assert raised.value.code == code and str(raised.value)
    if error is ascent.DispersionFileError and code is None:
        assert raised.value.problems[0].startswith(f"{tmp_path / 'd.toml'}:3")
    if error is ascent.NoDesignError:
        assert raised.value.verdict != "converged" and raised.value.turn_time_s == 1


@pytest.mark.parametrize("study", [
    lambda: ascent.dispersions(DISPERSIONS, 50000, 1, 18, limit_deg=24.06, jobs=2),
    lambda: ascent.trade(optimize=True, jobs=1),  # about 15 s uninterrupted
])
def test_an_interrupt_ends_a_study(study):
    threading.Timer(0.3, _thread.interrupt_main).start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        study()
    assert time.monotonic() - started < 3



def statistics(values):
    """Count, mean and standard deviation from correctly rounded sums, min, max, percentiles."""
    mean = math.fsum(values) / len(values)
    m2 = math.fsum((x - mean) * (x - mean) for x in values)
    v = sorted(values)

    def percentile(h):
        below = math.floor(h)
        return v[below] + (h - below) * (v[min(below + 1, len(v) - 1)] - v[below])

    return {"count": len(v), "mean": mean, "standard_deviation": math.sqrt(m2 / (len(v) - 1)),
            "min": v[0], "max": v[-1],
            "percentiles": {p: percentile((len(v) - 1) * (float(p) / 100))
                            for p in ("0.1", "1", "5", "50", "95", "99", "99.9")}}


# Success, statistics, requirement bounds, verdicts and the reserve follow
# from the CSV rows by their definitions, to the last bit (the rank m of the
# order statistic is a function of N, P and C alone, tested with them).
def test_a_campaigns_summary_follows_from_its_own_rows(tmp_path):
    minimum_kg, requirements = 150.0, ["max_dynamic_pressure_Pa<=29000", "perigee_m>=190000"]
    done = subprocess.run(
        [PROGRAM, "dispersions", DISPERSIONS, "--thrust", S1_DAT, "--runs", "400", "--seed", "3",
         "--turn-time", "18", "--limit", "24.06", "--csv", str(tmp_path / "c.csv"), "--json",
         "--reserve", str(minimum_kg), "--probability", "0.3", "--confidence", "0.9",
         *[w for r in requirements for w in ("--require", r)]],
        capture_output=True, text=True, timeout=30)
    summary = json.loads(done.stdout)
    with open(tmp_path / "c.csv", newline="") as rows:
        rows = [{k: v if k in ("outcome", "reason", "targeting") else float(v or "nan")
                 for k, v in r.items()} for r in csv.DictReader(rows)]
    orbits = [r for r in rows if r["outcome"] == "orbit"]
    # A success: an orbit whose boosters overdrew nothing, with the reserve left.
    flyable = [r["outcome"] == "orbit" and r["booster_residual_kg"] >= 0 for r in rows]
    success = [f and r["remaining_propellant_kg"] >= minimum_kg for f, r in zip(flyable, rows)]
    assert (summary["success"]["successes"], summary["success"]["propellant_shortfall"],
            summary["success"]["share"]) == (sum(success), len(orbits) - sum(success),
                                             sum(success) / len(rows))
    for name, expected in summary["outputs"].items():
        assert expected == statistics([r[name] for r in orbits])
    mean = [summary["outputs"][k]["mean"] for k in ("perigee_m", "apogee_m")]
    deviations = [(r["perigee_m"] - mean[0], r["apogee_m"] - mean[1]) for r in orbits]
    assert summary["perigee_apogee"]["covariance_m2"] == [
        math.fsum(d[i] * d[j] for d in deviations) / (len(orbits) - 1) for i, j in ((0, 0), (0, 1), (1, 1))]

    def bound(values, m):  # the m-th lowest, None when it is infinite
        return sorted(values)[m - 1] if sorted(values)[m - 1] > -math.inf else None

    for text, result in zip(requirements, summary["requirements"]):
        name, value = re.split("[<>]=", text)
        sign = 1 if ">=" in text else -1
        values = [sign * r[name] if good else -math.inf for good, r in zip(success, rows)]
        failures, m = sum(v < sign * float(value) for v in values), result["order"]
        b = bound(values, m)
        assert (result["failures"], result["bound"], result["verdict"]) == (
            failures, None if b is None else sign * b, "met" if failures < m else "not_met")
        # The failures by cause, and the output's own bound over the orbits.
        not_success = [r for good, r in zip(success, rows) if not good]
        assert (result["failures_not_success"], result["not_success_orbits"]) == (
            len(not_success), sum(r["outcome"] == "orbit" for r in not_success))
        own = [sign * r[name] for r in orbits]
        assert result["orbit_bound"] == sign * sorted(own)[result["orbit_order"] - 1]
    verdicts = [r["verdict"] for r in summary["requirements"]]
    assert (verdicts, done.returncode) == (["met", "not_met"], 1)
    m = summary["requirements"][0]["order"]  # the rank of N, P and C alone
    margin = bound([r["remaining_propellant_kg"] if f else -math.inf
                    for f, r in zip(flyable, rows)], m)
    assert summary["flight_performance_reserve"] == {
        "probability": 0.3, "confidence": 0.9, "order": m, "margin_kg": margin,
        "flight_performance_reserve_kg": max(0, -margin)}
