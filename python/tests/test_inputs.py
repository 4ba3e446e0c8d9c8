"""What a caller can pass: vxdoe's own reason for what it refuses, and
nothing (huge, negative, NaN, empty, the wrong type) that crashes the
interpreter or escapes as anything but ValueError or Refused."""
from __future__ import annotations

import math

import pandas as pd
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import vornexdo1m as vx

# (what Python calls, the same words to vxdoe)
MISUSE = [
    (lambda: vx.optimal(levels=[2, 2], runs=0), "optimal --levels 2,2 --runs 0"),
    (lambda: vx.optimal(levels=[2, 2], runs=10**30), "optimal --levels 2,2 --runs " + str(10**30)),
    (lambda: vx.optimal(factors={"a": (0, 1)}, model="a+b", runs=4), "optimal --factor a=0:1 --model a+b --runs 4"),
    (lambda: vx.optimal(factors={"a": (0, 1)}, runs=4, constraints="a>=2"),
     "optimal --factor a=0:1 --runs 4 --constraint a>=2"),
    (lambda: vx.orthogonal_array(levels=[7] * 30), "ortho --levels 7^30"),
    (lambda: vx.rsm("cube", 3), "rsm --design cube --factors 3"),
    (lambda: vx.mixture("lattice", components=0), "mixture --design lattice --components 0"),
    (lambda: vx.sensory(300, 4, 2), "sensory --products 300 --judges 4 --per-judge 2"),
    (lambda: vx.counts([2, -3]), "counts --levels 2,-3"),
]


@pytest.mark.parametrize("call,line", MISUSE, ids=[line.split(" --")[0] + str(i) for i, (_, line) in enumerate(MISUSE)])
def test_misuse_raises_value_error_with_vxdoes_reason(cli, call, line):
    status, reason = cli.reason(*line.split())
    assert status == 2 and reason
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == reason


def test_a_plan_that_cannot_start_is_refused_with_the_librarys_code(cli):
    status, reason = cli.reason("optimal", "--levels", "2,2,2", "--runs", "3", "--start", "random", "--no-catalogue",
                                "--seed", "1")
    assert status == 1
    with pytest.raises(vx.Refused) as raised:
        vx.optimal([2, 2, 2], 3, start="random", no_catalogue=True, seed=1)
    assert raised.value.message == reason and raised.value.code == -1
    # Refusals the library does not code carry vxdoe's status.
    with pytest.raises(vx.Refused) as raised:
        vx.optimal(levels=[2, 1], runs=4)
    assert raised.value.code == 1 and "at least 2 levels" in raised.value.message


@pytest.mark.parametrize("call", [
    lambda: vx.optimal(levels=[2, 2], runs=4, seconds=math.nan),
    lambda: vx.optimal(levels=[2, 2], runs=4.0),
    lambda: vx.optimal(levels=[2, 2], runs=True),
    lambda: vx.optimal(levels=[], runs=4),
    lambda: vx.optimal(levels=[2] * 10001, runs=4),
    lambda: vx.optimal(levels="2,2\n--runs", runs=4),
    lambda: vx.optimal(levels=[2, 2], runs=4, names=["a", "b\0"]),
    lambda: vx.optimal(levels=[2, 2], factors={"a": (0, 1)}, runs=4),
    lambda: vx.optimal(factors={}, runs=4),
    lambda: vx.optimal(factors={"a": (0, math.nan)}, runs=4),
    lambda: vx.optimal(factors={"a": {"low": 0}}, runs=4),
    lambda: vx.optimal(factors={"a": ["x|y", "z"]}, runs=4),
    lambda: vx.optimal(factors={"a": (0, 1)}, runs=4, augment=[[0.5]]),
    lambda: vx.optimal(levels=[2, 2], runs=4, colour="red"),
    lambda: vx.rsm("ccd", 2, low=[0, math.nan], high=[1, 1]),
    lambda: vx.evaluate([[1, 2]]),
    lambda: vx.evaluate(pd.DataFrame()),
    lambda: vx.desirability({"y": [1.0]}, {"y": {"goal": "maximize", "lower": 0, "target": 1, "bound": 2}}),
    lambda: vx.desirability(pd.DataFrame({"y": [1.0]}, index=["goal"]), {"y": {"goal": "maximize"}}),
    lambda: vx.desirability({"y": [1.0]}, {"y": {"goal": "maximize", "target": (1, 2, 3)}}),
])
def test_bad_values_are_refused_before_vxdoe_sees_them(call):
    with pytest.raises(ValueError):
        call()


