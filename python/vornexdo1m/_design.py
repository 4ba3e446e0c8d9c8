"""The result of a job: its table, its summary and its seed."""
from __future__ import annotations

import io
import json
from typing import Any

import pandas as pd

from . import _core


def _cell(value: Any) -> str:
    """A cell as vxdoe's CSV writes it: shortest decimals, yes/no, quoted text."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "yes" if value else "no"
    if isinstance(value, (int, float)):
        # Every number of the table is a double; vxdoe's own formatting of it.
        return _core.shortest(float(value))
    text = str(value)
    if any(c in text for c in '",\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


def _numeric_factors(made: list[str]) -> list[str]:
    """The names of the --factor NAME=LOW:HIGH[/K] words."""
    factor_words = [w for before, w in zip(made, made[1:]) if before == "--factor"]
    named = [w.split("=", 1) for w in factor_words]
    # A range holds a colon; a list of levels, which may too, holds a bar or is one level.
    return [n[0] for n in named if len(n) == 2 and ":" in n[1] and "|" not in n[1]]


class Design:
    """A table (one run a row) with the job's figures.

    `table` is a DataFrame of the JSON's columns and rows, `summary` the
    JSON's summary, `seed` the seed that reproduces the run (None for a job
    that draws nothing).
    """

    def __init__(self, answer: dict[str, Any], kind: str, made: list[str] | None = None,
                 products: int | None = None) -> None:
        self.job: str = answer["job"]
        self.kind = kind
        # The words that describe the factors (--levels, --factor, --names), for evaluate().
        self._made = list(made or [])
        self.seed: int | None = answer.get("seed")
        self.summary: dict[str, Any] = answer.get("summary", {})
        self._columns: list[str] = list(answer["columns"])
        self._rows: list[list[Any]] = [list(r) for r in answer["rows"]]
        self.table = pd.DataFrame(self._rows, columns=self._columns)
        # JSON writes 0.0 as 0: a numeric factor's column stays float when its runs sit on whole numbers.
        for name in _numeric_factors(self._made):
            if name in self.table.columns:
                self.table[name] = self.table[name].astype(float)
        if kind == "sensory":
            self._sensory(products)

    def _sensory(self, products: int | None) -> None:
        from ._plots import incidence_from_orders

        self.orders: pd.DataFrame | None = None
        if any(c.startswith("position_") for c in self._columns):
            self.orders = self.table.set_index("judge")
            self.incidence = incidence_from_orders(self.table, products)
        else:
            products = [c for c in self._columns if c.startswith("product_")]
            self.incidence = self.table.set_index("judge")[products]

    def to_json(self) -> str:
        """The JSON object vxdoe writes for the same job and seed."""
        return json.dumps({"job": self.job, "seed": self.seed, "columns": self._columns, "rows": self._rows,
                           "summary": self.summary}, separators=(",", ":"))

    def to_csv(self, path: str | None = None) -> str | None:
        """The table as CSV (header first); written to path when given."""
        # From the JSON's own cells, not the DataFrame: a column with a gap
        # turns whole numbers into floats there, and vxdoe writes them whole.
        buffer = io.StringIO()
        for cells in [self._columns, *self._rows]:
            buffer.write(",".join(_cell(c) for c in cells) + "\n")
        if path is None:
            return buffer.getvalue()
        with open(path, "w", encoding="utf-8") as f:
            f.write(buffer.getvalue())
        return None

    def plot(self, path: str | None = None) -> Any:
        """Draws the design (see _plots); saved as PNG to path, with Agg, when given."""
        from ._plots import draw

        return draw(self, path)

    def __repr__(self) -> str:
        return f"Design({self.job}, {len(self.table)} runs, seed={self.seed})\n{self.table!r}"
