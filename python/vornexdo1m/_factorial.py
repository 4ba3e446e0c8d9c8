"""Plans over factors: optimal ones, orthogonal arrays, screening sheets, counts."""
from __future__ import annotations

import numbers
from typing import Any, Mapping, Sequence, Union

import pandas as pd

from ._design import Design
from ._files import csv_text, frame_lines, scratch
from ._run import Words, design, documented, real, word

# A factor: (low, high) continuous, (low, high, k) k evenly spaced levels, a
# list of level names, or vxdoe's own text after NAME= ("150:200/3", "a|b").
FactorLevels = Union[tuple, list, str]


def _is_number(v: Any) -> bool:
    return isinstance(v, numbers.Real) and not isinstance(v, bool)


def _factor_word(name: Any, levels: Any) -> str:
    name = word("factors", name)
    if isinstance(levels, str):
        return f"{name}={word(name, levels)}"
    if isinstance(levels, tuple) and len(levels) in (2, 3) and all(_is_number(v) for v in levels):
        text = f"{real(name, levels[0])}:{real(name, levels[1])}"
        if len(levels) == 3:
            if not isinstance(levels[2], numbers.Integral):
                raise ValueError(f"{name}: the level count {levels[2]!r} is not a whole number")
            text += f"/{int(levels[2])}"
        return f"{name}={text}"
    if isinstance(levels, list) and levels:
        named = [word(name, str(v)) for v in levels]
        if any("|" in v for v in named):
            raise ValueError(f"{name}: a level name holds '|'")
        return f"{name}={'|'.join(named)}"
    raise ValueError(f"{name}: {levels!r} is not (low, high), (low, high, levels), a list of levels or text")


def _factor_words(factors: Mapping[str, FactorLevels]) -> list[str]:
    if not isinstance(factors, Mapping) or not factors:
        raise ValueError("factors: a non-empty dict of name: (low, high) or [levels]")
    words: list[str] = []
    for name, levels in factors.items():
        words += ["--factor", _factor_word(name, levels)]
    return words


def _model_word(model: Any) -> str:
    if isinstance(model, str):
        return word("model", model)
    if isinstance(model, (list, tuple)) and model:
        return "+".join(word("model", str(t)) for t in model)
    raise ValueError(f"model: {model!r} is not a model's name or a list of terms")


def _texts(option: str, values: Any) -> list[str]:
    if values is None:
        return []
    items = [values] if isinstance(values, str) else list(values)
    words: list[str] = []
    for v in items:
        words += [f"--{option}", word(option, v)]
    return words


def _described(levels: Any, factors: Any, names: Any) -> Words:
    """The words that name the factors: --levels (or --factor ...) and --names."""
    words = Words()
    if factors is not None:
        if levels is not None:
            raise ValueError("give levels or factors, not both")
        words += _factor_words(factors)
    return words.levels(levels).names(names)


def _kind(made: Sequence[str]) -> str:
    return "factors" if "--factor" in made else "levels"


@documented("optimal")
def optimal(levels: Sequence[int] | str | None = None, runs: int | None = None, *,
            factors: Mapping[str, FactorLevels] | None = None, model: str | Sequence[str] | None = None,
            optimality: str | None = None, constraints: str | Sequence[str] | None = None,
            exclude: str | Sequence[str] | None = None, augment: pd.DataFrame | str | None = None,
            blocks: int | Sequence[int] | None = None, threads: int | None = None,
            seconds: float | None = None, seed: int | None = None, starts: int | None = None,
            names: Sequence[str] | None = None, **stated: Any) -> Design:
    """An optimal plan of `runs` runs.

    levels: each qualitative factor's level count (D-optimal for main effects
    over their full factorial, through the library's recipe), or
    factors: {name: (low, high) | (low, high, k) | [level names]} for a plan
    for `model` ("main", "interactions", "quadratic" or a list of terms
    such as ["a", "b", "a*b", "a^2"]), optimised for optimality D, A, I or G.
    constraints: linear inequalities in the factors' units ("a + 2*b <= 300");
    exclude: combinations no run may have ("cat=a,temp>180"); augment: runs
    to keep (a DataFrame or a CSV path, counted in `runs`); blocks: a count
    or each block's size. seconds: the time budget; seed: reproduces a run
    (without seconds, a fixed amount of work: the same plan on any machine).
    Further keywords are the stated sequence's options (start, algo,
    criterion, coding, max_iter, convergence, perturb, no_catalogue).
    Raises ValueError for input vxdoe refuses, Refused when no plan can start.
    """
    made = _described(levels, factors, names)
    words = Words(made).whole("runs", runs).real("seconds", seconds).seed(seed).whole("starts", starts)
    if model is not None:
        words += ["--model", _model_word(model)]
    words.text("optimality", optimality).whole("threads", threads)
    words += _texts("constraint", constraints) + _texts("exclude", exclude)
    if blocks is not None:
        if isinstance(blocks, numbers.Integral) and not isinstance(blocks, bool):
            words.whole("blocks", blocks)
        else:
            words.wholes("block-sizes", blocks)
    words += _stated(stated)
    if augment is None:
        return design("optimal", words, _kind(made), made)
    if isinstance(augment, str):
        return design("optimal", [*words, "--augment", word("augment", augment)], _kind(made), made)
    with scratch("kept.csv", csv_text(frame_lines(augment))) as path:
        return design("optimal", [*words, "--augment", path], _kind(made), made)


