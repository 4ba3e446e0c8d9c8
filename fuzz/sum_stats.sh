#!/usr/bin/env bash
# Adds up the per-process statistics of the fuzz targets: calls made and
# skipped (out of budget) per entry point, then per family file.
# Usage: fuzz/sum_stats.sh STATS_PREFIX...   (the VX_FUZZ_STATS values used)
for prefix in "$@"; do
  cat "$prefix".* 2>/dev/null
done | awk '
  $2 == "absent" { absent[$1] = 1; next }
  { calls[$1] += $2; skipped[$1] += $3; total += $2; out += $3 }
  END {
    printf "%-28s %12s %10s\n", "entry point", "calls", "skipped"
    for (e in calls) printf "%-28s %12d %10d\n", e, calls[e], skipped[e]
    for (e in absent) if (!(e in calls)) printf "%-28s %12s\n", e, "not exported"
    printf "%-28s %12d %10d\n", "total", total, out
  }'
