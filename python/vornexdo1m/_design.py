"""The result of a job: its table, its summary and its seed."""
from __future__ import annotations

import io
import json
from typing import Any

import pandas as pd


def _cell(value: Any) -> str:
    """A cell as vxdoe's CSV writes it: shortest decimals, yes/no, quoted text."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "yes" if value else "no"
    if isinstance(value, float):
        return "0" if value == 0 else repr(value)
    if isinstance(value, int):
        return str(value)
    text = str(value)
    if any(c in text for c in '",\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


class Design:
    """A table (one run a row) with the job's figures.

    `table` is a DataFrame of the JSON's columns and rows, `summary` the
    JSON's summary, `seed` the seed that reproduces the run (None for a job
    that draws nothing).
    """

    def __init__(self, answer: dict[str, Any], kind: str) -> None:
        self.job: str = answer["job"]
        self.kind = kind
        self.seed: int | None = answer.get("seed")
        self.summary: dict[str, Any] = answer.get("summary", {})
        self._columns: list[str] = list(answer["columns"])
        self._rows: list[list[Any]] = [list(r) for r in answer["rows"]]
        self.table = pd.DataFrame(self._rows, columns=self._columns)
        if kind == "sensory":
            self._sensory()

    def _sensory(self) -> None:
        from ._plots import incidence_from_orders

        self.orders: pd.DataFrame | None = None
        if any(c.startswith("position_") for c in self._columns):
            self.orders = self.table
            self.incidence = incidence_from_orders(self.table)
        else:
            self.incidence = self.table.set_index("judge")

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