_STATED = {"start": "text", "algo": "text", "criterion": "text", "coding": "whole", "max_iter": "whole",
           "convergence": "real", "perturb": "whole", "no_catalogue": "flag"}


def _stated(options: Mapping[str, Any]) -> Words:
    words = Words()
    for key, value in options.items():
        if key not in _STATED:
            raise ValueError(f"optimal: unknown option {key!r}")
        option = key.replace("_", "-")
        if _STATED[key] == "flag":
            words.flag(option, bool(value))
        else:
            getattr(words, _STATED[key])(option, value)
    return words


def _plan_frame(plan: Any) -> pd.DataFrame:
    if isinstance(plan, Design):
        return plan.table
    if isinstance(plan, pd.DataFrame):
        return plan
    raise ValueError(f"plan: {type(plan).__name__} is neither a Design nor a DataFrame")


def _inferred(frame: pd.DataFrame) -> list[str]:
    """Factors read off a plan: whole numbers 1..s as s levels; other numbers
    continuous over their range; text categorical over its sorted values."""
    if frame.shape[1] == 0 or frame.shape[0] == 0:
        raise ValueError("plan: no runs or no factors")
    numeric = frame.select_dtypes(include="number")
    if numeric.shape[1] == frame.shape[1]:
        values = numeric.to_numpy(dtype=float)
        if (values == values.round()).all() and (values >= 1).all():
            return ["--levels", ",".join(str(int(values[:, j].max())) for j in range(values.shape[1])),
                    "--names", ",".join(word("names", str(c)) for c in frame.columns)]
    words: list[str] = []
    for name in frame.columns:
        column = frame[name]
        if name in numeric.columns:
            levels: FactorLevels = (float(column.min()), float(column.max()))
        else:
            levels = sorted({str(v) for v in column})
        words += ["--factor", _factor_word(str(name), levels)]
    return words


@documented("optimal")
def evaluate(plan: Design | pd.DataFrame, model: str | Sequence[str] | None = None, *,
             levels: Sequence[int] | str | None = None, factors: Mapping[str, FactorLevels] | None = None,
             names: Sequence[str] | None = None) -> Design:
    """Scores a plan without searching: its summary is the one optimal() gives.

    plan: a Design (its factors come with it) or a DataFrame of one run a
    row. Without levels or factors, they are read off the plan: whole
    numbers 1..s as factors of s levels, other numbers as continuous factors
    over their range, text as categorical factors. model: as for optimal()
    (a model turns the levels into categorical factors of a model plan).
    """
    frame = _plan_frame(plan)
    if levels is not None or factors is not None:
        made = list(_described(levels, factors, names))
    elif isinstance(plan, Design) and plan._made:
        made = plan._made
    else:
        made = _inferred(frame)
    words = Words(made)
    if model is not None:
        words += ["--model", _model_word(model)]
    factor_columns = frame.drop(columns=[c for c in ("block",) if c in frame.columns])
    with scratch("plan.csv", csv_text(frame_lines(factor_columns))) as path:
        return design("optimal", [*words, "--evaluate", path], _kind(made), made)


@documented("ortho")
def orthogonal_array(levels: Sequence[int] | str | None = None, runs: int | None = None, *,
                     entry: int | None = None, names: Sequence[str] | None = None) -> Design:
    """An orthogonal array of the library's catalogue: the smallest for these
    level counts with at least `runs` runs, or catalogue entry `entry`.
    ValueError, with vxdoe's reason, when the catalogue holds none."""
    made = Words().levels(levels).names(names)
    return design("ortho", Words(made).whole("min-runs", runs).whole("entry", entry), "levels", made)


@documented("ortho")
def closest_arrays(levels: Sequence[int] | str, runs: int | None = None, *, max_score: int | None = None) -> Design:
    """The catalogue's arrays closest to these level counts, best first, for
    a plan of about `runs` runs (one row per array: score, level counts, runs,
    entry)."""
    return design("ortho", Words(["--list"]).levels(levels).whole("runs", runs).whole("max-score", max_score), "table")


@documented("screening")
def screening(levels: Sequence[int] | str, *, replicates: int | None = None, random: bool = False,
              randomise_within_replicates: bool = False, seed: int | None = None,
              names: Sequence[str] | None = None) -> Design:
    """The run sheet of a screening design over the full factorial of
    qualitative factors, in standard or random order."""
    words = Words().levels(levels).names(names).whole("replicates", replicates).flag("random", random)
    words.flag("randomise-within-replicates", randomise_within_replicates).seed(seed)
    return design("screening", words, "table")


@documented("counts")
def counts(levels: Sequence[int] | str) -> Design:
    """Runs and model columns of the full factorial of these level counts,
    exactly, and the library's own run count (in the summary)."""
    return design("counts", Words().levels(levels), "table")
