"""The sensitivity study, its merge and the rank correlations against the
command line's own JSON and files for the same inputs, and what they refuse."""

import _thread
import math
import os
import threading
import time

import pytest

import ascent
from conftest import S1_DAT, program_json

DISPERSIONS = os.path.join(os.path.dirname(S1_DAT), "dispersions.toml")
DESIGN = {"rows": 8, "seed": 5, "turn_time_s": 18}
DESIGN_OPTIONS = ["--runs", "8", "--seed", "5", "--turn-time", "18"]


def thrust():
    return ascent.ThrustHistory.from_file(S1_DAT)


def read(path):
    with open(path, "rb") as f:
        return f.read()


@pytest.mark.parametrize("keywords, options", [
    ({}, []),
    ({"limit_deg": 24.06, "min_remaining_propellant_kg": 300, "resamples": 200},
     ["--limit", "24.06", "--reserve", "300", "--resamples", "200"]),
])
def test_sensitivity_equals_the_command_lines_json_and_csv(tmp_path, keywords, options):
    study = ascent.sensitivity(DISPERSIONS, **DESIGN, thrust=thrust(), jobs=2,
                               csv=tmp_path / "py.csv", **keywords)
    expected = program_json("sensitivity", DISPERSIONS, *DESIGN_OPTIONS, *options,
                            "--csv", str(tmp_path / "cli.csv"))
    assert study.to_dict() == expected
    for name in ("csv", "manifest.toml"):
        assert read(tmp_path / f"py.{name}") == read(tmp_path / f"cli.{name}"), name
    header = read(tmp_path / "cli.csv").decode().splitlines()[0]
    assert study.rows.columns == header.split(",") and len(study.rows) == expected["runs"]
    first = [math.nan if e["first_order"] is None else e["first_order"]
             for e in expected["indices"]]
    assert study.indices.first_order.tolist() == pytest.approx(first, nan_ok=True, abs=0)


def test_shards_merged_equal_the_whole_and_rank_correlations_the_command_lines(tmp_path):
    whole = ascent.sensitivity(DISPERSIONS, **DESIGN, thrust=thrust(), csv=tmp_path / "w.csv")
    for i in (1, 2, 3):
        shard = ascent.sensitivity(DISPERSIONS, **DESIGN, thrust=thrust(), shard=(i, 3),
                                   csv=tmp_path / f"s{i}.csv")
        assert not shard["complete"] and len(shard.indices) == 0
    merged = ascent.merge_sensitivity([tmp_path / "s3.csv", tmp_path / "s1.csv",
                                       tmp_path / "s2.csv"], tmp_path / "m.csv")
    assert merged.to_dict() == whole.to_dict()
    assert read(tmp_path / "m.csv") == read(tmp_path / "w.csv")
    assert len(merged.rows) == len(whole.rows)

    correlations = ascent.rank_correlations(tmp_path / "w.csv", min_remaining_propellant_kg=300)
    expected = program_json("sensitivity", "--given", str(tmp_path / "w.csv"), "--reserve", "300")
    assert correlations.to_dict() == expected
    assert len(correlations.correlations) == len(expected["correlations"])


@pytest.mark.parametrize("call, setting, words", [
    (lambda tmp: ascent.sensitivity(DISPERSIONS, 1, 5, 18), "rows", "rows 1 are outside"),
    (lambda tmp: ascent.sensitivity(DISPERSIONS, 4, 5, 18, resamples=5), "resamples", "5 are"),
    (lambda tmp: ascent.sensitivity(DISPERSIONS, 4, 5, 18, shard=(3, 2)), "shard", "shard 3 of 2"),
    (lambda tmp: ascent.sensitivity(DISPERSIONS, 4, -5, 18), "seed", "-5 is outside"),
    (lambda tmp: ascent.sensitivity(DISPERSIONS, 4, 5, 18, csv=DISPERSIONS), None,
     "is the dispersion file"),
    (lambda tmp: ascent.merge_sensitivity([], tmp / "m.csv"), None, "no shard"),
])
def test_a_refused_input_is_an_input_error(tmp_path, call, setting, words):
    before = read(DISPERSIONS)
    with pytest.raises(ascent.InputError) as raised:
        call(tmp_path)
    assert raised.value.setting == setting and words in str(raised.value)
    assert read(DISPERSIONS) == before and not os.listdir(tmp_path)


def test_an_interrupt_ends_the_study_and_leaves_no_csv(tmp_path):
    threading.Timer(0.3, _thread.interrupt_main).start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        ascent.sensitivity(DISPERSIONS, 50000, 1, 18, limit_deg=24.06, jobs=2,
                           csv=tmp_path / "d.csv")
    assert time.monotonic() - started < 3 and not os.listdir(tmp_path)
