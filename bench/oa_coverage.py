#!/usr/bin/env python3
"""oa_coverage - how many published strength-2 arrays `vxdoe optimal` returns orthogonal.

    bench/oa_coverage.py --vxdoe build/vxdoe [--max-runs 144] [--children | --grandchildren] [--jsonl FILE]

For every parent of bench/data/oa_parents.txt (and, with --children, every array that one
expansive replacement gives from it) this runs

    vxdoe optimal --levels LEVELS --runs N --seconds 2 --seed 1 --format json

and checks the returned plan here, pair by pair: every column balanced, every two columns
showing each pair of levels equally often. A plan that passes is reached. A plan the program
calls orthogonal (its D at the bound, or a stage naming an orthogonal array) that fails the
check is a false claim, printed loudly, and the script exits with 2. The table gives reached
counts by run range; --jsonl keeps one line per request.

Children: a column of 4 levels becomes three of 2, 8 becomes seven of 2, 9 four of 3, s^2
becomes s + 1 of s, and s*t one of s and one of t (as OA(st, s t) is the full factorial),
applied to one column and to every column of that level count. --grandchildren adds the
children of every child as well (two replacements, nested or side by side).
"""
import argparse, collections, json, os, subprocess, sys, time

RANGES = [("<= 36", 1, 36), ("37-72", 37, 72), ("73-100", 73, 100), ("<= 100", 1, 100), ("101-144", 101, 144)]


def parse_name(name):
    """L72.2.35.4.1.18.1 -> (72, {2: 35, 4: 1, 18: 1})."""
    parts = name[1:].split(".")
    runs, rest = int(parts[0]), list(map(int, parts[1:]))
    pattern = collections.Counter()
    for s, k in zip(rest[0::2], rest[1::2]):
        pattern[s] += k
    return runs, dict(pattern)


def levels_arg(pattern):
    return ",".join(f"{s}^{k}" for s, k in sorted(pattern.items()))


def label(runs, pattern):
    return f"{runs}/" + " ".join(f"{s}^{k}" for s, k in sorted(pattern.items()))


