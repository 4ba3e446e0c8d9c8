"""help() on a function answers what vxdoe's --help answers."""
from __future__ import annotations

import pytest

import vornexdo1m as vx

JOBS = {vx.optimal: "optimal", vx.evaluate: "optimal", vx.orthogonal_array: "ortho", vx.rsm: "rsm",
        vx.mixture: "mixture", vx.mixture_model: "mixture-model", vx.sensory: "sensory", vx.orders: "orders",
        vx.resolve: "resolve", vx.screening: "screening", vx.counts: "counts", vx.desirability: "desirability"}


@pytest.mark.parametrize("function", JOBS, ids=lambda f: f.__name__)
def test_each_docstring_carries_the_jobs_options(cli, function):
    help_text = cli.csv(JOBS[function], "--help")
    options = [line.split()[0] for line in help_text.splitlines() if line.strip().startswith("--")]
    assert options
    for option in options:
        assert option in function.__doc__
    assert function.__annotations__ and "return" in function.__annotations__
