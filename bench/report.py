#!/usr/bin/env python3
"""Turns the files that bench/run.sh leaves in its results folder into the
Markdown tables of bench/README.md."""
import json
import os
import sys

PEERS = ["jdupes", "fdupes", "rmlint", "rdfind"]
TOOLS = ["parvik-cli"] + PEERS


def read(results, name, default=None):
    path = os.path.join(results, name)
    if not os.path.exists(path):
        return default
    with open(path, "rb") as f:
        return f.read().decode("utf-8", "replace").strip()


def medians(results, name):
    with open(os.path.join(results, name)) as f:
        return {r["command"]: r["median"] for r in json.load(f)["results"]}


def groups(results, label):
    text = read(results, label + ".groups", "")
    lines = [line for line in text.split("\n") if line]
    return lines, sum(len(line.split("\t")) for line in lines)


def mib(value):
    return float(value) / (1 << 20)


def set_table(results, name):
    times = medians(results, name + ".json")
    tools = TOOLS + [t for t in ["parvik-before"] if t in times]
    rss = {t: int(read(results, "%s.%s.rss" % (name, t)).split()[-1]) * 1024 for t in tools}
    rchar = {t: int(read(results, "%s.%s.rchar" % (name, t))) for t in tools}
    reference, _ = groups(results, name + ".parvik-cli")
    fastest = min(PEERS, key=lambda t: times[t])
    hungriest = max(PEERS, key=lambda t: rss[t])
    candidates = int(read(results, name + ".candidates", "0"))
    out = ["### %s" % name, "",
           "Fastest peer: %s; hungriest peer: %s; candidate files (sharing their size): %.1f MiB." % (
               fastest, hungriest, mib(candidates)), "",
           "| tool | median wall s | × fastest peer | peak RSS MiB | × hungriest peer "
           "| read MiB | × fastest peer | × candidate bytes | exit | same groups |",
           "|---|---:|---:|---:|---:|---:|---:|---:|---:|---|"]
    for t in tools:
        found, files = groups(results, "%s.%s" % (name, t))
        same = "yes" if found == reference else "NO"
        status = read(results, "%s.%s.status" % (name, t))
        if status == "137":  # killed by the time limit: its groups are incomplete
            status, same = "killed at the limit", "-"
        out.append("| %s | %.3f | %.2f | %.1f | %.2f | %.1f | %.2f | %s | %s | %s (%d groups, %d files) |" % (
            t, times[t], times[t] / times[fastest], mib(rss[t]), rss[t] / rss[hungriest],
            mib(rchar[t]), rchar[t] / max(rchar[fastest], 1),
            "%.3f" % (rchar[t] / candidates) if candidates else "-", status, same, len(found), files))
    return out


def wine_table(results):
    times = medians(results, "wine.json")
    rows = [("parvik-cli (native)", "wine.native"), ("parvik-cli.exe (Wine)", "wine.exe"),
            ("Wine start alone (--help)", "wine.start")]
    native, _ = groups(results, "wine.native")
    exe, files = groups(results, "wine.exe")
    out = ["### Windows build under Wine (small set)", "",
           "| run | median wall s | peak RSS MiB | read MiB |", "|---|---:|---:|---:|"]
    for title, label in rows:
        out.append("| %s | %.3f | %.1f | %.1f |" % (
            title, times[title], mib(int(read(results, label + ".rss").split()[-1]) * 1024),
            mib(int(read(results, label + ".rchar")))))
    out += ["", "Groups of the Wine run equal the native run's: %s (%d groups, %d files)." % (
        "yes" if native == exe else "NO", len(exe), files)]
    runs = [line.split() for line in read(results, "window.runs", "").split("\n") if "ms," in line]
    if runs:
        ms = sorted(float(r[0]) for r in runs)
        out += ["", "The window (Parvik.exe under the same Wine, Start clicked from outside until "
                "the button reads Start again), %d runs: median %.3f s, %.2f× the console "
                "build; rows %s; peak working set %s KiB." % (
                    len(ms), ms[len(ms) // 2] / 1000,
                    ms[len(ms) // 2] / 1000 / times["parvik-cli.exe (Wine)"],
                    "/".join(sorted(set(r[2] for r in runs))),
                    "/".join(r[5] for r in runs))]
    return out


def memory_table(results):
    kind = read(results, "wine.kind", "?")
    out = ["### 32-bit memory cases", "",
           "Runs: parvik-cli.exe under Wine (%s build); the native build; the native build "
           "with its address space limited to 2 GiB (`ulimit -v`), as a 32-bit process "
           "without large-address-awareness has." % kind, "",
           "| case | run | exit | peak RSS MiB | groups | messages on stderr |",
           "|---|---|---:|---:|---:|---|"]
    for case in ["photos", "identical", "late", "million"]:
        for title, label in [("Wine", "w32." + case), ("native", "native." + case),
                             ("native, 2 GiB", "limited." + case)]:
            if read(results, label + ".rss") is None:
                continue
            found, files = groups(results, label) if read(results, label + ".groups") else ([], 0)
            err = read(results, label + ".err", "").replace("\n", " / ") or "none"
            out.append("| %s | %s | %s | %.1f | %d (%d files) | %s |" % (
                case, title, read(results, label + ".status"),
                mib(int(read(results, label + ".rss").split()[-1]) * 1024),
                len(found), files, err))
    return out


def main():
    results = sys.argv[1]
    lines = []
    for name in ["small", "large", "samesize", "many", "runsize", "runpairs", "copies", "deep"]:
        if os.path.exists(os.path.join(results, name + ".json")):
            lines += set_table(results, name) + [""]
    if os.path.exists(os.path.join(results, "wine.json")):
        lines += wine_table(results) + [""] + memory_table(results) + [""]
    print("\n".join(lines))


if __name__ == "__main__":
    main()
