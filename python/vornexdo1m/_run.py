"""Running one vxdoe job in-process and reading its JSON answer."""
from __future__ import annotations

import json
import math
import os
from typing import Any, Iterable, Sequence

from . import _core

LIBRARY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "libVORNEXDO1M.so")
# vxdoe's own limit on list items; a larger int is refused here, before any word is built.
_MAX_INT = 2**31 - 1


class Refused(RuntimeError):
    """The library or the search refused the job, or it could not start."""

    def __init__(self, message: str, code: int) -> None:
        super().__init__(message)
        self.message = message
        self.code = code


def _library_code(message: str, status: int) -> int:
    # Messages that carry the library's own code name it as "code N".
    words = message.replace(")", " ").replace("(", " ").replace(":", " ").split()
    for i, word in enumerate(words[:-1]):
        if word == "code":
            try:
                return int(words[i + 1])
            except ValueError:
                pass
    return status


def run(job: str, words: Sequence[str]) -> tuple[dict[str, Any], str]:
    """Runs `vxdoe JOB WORDS --format json`: the JSON object and stderr's figures."""
    status, out, err = _core.run([job, *words, "--format", "json"], LIBRARY)
    text = err.decode("utf-8", "replace")
    if status != 0:
        lines = [line for line in text.splitlines() if line.strip()]
        message = lines[-1] if lines else f"vxdoe {job} failed"
        for line in lines:
            if line.startswith("vxdoe: "):
                message = line
                break
        message = message.removeprefix("vxdoe: ")
        if status == 2:
            raise ValueError(message)
        raise Refused(message, _library_code(message, status))
    return json.loads(out.decode("utf-8")), text


def whole(name: str, value: Any, low: int = 0) -> str:
    """A whole-number option's word; ValueError for anything else."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise ValueError(f"{name}: {value!r} is not a whole number")
    if value < low or value > _MAX_INT:
        raise ValueError(f"{name}: {value} is out of range ({low} to {_MAX_INT})")
    return str(value)


def real(name: str, value: Any) -> str:
    """A number option's word; ValueError for NaN, infinities and non-numbers."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise ValueError(f"{name}: {value!r} is not a number")
    value = float(value)
    if not math.isfinite(value):
        raise ValueError(f"{name}: {value!r} is not a finite number")
    return repr(value)


def wholes(name: str, values: Iterable[Any], low: int = 0) -> str:
    items = list(values)
    if not items:
        raise ValueError(f"{name}: the list is empty")
    if len(items) > 10000:
        raise ValueError(f"{name}: more than 10000 items")
    return ",".join(whole(name, v, low) for v in items)


def reals(name: str, values: Iterable[Any]) -> str:
    items = list(values)
    if not items:
        raise ValueError(f"{name}: the list is empty")
    return ",".join(real(name, v) for v in items)


def word(name: str, value: Any) -> str:
    """A text option's word: one line, no NUL."""
    if not isinstance(value, str):
        raise ValueError(f"{name}: {value!r} is not text")
    if not value or "\n" in value or "\r" in value or "\0" in value:
        raise ValueError(f"{name}: {value!r} must be one non-empty line")
    return value


def names_word(names: Sequence[str] | None) -> list[str]:
    if names is None:
        return []
    items = [word("names", n) for n in names]
    if not items or any("," in n for n in items):
        raise ValueError("names: one name per factor, none empty or holding a comma")
    return ["--names", ",".join(items)]
