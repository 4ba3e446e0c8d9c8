"""Tables handed to vxdoe as CSV files, written to a scratch folder that is
removed when the job ends."""
from __future__ import annotations

import contextlib
import math
import numbers
import os
import tempfile
from typing import Any, Iterator

import pandas as pd


def cell(value: Any) -> str:
    """One CSV cell: numbers as they read back exactly, a missing value empty,
    text as it is (refused when it would break the line or the column)."""
    if value is None or (isinstance(value, float) and math.isnan(value)):
        return ""
    if isinstance(value, bool):
        raise ValueError(f"{value!r} is not a number or a level name")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        value = float(value)
        if not math.isfinite(value):
            raise ValueError(f"{value!r} is not a finite number")
        return repr(value)
    text = str(value)
    if any(c in text for c in ',"\r\n\0'):
        raise ValueError(f"{text!r}: a cell cannot hold a comma, quote or line break")
    return text


def csv_text(lines: list[list[Any]]) -> str:
    return "".join(",".join(cell(c) for c in line) + "\n" for line in lines)


def frame_lines(frame: pd.DataFrame) -> list[list[Any]]:
    """A DataFrame as header and rows, the cells as Python values."""
    if not isinstance(frame, pd.DataFrame):
        raise ValueError(f"{type(frame).__name__} is not a DataFrame")
    header = [str(c) for c in frame.columns]
    rows = [[None if v is pd.NA else v for v in row] for row in frame.itertuples(index=False, name=None)]
    return [header, *rows]


@contextlib.contextmanager
def scratch(name: str, text: str) -> Iterator[str]:
    """A file of this text, for as long as the block runs."""
    with tempfile.TemporaryDirectory(prefix="vornexdo1m-") as folder:
        path = os.path.join(folder, name)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        yield path
