#!/usr/bin/env python3
"""Turns the figures of every benchmark into one table.

  report.py gbench NAME FILE.json >> ROWS   rows from a Google Benchmark JSON report
  report.py table ROWS                      prints the table of all rows

A row is one line of tab-separated fields:
  figure, ours, anchor name, anchor, unit, goal
where the ratio is ours / anchor and the goal bounds that ratio ("<= 1.15"); a figure that has
no anchor leaves the anchor fields empty, and its goal (if any) bounds ours itself.
"""
import json
import sys


def real_time(benchmarks, name):
    """The real time of one benchmark run (or of one aggregate) in its own unit."""
    for b in benchmarks:
        if b.get("name") == name:
            return float(b["real_time"]), b.get("time_unit", "ns")
    raise SystemExit("report.py: no benchmark named %s" % name)


def gbench_rows(kind, path):
    with open(path) as f:
        benchmarks = json.load(f)["benchmarks"]
    rows = []
    if kind == "text":
        memmem, unit = real_time(benchmarks, "BM_Memmem")
        for name, figure in (("BM_FindText", "FindText, 64 MiB, marker at the end"),
                             ("BM_TextBetween", "TextBetween, 64 MiB, markers at the end"),
                             ("BM_FindTextAllSecondBytesAt",
                              "FindText, 64 MiB of 81 40 characters")):
            ours, _ = real_time(benchmarks, name)
            rows.append((figure, ours, "memmem", memmem, unit, ""))
    elif kind == "cookies":
        # Linear growth keeps the time per cookie flat: at 16 times the cookies the time per
        # cookie may at most double (a quadratic cost would make it 16 times).
        for name, figure in (("CollectCookies", "collect 20,000 cookies, per cookie"),
                             ("CollectAndMergeCookies", "collect and merge 20,000, per cookie")):
            large, unit = real_time(benchmarks, name + "/20000")
            small, _ = real_time(benchmarks, name + "/1250")
            rows.append((figure, large / 20000, "the same at 1,250", small / 1250,
                         unit + "/cookie", "<= 2"))
    else:
        raise SystemExit("report.py: unknown kind %s" % kind)
    for row in rows:
        print("\t".join(str(field) for field in row))


def number(text):
    value = float(text)
    return ("%.3g" % value) if abs(value) < 1000 else ("%.0f" % value)


def met(goal, value):
    if not goal:
        return ""
    op, bound = goal.split()
    bound = float(bound)
    ok = value <= bound if op == "<=" else value >= bound
    return "met" if ok else "NOT met"


def table(path):
    rows = []
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if line:
                rows.append(line.split("\t"))
    header = ("figure", "linkgrab", "anchor", "anchor value", "unit", "ratio", "goal", "")
    out = []
    for figure, ours, anchor, anchor_value, unit, goal in rows:
        if anchor_value:
            ratio = float(ours) / float(anchor_value)
            out.append((figure, number(ours), anchor, number(anchor_value), unit,
                        "%.2f" % ratio, goal, met(goal, ratio)))
        else:
            out.append((figure, number(ours), "", "", unit, "", goal, met(goal, float(ours))))
    widths = [max(len(r[i]) for r in out + [header]) for i in range(len(header))]
    for r in [header] + out:
        print("  ".join(r[i].ljust(widths[i]) for i in range(len(header))).rstrip())


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "gbench":
        gbench_rows(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "table":
        table(sys.argv[2])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
