"""Every kind of design draws a picture that is there: a PNG of the
figure's size with more than one colour in it."""
from __future__ import annotations

import matplotlib

matplotlib.use("Agg")

import matplotlib.image  # noqa: E402
import numpy as np  # noqa: E402
import pandas as pd  # noqa: E402
import pytest  # noqa: E402

import vornexdo1m as vx  # noqa: E402
from vornexdo1m import _plots  # noqa: E402

DESIGNS = {
    "levels": lambda: vx.optimal(levels=[3, 2, 2], runs=8, seed=1),
    "factors": lambda: vx.optimal(factors={"t": (0, 1), "c": ["a", "b", "c"]}, model="interactions", runs=9, seed=1,
                                  starts=3),
    "sensory": lambda: vx.sensory(6, 12, 3, seed=2),
    "orders": lambda: vx.sensory(6, 12, 3, seed=2, orders=True, passes=2),
    "simplex": lambda: vx.mixture("lattice", 3, degree=2),
    "pairs": lambda: vx.rsm("ccd", 3, seed=1),
}


@pytest.mark.parametrize("kind", DESIGNS)
def test_each_design_draws_a_picture(kind, tmp_path):
    path = tmp_path / f"{kind}.png"
    design = DESIGNS[kind]()
    figure = design.plot(str(path))
    heat_maps = [ax for ax in figure.axes if ax.images]
    if kind in ("levels", "factors"):
        assert heat_maps[0].images[0].get_clim() == (-1, 1)  # correlations, on their whole scale
    elif kind in ("sensory", "orders"):
        assert np.array_equal(heat_maps[0].images[0].get_array(), _plots.concurrence(design.incidence))
        assert len(heat_maps) == (2 if kind == "orders" else 1)
        if kind == "orders":  # positions numbered from 1
            assert [t.get_text() for t in heat_maps[1].get_xticklabels()] == ["1", "2", "3"]
    elif kind == "simplex":
        assert len(figure.axes) == 1 and not figure.axes[0].axison and not heat_maps
    else:
        assert len(figure.axes) == 36 and not heat_maps  # six numeric columns, pair by pair
        assert all(figure.axes[7 * i].patches for i in range(6))  # a histogram on the diagonal
        # Names along the bottom row and the left column only.
        assert [ax.get_xlabel() != "" for ax in figure.axes] == [i >= 30 for i in range(36)]
        assert [ax.get_ylabel() != "" for ax in figure.axes] == [i % 6 == 0 for i in range(36)]
    pixels = matplotlib.image.imread(str(path))
    assert pixels.shape[:2] == (480, 560)  # 7 x 6 inches at 80 dots an inch
    assert np.unique(pixels.reshape(-1, pixels.shape[2]), axis=0).shape[0] > 10


def test_the_pictures_show_the_designs_own_figures():
    s = vx.sensory(6, 12, 3, seed=2, orders=True, passes=2)
    n = s.incidence.to_numpy()
    concurrence = _plots.concurrence(s.incidence)
    # Replications on the diagonal, judges tasting both off it, by brute force.
    for i in range(6):
        for j in range(6):
            assert concurrence[i, j] == sum(1 for judge in n if judge[i] and judge[j])
    counts = _plots.position_counts(s.orders, 6)
    assert counts.sum(axis=0).tolist() == [12, 12, 12] and counts.sum(axis=1).tolist() == n.sum(axis=0).tolist()
    coded = _plots.effects_coded(pd.DataFrame({"a": [1, 2, 3, 3], "b": [1, 2, 1, 2]}))
    assert coded.to_dict("list") == {"a.1": [1, 0, -1, -1], "a.2": [0, 1, -1, -1], "b": [1, -1, 1, -1]}
    r = _plots.correlations(pd.DataFrame({"x": [1.0, 2, 3, 4], "y": [2.0, 4, 6, 8.5], "k": [1.0, 1, 1, 1]}))
    assert r[0, 1] == pytest.approx(np.corrcoef([1, 2, 3, 4], [2, 4, 6, 8.5])[0, 1])
    assert r[2].tolist() == [0, 0, 0]


def test_matplotlib_waits_for_the_first_picture():
    import subprocess
    import sys

    code = "import sys, vornexdo1m as vx; vx.optimal(levels=[2, 2], runs=4); print('matplotlib' in sys.modules)"
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert done.stdout.strip() == "False", done.stderr
