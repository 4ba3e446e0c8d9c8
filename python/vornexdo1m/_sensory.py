"""Sensory designs: which products each judge tastes, and in what order."""
from __future__ import annotations

from typing import Any

from ._design import Design
from ._run import Words, design, documented


def _panel(products: Any, judges: Any, per_judge: Any) -> Words:
    return Words().whole("products", products).whole("judges", judges).whole("per-judge", per_judge)


def _ordering(words: Words, lambda_: Any, passes: Any, seconds: Any) -> Words:
    return words.real("lambda", lambda_).whole("passes", passes).real("seconds", seconds)


@documented("sensory")
def sensory(products: int, judges: int, per_judge: int, *, criterion: str | None = None, cyclic: bool = False,
            seed: int | None = None, orders: bool = False, lambda_: float | None = None,
            passes: int | None = None, seconds: float | None = None) -> Design:
    """An optimal incomplete block design: which `per_judge` of the
    `products` each judge tastes, D- or A-optimal (criterion), or from cyclic
    squares (cyclic). orders: also each judge's presentation order, balanced
    for position and carry-over (lambda_ weighs the first against the
    second). The result's .incidence is judges x products, .orders judges x
    positions (None without orders)."""
    words = _panel(products, judges, per_judge).text("criterion", criterion).flag("cyclic", cyclic).seed(seed)
    return design("sensory", _ordering(words.flag("orders", orders), lambda_, passes, seconds), "sensory",
                  products=products)


@documented("orders")
def orders(products: int, judges: int, per_judge: int, *, seed: int | None = None, lambda_: float | None = None,
           passes: int | None = None, seconds: float | None = None) -> Design:
    """Presentation orders balanced for position and carry-over, on a cyclic
    design (seconds: the search's time limit, 10 by default)."""
    return design("orders", _ordering(_panel(products, judges, per_judge).seed(seed), lambda_, passes, seconds),
                  "sensory", products=products)


@documented("resolve")
def resolve(products: int, judges: int, per_judge: int, *, tries: int | None = None,
            seed: int | None = None) -> Design:
    """The judges of a cyclic design regrouped into consecutive complete replicates."""
    return design("resolve", _panel(products, judges, per_judge).whole("tries", tries).seed(seed), "sensory")
