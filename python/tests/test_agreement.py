"""Every function returns what vxdoe returns for the same words and seed:
the table byte for byte as CSV, the summary key for key, the seed."""
from __future__ import annotations

import pandas as pd
import pytest
from conftest import EXAMPLES

import vornexdo1m as vx

# (what Python calls, the words vxdoe gets for the same design)
CASES = [
    (lambda: vx.optimal(levels=[3, 3, 2, 2], runs=12, seed=1), "optimal --levels 3,3,2,2 --runs 12 --seed 1"),
    (lambda: vx.optimal([2, 3, 4], 10, seed=7, start="random", no_catalogue=True, perturb=2),
     "optimal --levels 2,3,4 --runs 10 --seed 7 --start random --no-catalogue --perturb 2"),
    (lambda: vx.optimal(factors={"temp": (150, 200), "time": (10, 30), "cat": ["a", "b", "c"]},
                        model="quadratic", runs=20, optimality="I", seed=1, starts=6),
     "optimal --factor temp=150:200 --factor time=10:30 --factor cat=a|b|c --model quadratic --runs 20 "
     "--optimality I --seed 1 --starts 6"),
    (lambda: vx.optimal(factors={"x": (0, 1), "y": (0, 1, 3)}, model=["x", "y", "x*y"], runs=8, seed=3, starts=4,
                        constraints="x + y <= 1.5", blocks=[4, 4]),
     "optimal --factor x=0:1 --factor y=0:1/3 --model x+y+x*y --runs 8 --seed 3 --starts 4 "
     "--constraint x+y<=1.5 --block-sizes 4,4"),
    (lambda: vx.orthogonal_array(levels=[2] * 7, runs=8), "ortho --levels 2^7 --min-runs 8"),
    (lambda: vx.orthogonal_array(entry=40, names=None), "ortho --entry 40"),
    (lambda: vx.closest_arrays([3, 3, 2], runs=18), "ortho --levels 3,3,2 --list --runs 18"),
    (lambda: vx.rsm("ccd", factors=3, centers=6, seed=1), "rsm --design ccd --factors 3 --centers 6 --seed 1"),
    (lambda: vx.rsm("bbd", 3, random=True, seed=5, low=[10, 0, 1], high=[20, 5, 2], names=["a", "b", "c"]),
     "rsm --design bbd --factors 3 --random --seed 5 --min 10,0,1 --max 20,5,2 --names a,b,c"),
    (lambda: vx.mixture("lattice", components=3, degree=3), "mixture --design lattice --components 3 --degree 3"),
    (lambda: vx.mixture("augmented", 4, lower=[0.1, 0.1, 0, 0], total=50),
     "mixture --design augmented --components 4 --lower 0.1,0.1,0,0 --total 50"),
    (lambda: vx.mixture_model(3, degree=3, type="special"), "mixture-model --components 3 --degree 3 --type special"),
    (lambda: vx.sensory(products=8, judges=24, per_judge=4, seed=1), "sensory --products 8 --judges 24 --per-judge 4 --seed 1"),
    (lambda: vx.sensory(6, 12, 3, seed=2, orders=True, passes=2),
     "sensory --products 6 --judges 12 --per-judge 3 --seed 2 --orders --passes 2"),
    (lambda: vx.orders(4, 8, 4, seed=2, passes=2), "orders --products 4 --judges 8 --per-judge 4 --seed 2 --passes 2"),
    (lambda: vx.resolve(3, 6, 2, seed=1), "resolve --products 3 --judges 6 --per-judge 2 --seed 1"),
    (lambda: vx.screening([2, 3], replicates=2, random=True, seed=3),
     "screening --levels 2,3 --replicates 2 --random --seed 3"),
    (lambda: vx.counts([3, 3, 2]), "counts --levels 3,3,2"),
]


@pytest.mark.parametrize("call,line", CASES, ids=[line.split(" --")[0] + str(i) for i, (_, line) in enumerate(CASES)])
def test_every_function_returns_what_vxdoe_returns(cli, call, line):
    words = line.split()
    design = call()
    assert design.to_csv() == cli.csv(*words)
    answer = cli.json(*words)
    assert design.summary == answer["summary"]
    assert design.seed == answer["seed"]
    assert list(design.table.columns) == answer["columns"]
    assert design.table.shape == (len(answer["rows"]), len(answer["columns"]))


