"""Running one vxdoe job in-process and reading its JSON answer."""
from __future__ import annotations

import json
import math
import numbers
import os
from collections.abc import Iterable
from typing import Any, Sequence

from . import _core

LIBRARY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "libVORNEXDO1M.so")


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


def whole(name: str, value: Any) -> str:
    """A whole-number option's word; ValueError for anything else. vxdoe
    itself judges the range, so that the reason is the one it gives."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise ValueError(f"{name}: {value!r} is not a whole number")
    return str(int(value))


def real(name: str, value: Any) -> str:
    """A number option's word; ValueError for NaN, infinities and non-numbers."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise ValueError(f"{name}: {value!r} is not a number")
    value = float(value)
    if not math.isfinite(value):
        raise ValueError(f"{name}: {value!r} is not a finite number")
    return repr(value)


# Longer lists than any job takes are refused before their words are built.
_MOST_ITEMS = 10000


def _items(name: str, values: Any) -> list[Any]:
    if isinstance(values, (str, bytes)) or not isinstance(values, Iterable):
        raise ValueError(f"{name}: {values!r} is not a list")
    items = []
    for v in values:
        items.append(v)
        if len(items) > _MOST_ITEMS:
            raise ValueError(f"{name}: more than {_MOST_ITEMS} items")
    if not items:
        raise ValueError(f"{name}: the list is empty")
    return items


def wholes(name: str, values: Any) -> str:
    return ",".join(whole(name, v) for v in _items(name, values))


def reals(name: str, values: Any) -> str:
    return ",".join(real(name, v) for v in _items(name, values))


def levels_word(values: Any) -> str:
    """Level counts: a list of whole numbers, or vxdoe's own text ("2^7,3")."""
    if isinstance(values, str):
        return word("levels", values)
    return wholes("levels", values)


def word(name: str, value: Any) -> str:
    """A text option's word: one line, no NUL."""
    if not isinstance(value, str):
        raise ValueError(f"{name}: {value!r} is not text")
    if not value or "\n" in value or "\r" in value or "\0" in value:
        raise ValueError(f"{name}: {value!r} must be one non-empty line")
    return value


class Words(list):
    """A job's command words, each option added only when it is given."""

    def _given(self, option: str, value: Any, written: Any) -> Words:
        if value is not None:
            self += [f"--{option}", written(option, value)]
        return self

    def whole(self, option: str, value: Any) -> Words:
        return self._given(option, value, whole)

    def real(self, option: str, value: Any) -> Words:
        return self._given(option, value, real)

    def text(self, option: str, value: Any) -> Words:
        return self._given(option, value, word)

    def wholes(self, option: str, values: Any) -> Words:
        return self._given(option, values, wholes)

    def reals(self, option: str, values: Any) -> Words:
        return self._given(option, values, reals)

    def levels(self, values: Any) -> Words:
        return self._given("levels", values, lambda _, v: levels_word(v))

    def flag(self, option: str, on: bool) -> Words:
        if on:
            self.append(f"--{option}")
        return self

    def names(self, names: Sequence[str] | None) -> Words:
        if names is not None:
            items = [word("names", n) for n in _items("names", names)]
            if any("," in n for n in items):
                raise ValueError("names: a name holds a comma")
            self += ["--names", ",".join(items)]
        return self

    def seed(self, value: Any) -> Words:
        return self.whole("seed", value)


def design(job: str, words: Sequence[str], kind: str, made: Sequence[str] = (), products: int | None = None) -> Any:
    """Runs the job and wraps its answer as a Design."""
    from ._design import Design

    answer, _ = run(job, words)
    return Design(answer, kind, list(made), products)


def usage(job: str) -> str:
    """vxdoe's --help for the job, for the docstring of the function that runs it."""
    try:
        status, out, _ = _core.run([job, "--help"], LIBRARY)
    except Exception:  # a docstring is never worth failing an import over
        return ""
    return out.decode("utf-8", "replace") if status == 0 else ""


def documented(job: str) -> Any:
    """Appends `vxdoe JOB --help` to a function's docstring: help() then
    answers what the command line's help answers, option by option."""

    def attach(function: Any) -> Any:
        text = usage(job)
        if text:
            function.__doc__ = (function.__doc__ or "") + f"\n\n    The command line's help (vxdoe {job} --help):\n\n" + \
                "\n".join("    " + line for line in text.splitlines())
        return function

    return attach
