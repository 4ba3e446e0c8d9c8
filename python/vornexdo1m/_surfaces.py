"""Response surfaces, mixtures and desirability."""
from __future__ import annotations

import math
import numbers
from typing import Any, Mapping, Sequence

import pandas as pd

from ._design import Design
from ._files import csv_text, scratch
from ._run import Words, design, documented, word


@documented("rsm")
def rsm(design_name: str, factors: int, *, centers: int | str | None = None, replicates: int | None = None,
        random: bool = False, randomise_within_replicates: bool = False, seed: int | None = None,
        low: Sequence[float] | None = None, high: Sequence[float] | None = None, round: bool = False,
        names: Sequence[str] | None = None) -> Design:
    """The run sheet of a response-surface design: "factorial3", "ccd"
    (central composite), "bbd" (Box-Behnken) or "doehlert", for `factors`
    factors. centers: centre runs of each replicate (a count, or "uniform" or
    "orthogonal" for a central composite design); low and high: each
    factor's levels in its units; round: whole numbers in units."""
    words = Words().text("design", design_name).whole("factors", factors)
    if isinstance(centers, str):
        words.text("centers", centers)
    else:
        words.whole("centers", centers)
    words.whole("replicates", replicates).flag("random", random)
    words.flag("randomise-within-replicates", randomise_within_replicates).seed(seed)
    words.reals("min", low).reals("max", high).flag("round", round).names(names)
    return design("rsm", words, "table")


@documented("mixture")
def mixture(design_name: str, components: int, *, degree: int | None = None, lower: Sequence[float] | None = None,
            scale: float | None = None, total: float | None = None, names: Sequence[str] | None = None) -> Design:
    """A simplex design of `components` components: "lattice" (of `degree`),
    "centroid" or "augmented" (centroid), in proportions, or in quantities of
    `total`; lower: each component's least proportion (pseudo-components)."""
    words = Words().text("design", design_name).whole("components", components).whole("degree", degree)
    words.reals("lower", lower).real("scale", scale).real("total", total).names(names)
    return design("mixture", words, "mixture")


@documented("mixture-model")
def mixture_model(components: int, *, degree: int | None = None, type: str | None = None,
                  design_name: str | None = None, names: Sequence[str] | None = None) -> Design:
    """The model matrix of a simplex design under its term labels: the
    canonical polynomial of `degree`, "full" or "special"."""
    words = Words().whole("components", components).whole("degree", degree).text("type", type)
    words.text("design", design_name).names(names)
    return design("mixture-model", words, "table")


# The rows of a desirability file that describe the responses, in its order.
_GOAL_KEYS = ("goal", "lower", "target", "upper", "weight", "s", "t")
_KEYS = {"response", *_GOAL_KEYS}


def _goal_cell(key: str, value: Any) -> Any:
    """A goal's cell: a target range (low, high) as LOW..HIGH."""
    if key == "target" and isinstance(value, (tuple, list)):
        if len(value) != 2:
            raise ValueError(f"target: {value!r} is not a number or a (low, high) range")
        low, high = (_goal_cell("lower", v) for v in value)
        return f"{csv_text([[low]]).strip()}..{csv_text([[high]]).strip()}"
    if value is not None and not isinstance(value, (str, numbers.Real)):
        raise ValueError(f"{key}: {value!r} is not a number or a goal's name")
    return value


def _goal_rows(goals: Mapping[str, Mapping[str, Any]] | pd.DataFrame) -> tuple[list[str], list[list[Any]]]:
    if isinstance(goals, pd.DataFrame):
        goals = {str(c): {str(k): goals[c][k] for k in goals.index} for c in goals.columns}
    if not isinstance(goals, Mapping) or not goals:
        raise ValueError("goals: a non-empty dict of response: {goal, lower, target, upper, ...}")
    responses = [word("goals", str(r)) for r in goals]
    for r, goal in goals.items():
        if not isinstance(goal, Mapping):
            raise ValueError(f"goals: {r}'s goal is not a dict")
        unknown = set(goal) - set(_GOAL_KEYS)
        if unknown:
            raise ValueError(f"goals: {r} has no key {sorted(unknown)[0]!r} (keys: {', '.join(_GOAL_KEYS)})")
    rows = [["response", *responses]]
    for key in _GOAL_KEYS:
        if any(key in g for g in goals.values()):
            rows.append([key, *(_goal_cell(key, g.get(key)) for g in goals.values())])
    return responses, rows


def _observation_rows(observations: Any, responses: list[str]) -> list[list[Any]]:
    frame = observations if isinstance(observations, pd.DataFrame) else pd.DataFrame(observations)
    if all(isinstance(c, numbers.Integral) for c in frame.columns) and frame.shape[1] == len(responses):
        frame = frame.set_axis(responses, axis=1)  # a plain array: columns in the goals' order
    missing = [r for r in responses if r not in frame.columns]
    if missing:
        raise ValueError(f"observations: no column {missing[0]!r}")
    rows = []
    for label, values in zip(frame.index, frame[responses].itertuples(index=False, name=None)):
        text = str(label)
        if not text or text.startswith("#") or text.strip().lower() in _KEYS:
            raise ValueError(f"observations: {text!r} cannot label an observation (empty, # or a goal's key)")
        cells = [None if isinstance(v, float) and math.isnan(v) else v for v in values]
        rows.append([text, *cells])
    return rows


@documented("desirability")
def desirability(observations: Any, goals: Mapping[str, Mapping[str, Any]] | pd.DataFrame) -> Design:
    """Each response's desirability d_<response> and the overall D (their
    weighted geometric mean) of each observation.

    observations: a DataFrame (a column per response, the index labelling
    the observations; NaN: not measured) or anything DataFrame() takes.
    goals: {response: {"goal": "maximize" | "minimize" | "target",
    "lower": .., "target": .. or (low, high), "upper": .., "weight": ..,
    "s": .., "t": ..}}, or a DataFrame with those rows and a response a column.
    """
    responses, rows = _goal_rows(goals)
    rows += _observation_rows(observations, responses)
    with scratch("responses.csv", csv_text(rows)) as path:
        return design("desirability", ["--file", path], "table")