def test_desirability_reads_the_goals_and_observations_as_the_example_file_holds_them(cli):
    goals = {"yield": {"goal": "maximize", "lower": 60, "target": 85, "weight": 2},
             "cost": {"goal": "minimize", "target": 10, "upper": 30, "weight": 1},
             "viscosity": {"goal": "target", "lower": 40, "target": (48, 52), "upper": 60, "weight": 1}}
    observations = pd.DataFrame({"yield": [72, 88, 65, 91, 58, 80], "cost": [14, 26, 8, 12, 9, float("nan")],
                                 "viscosity": [50, 45, 58, 49, 50, 51]}, index=[f"run {i}" for i in range(1, 7)])
    d = vx.desirability(observations, goals)
    assert d.to_csv() == cli.csv("desirability", "--file", str(EXAMPLES / "desirability.csv"))
    # The same goals as a table with a response a column, as the file lays them out.
    assert vx.desirability(observations, pd.DataFrame(goals)).to_csv() == d.to_csv()
    # A plain array: a response a column, in the goals' order, the observations numbered.
    plain = vx.desirability(observations.to_numpy().tolist(), goals).table
    assert plain.drop(columns="observation").equals(d.table.drop(columns="observation"))


def test_evaluate_scores_a_plan_as_vxdoe_evaluate_does(cli, tmp_path):
    plan = vx.optimal(levels=[3, 2, 2], runs=8, seed=4)
    path = tmp_path / "plan.csv"
    path.write_text(plan.to_csv())
    reference = cli.json("optimal", "--levels", "3,2,2", "--model", "interactions", "--evaluate", str(path))
    assert vx.evaluate(plan, model="interactions").summary == reference["summary"]
    # The same plan as a bare DataFrame: its levels are read off the columns.
    assert vx.evaluate(plan.table.copy(), model="interactions").summary == reference["summary"]
    model = vx.optimal(factors={"u": (-1, 1), "w": ["p", "q"]}, model="interactions", runs=6, seed=2, starts=3)
    path.write_text(model.to_csv())
    scored = cli.json("optimal", "--factor", "u=-1:1", "--factor", "w=p|q", "--model", "interactions",
                      "--evaluate", str(path))
    assert vx.evaluate(model, model="interactions").summary == scored["summary"]


def test_evaluate_reads_a_one_factor_plan(cli, tmp_path):
    path = tmp_path / "plan.csv"
    path.write_text("X1\n1\n2\n3\n")
    reference = cli.json("optimal", "--levels", "3", "--evaluate", str(path))
    assert vx.evaluate(pd.DataFrame({"X1": [1, 2, 3]})).summary == reference["summary"]
    with pytest.raises(ValueError, match="no runs"):
        vx.evaluate(pd.DataFrame({"X1": []}))


def test_tables_have_the_types_a_reader_expects():
    levels = vx.optimal(levels=[3, 2], runs=6, seed=1).table
    assert all(str(t) == "int64" for t in levels.dtypes)
    model = vx.optimal(factors={"t": (0.0, 1.0), "c": ["a", "b"]}, runs=4, seed=1, starts=2).table
    assert model["t"].dtype.kind == "f" and model["c"].dtype == object
    # Level names may hold a colon and stay names.
    named = vx.optimal(factors={"t": (0, 1), "c": ["a:1", "b:2"]}, runs=4, seed=1, starts=2).table
    assert set(named["c"]) == {"a:1", "b:2"} and named["t"].dtype.kind == "f"
    s = vx.sensory(6, 12, 3, seed=2, orders=True, passes=2)
    assert s.incidence.shape == (12, 6) and s.orders.shape == (12, 3)
    # Each judge tastes what its order serves, once each.
    for judge, served in s.orders.iterrows():
        assert sorted(served) == sorted(int(c.split("_")[1]) for c in s.incidence.columns[s.incidence.loc[judge] == 1])
    # A product no judge tastes keeps its column of zeros.
    sparse = vx.orders(5, 1, 2, seed=1, passes=1)
    assert sparse.incidence.shape == (1, 5) and sparse.incidence.to_numpy().sum() == 2