def replacements(s):
    """The level lists one column of s levels may become."""
    out = []
    if s == 4:
        out.append([2] * 3)
    if s == 8:
        out.append([2] * 7)
    r = int(round(s ** 0.5))
    if r * r == s and r > 1 and is_prime_power(r):
        out.append([r] * (r + 1))
    for a in range(2, s):
        if s % a == 0 and a <= s // a and s // a > 1 and [a, s // a] != [2, 2]:
            out.append([a, s // a])
    return out


def is_prime_power(q):
    for p in range(2, q + 1):
        if q % p == 0:
            while q % p == 0:
                q //= p
            return q == 1
    return False


def children(pattern):
    seen = set()
    for s, k in pattern.items():
        for new in replacements(s):
            for times in sorted({1, k}):
                child = collections.Counter(pattern)
                child[s] -= times
                if child[s] == 0:
                    del child[s]
                for t in new:
                    child[t] += times
                key = tuple(sorted(child.items()))
                if key not in seen:
                    seen.add(key)
                    yield dict(child)


def strength_two(rows, levels):
    """Every column balanced over 1..s, every pair of columns balanced over all level pairs."""
    n = len(rows)
    cols = list(zip(*rows)) if rows else []
    if len(cols) != len(levels):
        return False
    for c, s in zip(cols, levels):
        if n % s or collections.Counter(c) != {v: n // s for v in range(1, s + 1)}:
            return False
    for a in range(len(cols)):
        for b in range(a + 1, len(cols)):
            sa, sb = levels[a], levels[b]
            if n % (sa * sb):
                return False
            counts = collections.Counter(zip(cols[a], cols[b]))
            if len(counts) != sa * sb or set(counts.values()) != {n // (sa * sb)}:
                return False
    return True


def run_one(vxdoe, runs, pattern, seconds, timeout):
    levels = [s for s, k in sorted(pattern.items()) for _ in range(k)]
    cmd = [vxdoe, "optimal", "--levels", levels_arg(pattern), "--runs", str(runs), "--seconds", str(seconds),
           "--seed", "1", "--format", "json"]
    start = time.monotonic()
    try:
        p = subprocess.run(cmd, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return {"status": "timeout", "wall": timeout}
    wall = time.monotonic() - start
    if p.returncode != 0:
        return {"status": "error", "wall": wall, "stderr": p.stderr.strip()[-200:]}
    out = json.loads(p.stdout)
    factor_cols = [i for i, c in enumerate(out["columns"]) if c != "run"]
    rows = [[row[i] for i in factor_cols] for row in out["rows"]]
    ok = len(rows) == runs and strength_two(rows, levels)
    summ = out.get("summary", {})
    stage = str(summ.get("stage", ""))
    d, bound = summ.get("D"), summ.get("bound")
    claimed = "orthogonal array" in stage or (d is not None and bound and d >= bound * (1 - 1e-9))
    return {"status": "reached" if ok else ("FALSE CLAIM" if claimed else "missed"), "wall": wall, "stage": stage,
            "ratio": (d / bound) if d is not None and bound else None}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = os.path.dirname(os.path.abspath(__file__))
    ap.add_argument("--vxdoe", default="build/vxdoe")
    ap.add_argument("--parents", default=os.path.join(here, "data", "oa_parents.txt"))
    ap.add_argument("--min-runs", type=int, default=1)
    ap.add_argument("--max-runs", type=int, default=144)
    ap.add_argument("--children", action="store_true", help="also every child by one expansive replacement")
    ap.add_argument("--grandchildren", action="store_true", help="also the children of every child")
    ap.add_argument("--only-children", action="store_true")
    ap.add_argument("--seconds", type=float, default=2.0)
    ap.add_argument("--timeout", type=float, default=60.0)
    ap.add_argument("--jsonl", help="one line per request")
    args = ap.parse_args()

    requests = []  # (kind, runs, pattern)
    seen = set()
    for line in open(args.parents):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        runs, pattern = parse_name(line)
        if not args.min_runs <= runs <= args.max_runs:
            continue
        if not args.only_children:
            requests.append(("parent", runs, pattern))
            seen.add((runs, tuple(sorted(pattern.items()))))
        if args.children or args.grandchildren or args.only_children:
            generation = [pattern]
            for kind in ["child", "grandchild"] if args.grandchildren else ["child"]:
                offspring = []
                for parent in generation:
                    for child in children(parent):
                        key = (runs, tuple(sorted(child.items())))
                        if key not in seen:
                            seen.add(key)
                            requests.append((kind, runs, child))
                        offspring.append(child)  # a child met before still has children of its own here
                generation = offspring

    log = open(args.jsonl, "w") if args.jsonl else None
    tally = collections.defaultdict(lambda: [0, 0])  # (kind, range) -> [reached, total]
    false_claims = 0
    for kind, runs, pattern in requests:
        res = run_one(args.vxdoe, runs, pattern, args.seconds, args.timeout)
        res.update({"kind": kind, "runs": runs, "levels": levels_arg(pattern)})
        reached = res["status"] == "reached"
        false_claims += res["status"] == "FALSE CLAIM"
        for name, lo, hi in RANGES:
            if lo <= runs <= hi:
                tally[(kind, name)][0] += reached
                tally[(kind, name)][1] += 1
        print(f"{kind:10} {label(runs, pattern):40} {res['status']:8} {res['wall']:6.2f} s  {res.get('stage', '')[:70]}",
              flush=True)
        if log:
            log.write(json.dumps(res) + "\n")
            log.flush()
    print()
    for kind in ("parent", "child", "grandchild"):
        if not any(k == kind for k, _ in tally):
            continue
        plural = {"parent": "parents", "child": "children", "grandchild": "grandchildren"}[kind]
        print(f"| runs | {plural} | reached |\n|---|---|---|")
        for name, _, _ in RANGES:
            if (kind, name) in tally:
                r, t = tally[(kind, name)]
                print(f"| {name} | {t} | {r} |")
        print()
    if false_claims:
        print(f"FALSE CLAIMS OF ORTHOGONALITY: {false_claims}")
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
