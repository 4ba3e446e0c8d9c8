"""The command line the package must agree with: VXDOE, or the build's own."""
from __future__ import annotations

import json
import os
import pathlib
import subprocess
from typing import Any

import pytest
from hypothesis import HealthCheck, settings

ROOT = pathlib.Path(__file__).resolve().parents[2]
VXDOE = os.environ.get("VXDOE", str(ROOT / "build" / "vxdoe"))
EXAMPLES = ROOT / "tools" / "vxdoe" / "examples"


class Cli:
    """vxdoe run as a program, the reference every function is held to."""

    def run(self, *words: str) -> subprocess.CompletedProcess:
        return subprocess.run([VXDOE, *words], capture_output=True, text=True, timeout=600)

    def csv(self, *words: str) -> str:
        done = self.run(*words)
        assert done.returncode == 0, done.stderr
        return done.stdout

    def json(self, *words: str) -> dict[str, Any]:
        return json.loads(self.csv(*words, "--format", "json"))

    def reason(self, *words: str) -> tuple[int, str]:
        """The exit status and the one line that says why."""
        done = self.run(*words)
        lines = [line for line in done.stderr.splitlines() if line.startswith("vxdoe: ")]
        return done.returncode, lines[0].removeprefix("vxdoe: ") if lines else ""


@pytest.fixture(scope="session")
def cli() -> Cli:
    if not os.access(VXDOE, os.X_OK):
        pytest.fail(f"no vxdoe at {VXDOE} (set VXDOE)")
    return Cli()


# The same examples on every run, so that a failure in CI repeats on a desk.
settings.register_profile("repeatable", derandomize=True, database=None, deadline=None,
                          suppress_health_check=[HealthCheck.too_slow])
settings.load_profile("repeatable")
