"""vornexdo1m: designed experiments on the VORNEXDO1M library, as pandas tables.

Every function returns a Design: .table (a DataFrame, one run a row, the
columns vxdoe prints), .summary (vxdoe's JSON summary), .seed, .to_csv(),
.to_json() and .plot(path=None). Input vxdoe refuses raises ValueError with
vxdoe's reason; a job that cannot start raises Refused, which carries the
library's code. Searches release the GIL, keep `seconds`, and stop waiting
on Ctrl-C (the search then ends within its budget, its answer dropped).

    import vornexdo1m as vx
    d = vx.optimal(levels=[3, 3, 2, 2], runs=12, seed=1)
    d.table, d.summary["D"]
"""
from ._design import Design
from ._factorial import closest_arrays, counts, evaluate, optimal, orthogonal_array, screening
from ._run import Refused
from ._sensory import orders, resolve, sensory
from ._surfaces import desirability, mixture, mixture_model, rsm

__version__ = "1.0"
__all__ = ["Design", "Refused", "closest_arrays", "counts", "desirability", "evaluate", "mixture", "mixture_model",
           "optimal", "orders", "orthogonal_array", "resolve", "rsm", "screening", "sensory"]