def test_the_longest_list_python_takes_reaches_vxdoe():
    try:
        vx.counts([2] * 10000)
    except (ValueError, vx.Refused) as refused:
        assert "more than" not in str(refused)


EDGES = st.sampled_from([0, 1, -1, 2, 46341, 2**31 - 1, -(2**31), 2**31, 2**63, -(10**40)])
WHOLES = st.one_of(EDGES, st.integers(-5, 40), st.none())
REALS = st.one_of(st.sampled_from([0.0, -0.0, 1e-300, -1.0, 1e300, math.nan, math.inf, -math.inf]),
                  st.floats(0, 0.02), st.none())
ANYTHING = st.one_of(WHOLES, REALS, st.text(max_size=5), st.booleans(), st.lists(WHOLES, max_size=3))


def _outcome(call) -> None:
    try:
        call()
    except (ValueError, vx.Refused) as refused:
        # Memory running out is no reason: a size past what a job makes is
        # refused before anything that size is allocated (the suite runs
        # under a memory limit, so that such a regression shows here).
        assert "alloc" not in str(refused)


@settings(max_examples=60)
@given(levels=st.one_of(st.lists(WHOLES.filter(lambda v: v is not None), max_size=4), ANYTHING),
       runs=WHOLES, seed=WHOLES, starts=st.one_of(st.none(), st.integers(-1, 3)))
def test_any_plan_request_returns_or_raises_cleanly(levels, runs, seed, starts):
    _outcome(lambda: vx.optimal(levels=levels, runs=runs, seed=seed, seconds=0.01, starts=starts))
    _outcome(lambda: vx.screening(levels, replicates=runs, seed=seed))
    _outcome(lambda: vx.counts(levels))
    _outcome(lambda: vx.orthogonal_array(levels, runs))


@settings(max_examples=60)
@given(low=st.one_of(REALS, ANYTHING), high=REALS, k=WHOLES, runs=WHOLES, model=st.sampled_from(
    ["main", "quadratic", "a*b", "a^2", "", "a+", "zz", "interactions"]))
def test_any_model_request_returns_or_raises_cleanly(low, high, k, runs, model):
    levels = (low, high) if k is None else (low, high, k)
    _outcome(lambda: vx.optimal(factors={"a": levels, "b": ["u", "v"]}, model=model, runs=runs, seed=1, starts=1,
                                threads=1))


@settings(max_examples=60)
@given(products=WHOLES, judges=WHOLES, per_judge=WHOLES, seconds=REALS, lambda_=REALS)
def test_any_sensory_request_returns_or_raises_cleanly(products, judges, per_judge, seconds, lambda_):
    _outcome(lambda: vx.sensory(products, judges, per_judge, seed=1, seconds=seconds))
    _outcome(lambda: vx.orders(products, judges, per_judge, seed=1, lambda_=lambda_, seconds=0.01, passes=1))
    _outcome(lambda: vx.resolve(products, judges, per_judge, seed=1, tries=5))


@settings(max_examples=60)
@given(factors=WHOLES, centers=st.one_of(WHOLES, st.sampled_from(["uniform", "orthogonal", "x"])), degree=WHOLES,
       total=REALS, lower=st.one_of(st.none(), st.lists(REALS.filter(lambda v: v is not None), max_size=4)))
def test_any_surface_or_mixture_request_returns_or_raises_cleanly(factors, centers, degree, total, lower):
    _outcome(lambda: vx.rsm("ccd", factors, centers=centers, replicates=degree))
    _outcome(lambda: vx.mixture("lattice", factors, degree=degree, total=total, lower=lower))
    _outcome(lambda: vx.mixture_model(factors, degree=degree))


@settings(max_examples=40)
@given(values=st.lists(st.one_of(st.floats(allow_nan=True, allow_infinity=True), st.none()), min_size=1, max_size=5),
       bounds=st.lists(st.one_of(st.floats(allow_nan=True), st.none()), min_size=3, max_size=3))
def test_any_desirability_request_returns_or_raises_cleanly(values, bounds):
    goals = {"y": {"goal": "target", "lower": bounds[0], "target": bounds[1], "upper": bounds[2]}}
    _outcome(lambda: vx.desirability(pd.DataFrame({"y": values}), goals))
