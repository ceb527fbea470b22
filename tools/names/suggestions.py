#!/usr/bin/env python3
"""Measures the suggested spellings on real names that the dictionary's selection never saw.

The tables are those of heldout.py (harvest.py with --hold-out 10): the dictionary is chosen from
the training table alone by vorlant-build-names, its ranks come from the same table through
vorlant-rank-names, the words and run spellings that the suggestions learn from the table through
vorlant-compound-names, and the suggestions are made by the program's own code (vorlant-suggest-
names). The held-out names are the mixed-case spellings that at least --min-projects set-aside
packages use, as heldout.py takes them. A file is taken to arrive in lower case (the case that
tells nothing): a name the dictionary knows ends right when the dictionary spells it exactly so;
an unknown one when its suggestion is exactly the real spelling.

Usage:
  python3 tools/names/suggestions.py --training /tmp/training.tsv --held-out /tmp/held-out.tsv \\
      --tools build/tools/names
"""

import argparse
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
from heldout import read_rows, read_table  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--training", required=True)
    parser.add_argument("--held-out", required=True)
    parser.add_argument("--tools", required=True, help="the folder of the built name tools")
    parser.add_argument("--seed", default=os.path.join(ROOT, "data", "names.seed.txt"))
    parser.add_argument("--min-projects", type=int, default=2)
    args = parser.parse_args()

    held_out = [(s, p) for s, p in read_table(args.held_out)
                if p >= args.min_projects and any(c.islower() for c in s)
                and any(c.isupper() for c in s)]
    if not held_out:
        sys.exit("suggestions: no held-out names")

    tool = lambda name: os.path.join(args.tools, name)  # noqa: E731
    with tempfile.TemporaryDirectory() as tmp:
        names = os.path.join(tmp, "names.txt")
        ranks = os.path.join(tmp, "ranks.txt")
        subprocess.run([tool("vorlant-build-names"), args.seed, args.training, names],
                       check=True, stderr=subprocess.DEVNULL)
        subprocess.run([tool("vorlant-rank-names"), names, args.training, ranks], check=True)
        words = os.path.join(tmp, "words.txt")
        runs = os.path.join(tmp, "runs.txt")
        subprocess.run([tool("vorlant-compound-names"), names, args.training, words, runs],
                       check=True)
        rows = read_rows(names)
        by_key = {r.upper(): r for r in rows}
        unknown = [(s, p) for s, p in held_out if s.upper() not in by_key]
        given = "".join(s.lower() + "\n" for s, _ in unknown)
        answer = subprocess.run([tool("vorlant-suggest-names"), names, ranks, words, runs],
                                input=given,
                                capture_output=True, check=True, text=True).stdout
    suggestions = answer.split("\n")[:len(unknown)]

    n = len(held_out)
    known_exact = sum(1 for s, _ in held_out if by_key.get(s.upper()) == s)
    offered = sum(1 for x in suggestions if x)
    exact = sum(1 for (s, _), x in zip(unknown, suggestions) if x == s)
    weight = sum(p for _, p in held_out)
    known_exact_w = sum(p for s, p in held_out if by_key.get(s.upper()) == s)
    exact_w = sum(p for (s, p), x in zip(unknown, suggestions) if x == s)

    def pct(a, b):
        return f"{100.0 * a / b:.1f} %" if b else "-"

    print(f"{n} held-out mixed-case names used by at least {args.min_projects} set-aside "
          f"packages; the dictionary ({len(rows)} rows) knows {n - len(unknown)}")
    print(f"unknown names with a suggestion: {offered} of {len(unknown)} ({pct(offered, len(unknown))})")
    print(f"suggestions exactly the real spelling: {exact} of {offered} ({pct(exact, offered)})")
    print(f"names ending exactly right, by the dictionary or a suggestion: "
          f"{known_exact + exact} of {n} ({pct(known_exact + exact, n)}); by the dictionary "
          f"alone {pct(known_exact, n)}")
    print(f"the same weighted by packages: {pct(known_exact_w + exact_w, weight)} "
          f"(dictionary alone {pct(known_exact_w, weight)})")
    wrong = [(s, x) for (s, _), x in zip(unknown, suggestions) if x and x != s]
    print("some suggestions that are not the real spelling (real → suggested): "
          + ", ".join(f"{s} → {x}" for s, x in wrong[:25]))


if __name__ == "__main__":
    main()
