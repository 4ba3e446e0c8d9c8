"""Pictures of a design, drawn with plain matplotlib (imported only here)."""
from __future__ import annotations

from typing import Any

import numpy as np
import pandas as pd


def incidence_from_orders(orders: pd.DataFrame, products: int | None = None) -> pd.DataFrame:
    """Judges x products (1: tastes it) from presentation orders; `products`
    counts the products no judge tastes too."""
    positions = orders[[c for c in orders.columns if c.startswith("position_")]].to_numpy(dtype=int)
    served = int(positions.max()) if positions.size else 0
    products = max(served, products or 0)
    cells = np.zeros((len(orders), products), dtype=int)
    for judge, served in enumerate(positions):
        cells[judge, served - 1] = 1
    return pd.DataFrame(cells, index=orders["judge"].to_numpy(),
                        columns=[f"product_{p + 1}" for p in range(products)]).rename_axis("judge")


def concurrence(incidence: pd.DataFrame) -> np.ndarray:
    """Products x products: how many judges taste both (the diagonal: each one's replication)."""
    n = incidence.to_numpy(dtype=int)
    return n.T @ n


def position_counts(orders: pd.DataFrame, products: int) -> np.ndarray:
    """Products x positions: how often each product is served at each position."""
    positions = orders[[c for c in orders.columns if c.startswith("position_")]].to_numpy(dtype=int)
    counts = np.zeros((products, positions.shape[1]), dtype=int)
    for at in range(positions.shape[1]):
        for product in positions[:, at]:
            counts[product - 1, at] += 1
    return counts


def effects_coded(table: pd.DataFrame) -> pd.DataFrame:
    """The main-effect columns of a plan of levels 1..s: s - 1 columns a factor, the last level at -1."""
    columns = {}
    for name in table.columns:
        levels = table[name].to_numpy(dtype=int)
        s = int(levels.max())
        for j in range(1, s):
            column = np.where(levels == j, 1.0, 0.0) - np.where(levels == s, 1.0, 0.0)
            columns[name if s == 2 else f"{name}.{j}"] = column
    return pd.DataFrame(columns)


def model_columns(table: pd.DataFrame) -> pd.DataFrame:
    """Numeric columns as they are, categorical ones as dummies (all but the first level)."""
    numeric = table.select_dtypes(include="number")
    text = table.drop(columns=numeric.columns)
    if text.empty:
        return numeric.astype(float)
    return pd.concat([numeric.astype(float), pd.get_dummies(text, drop_first=True).astype(float)], axis=1)


def correlations(columns: pd.DataFrame) -> np.ndarray:
    """Pearson correlations of the columns; 0 where a column is constant."""
    x = columns.to_numpy(dtype=float)
    x = x - x.mean(axis=0)
    norms = np.sqrt((x * x).sum(axis=0))
    safe = np.where(norms > 0, norms, 1.0)
    r = (x.T @ x) / np.outer(safe, safe)
    r[norms == 0, :] = 0.0
    r[:, norms == 0] = 0.0
    return r


def _heat(ax: Any, cells: np.ndarray, labels_x: list[str], labels_y: list[str], title: str, **style: Any) -> None:
    image = ax.imshow(cells, **style)
    ax.set_xticks(range(len(labels_x)), labels_x, rotation=90, fontsize=7)
    ax.set_yticks(range(len(labels_y)), labels_y, fontsize=7)
    ax.set_title(title)
    ax.figure.colorbar(image, ax=ax)


def _simplex(ax: Any, table: pd.DataFrame) -> None:
    x = table.to_numpy(dtype=float)
    x = x / x.sum(axis=1, keepdims=True)
    # Corners of an equilateral triangle; a blend is the weighted mean of them.
    corners = np.array([[0.0, 0.0], [1.0, 0.0], [0.5, np.sqrt(3) / 2]])
    points = x @ corners
    ax.plot(*np.vstack([corners, corners[:1]]).T, color="black", linewidth=1)
    ax.scatter(points[:, 0], points[:, 1], s=30)
    for name, corner, shift in zip(table.columns, corners, [(-0.05, -0.05), (0.02, -0.05), (-0.02, 0.03)]):
        ax.annotate(name, corner, xytext=corner + np.array(shift))
    ax.set_aspect("equal")
    ax.set_axis_off()


def _pairs(figure: Any, table: pd.DataFrame) -> None:
    numeric = table.select_dtypes(include="number").iloc[:, :6]
    k = max(1, numeric.shape[1])
    axes = figure.subplots(k, k, squeeze=False)
    for i in range(k):
        for j in range(k):
            ax = axes[i][j]
            if numeric.shape[1] == 0:
                ax.text(0.5, 0.5, "no numeric column", ha="center")
            elif i == j:
                ax.hist(numeric.iloc[:, i], bins=10)
            else:
                ax.scatter(numeric.iloc[:, j], numeric.iloc[:, i], s=8)
            if i == k - 1 and numeric.shape[1]:
                ax.set_xlabel(numeric.columns[j], fontsize=7)
            if j == 0 and numeric.shape[1]:
                ax.set_ylabel(numeric.columns[i], fontsize=7)


def draw(design: Any, path: str | None) -> Any:
    import matplotlib

    if path is not None:
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure = plt.figure(figsize=(7, 6))
    if design.kind == "sensory":
        incidence = design.incidence
        labels = [str(c) for c in incidence.columns]
        if design.orders is not None:
            left, right = figure.subplots(1, 2)
            _heat(left, concurrence(incidence), labels, labels, "concurrence", cmap="viridis")
            counts = position_counts(design.orders, incidence.shape[1])
            _heat(right, counts, [str(p + 1) for p in range(counts.shape[1])], labels, "positions", cmap="viridis")
        else:
            _heat(figure.subplots(), concurrence(incidence), labels, labels, "concurrence", cmap="viridis")
    elif design.kind in ("levels", "factors"):
        columns = effects_coded(design.table) if design.kind == "levels" else model_columns(design.table)
        labels = [str(c) for c in columns.columns]
        _heat(figure.subplots(), correlations(columns), labels, labels, "correlations of the model columns",
              cmap="RdBu_r", vmin=-1, vmax=1)
    elif design.kind == "mixture" and design.table.shape[1] == 3:
        _simplex(figure.subplots(), design.table)
    else:
        _pairs(figure, design.table)
    figure.tight_layout()
    if path is not None:
        figure.savefig(path, format="png", dpi=80)
        plt.close(figure)
    return figure
