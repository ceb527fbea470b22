#!/usr/bin/env python3
"""Measures the name dictionary on real spellings that its selection never saw.

One Debian source package in ten (by a hash of its name) is set aside. harvest.py, run with
--hold-out 10, ranks the names of the other nine tenths together with the package lists
(training table) and writes the names of the set-aside packages to the held-out table. The
dictionary is then chosen from the training table alone by vorlant-build-names, the same tool
and seed that make data/names.txt.

The held-out names are the mixed-case spellings (an upper-case and a lower-case letter) that at
least --min-projects of the set-aside packages use: names that users meet, spelled as most of
those packages spell them. For each dictionary the script reports the share of these names that
it knows ignoring case, and the share for which its spelling is exactly the held-out one; also
weighted by the number of set-aside packages that use each name.

Usage (the first step needs the archive index, about ten minutes):
  python3 tools/names/harvest.py --only contents,nuget,maven,npm,pypi --hold-out 10 \\
      --out /tmp/training.tsv --held-out-table /tmp/held-out.tsv
  python3 tools/names/heldout.py --training /tmp/training.tsv --held-out /tmp/held-out.tsv \\
      --build-names build/tools/names/vorlant-build-names [--old REV]
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def read_rows(path):
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n") for line in f if line.strip()]


def read_table(path):
    for line in read_rows(path):
        if not line.startswith("#"):
            spelling, projects, _own, _sources = line.split("\t")
            yield spelling, int(projects)


def measure(rows, held_out):
    by_key = {r.upper(): r for r in rows}
    known = exact = known_w = exact_w = total_w = 0
    for spelling, projects in held_out:
        row = by_key.get(spelling.upper())
        total_w += projects
        if row is not None:
            known += 1
            known_w += projects
            if row == spelling:
                exact += 1
                exact_w += projects
    n = len(held_out)
    return (100.0 * known / n, 100.0 * exact / n, 100.0 * known_w / total_w,
            100.0 * exact_w / total_w)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--training", required=True)
    parser.add_argument("--held-out", required=True)
    parser.add_argument("--build-names", required=True)
    parser.add_argument("--seed", default=os.path.join(ROOT, "data", "names.seed.txt"))
    parser.add_argument("--old", default="a67d571",
                        help="the commit whose data/names.txt is the old dictionary")
    parser.add_argument("--min-projects", type=int, default=2)
    args = parser.parse_args()

    held_out = [(s, p) for s, p in read_table(args.held_out)
                if p >= args.min_projects and any(c.islower() for c in s)
                and any(c.isupper() for c in s)]
    if not held_out:
        sys.exit("heldout: no held-out names")

    with tempfile.TemporaryDirectory() as tmp:
        chosen = os.path.join(tmp, "names.txt")
        subprocess.run([args.build_names, args.seed, args.training, chosen], check=True,
                       stderr=subprocess.DEVNULL)
        new_rows = read_rows(chosen)
    old_text = subprocess.run(["git", "-C", ROOT, "show", f"{args.old}:data/names.txt"],
                              capture_output=True, check=True, text=True).stdout
    old_rows = [r for r in old_text.splitlines() if r]

    print(f"{len(held_out)} held-out mixed-case names used by at least {args.min_projects} "
          "set-aside packages")
    print("| dictionary | rows | recognised | exact | recognised, by packages | exact, by packages |")
    print("|---|---|---|---|---|---|")
    for label, rows in (("old (" + args.old + ")", old_rows), ("new, chosen without the "
                                                              "set-aside packages", new_rows)):
        k, e, kw, ew = measure(rows, held_out)
        print(f"| {label} | {len(rows)} | {k:.1f} % | {e:.1f} % | {kw:.1f} % | {ew:.1f} % |")

    shipped = read_rows(os.path.join(ROOT, "data", "names.txt"))
    print("\n30 rows of data/names.txt picked at random (seed 16):")
    print(", ".join(random.Random(16).sample(shipped, 30)))


if __name__ == "__main__":
    main()
