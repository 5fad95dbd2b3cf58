#!/usr/bin/env python3
"""Prints the duplicate groups of one tool's output in one canonical form:
each group's paths sorted, one group per line (paths joined by a tab), the
groups sorted. Two tools agree when these lines are equal.

groups.py parvik FILE   rows of parvik-cli (Windows paths "Z:\\..." mapped to /...)
groups.py fdupes FILE   blank-line separated blocks (fdupes, jdupes, rmlint -o fdupes)
groups.py rdfind FILE   rdfind's results file (groups by the number of the first file)
"""
import os
import sys


def unix_path(path):
    if len(path) > 2 and path[1] == ":" and path[2] == "\\":
        path = path[2:].replace("\\", "/")
    return os.path.normpath(path)


def parvik_path(line):
    """The path of a file row; None for a text row, which ends a group."""
    if not line.startswith("file:"):
        return None
    return unix_path(line[5:].split("    create:", 1)[0])


def block_path(line):
    """The path on a line of a block; None for the blank line between blocks."""
    return os.path.normpath(line) if line.strip() else None


def collect_groups(lines, path_of):
    groups, current = [], []
    for line in lines:
        path = path_of(line)
        if path is not None:
            current.append(path)
        elif current:
            groups.append(current)
            current = []
    if current:
        groups.append(current)
    return groups


def rdfind_groups(lines):
    """Lines "duptype id depth size device inode priority name"; a file and its
    duplicates share the id, negative for the duplicates."""
    groups = {}
    for line in lines:
        if line.startswith("#") or not line.strip():
            continue
        fields = line.split(" ", 7)
        groups.setdefault(abs(int(fields[1])), []).append(os.path.normpath(fields[7]))
    return [g for g in groups.values() if len(g) > 1]


def main():
    kind, name = sys.argv[1], sys.argv[2]
    with open(name, "rb") as f:
        lines = f.read().decode("utf-8", "surrogateescape").splitlines()
    if kind == "rdfind":
        groups = rdfind_groups(lines)
    else:
        groups = collect_groups(lines, parvik_path if kind == "parvik" else block_path)
    canonical = sorted("\t".join(sorted(g)) for g in groups)
    out = sys.stdout.buffer
    for line in canonical:
        out.write(line.encode("utf-8", "surrogateescape") + b"\n")


if __name__ == "__main__":
    main()
