"""Searches run without the GIL, and Ctrl-C stops the wait for one."""
from __future__ import annotations

import _thread
import threading
import traceback

import pytest

import vornexdo1m as vx

# A search of a fixed amount of work (150 starts), the same on every machine.
SEARCH = dict(factors={"a": (0, 1), "b": (0, 1), "c": (0, 1), "d": (0, 1)}, model="quadratic", runs=20, seed=1,
              threads=1, starts=150)


def test_python_threads_run_while_a_search_runs():
    ticks = 0
    searching = threading.Event()
    done = threading.Event()

    def count() -> None:
        nonlocal ticks
        searching.wait()
        while not done.is_set():
            ticks += 1

    counter = threading.Thread(target=count)
    counter.start()
    searching.set()
    vx.optimal(**SEARCH)
    during = ticks
    done.set()
    counter.join()
    # Holding the GIL, the search would leave the counter a switch interval
    # or two of the second at most (a few thousand ticks).
    assert during > 200_000


def test_searches_in_threads_give_the_plans_they_give_alone():
    alone = [vx.optimal(**{**SEARCH, "seed": s}).to_csv() for s in (1, 2)]
    found: dict[int, str] = {}

    def search(seed: int) -> None:
        found[seed] = vx.optimal(**{**SEARCH, "seed": seed}).to_csv()

    threads = [threading.Thread(target=search, args=(s,)) for s in (1, 2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert [found[1], found[2]] == alone


def test_ctrl_c_interrupts_the_wait_inside_the_search():
    timer = threading.Timer(0.2, _thread.interrupt_main)
    timer.start()
    with pytest.raises(KeyboardInterrupt) as raised:
        vx.optimal(**{**SEARCH, "starts": None, "seed": None, "seconds": 30})
    timer.cancel()
    # Raised from within the call into the compiled core, not after it returned.
    assert "_core.run" in traceback.extract_tb(raised.value.__traceback__)[-1].line
