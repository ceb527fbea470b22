#!/usr/bin/env python3
"""Kills the rename pass with SIGKILL at random moments and checks what the next start leaves.

Each trial fills a folder with FILES files (known names in odd letter case, pairs whose styled
names collide, unknown names, files already styled, a file under a temporary name of the user's,
names with a line break and bytes that are not UTF-8), starts the pass, kills it at a random
moment (most trials while it renames, some at any moment of the program's life), runs the start-up recovery, and checks that every file is there exactly
once, with its contents, under its old name or the name an uninterrupted pass gives it, and that
no temporary name is left (but the user's own).

    crash_trials.py DRIVER [--trials N] [--mid-pass N] [--files N] [--seed N] [--folders DIR]

--folders puts the renamed folders in DIR (a mount of another file system); the journals stay in
a temporary folder of their own. --folding: that file system folds letter case.

At least --trials trials are run, and more (up to three times as many) until --mid-pass of the
kills have landed while the pass was renaming.
"""

import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def make_names(count, folding=False):
    """With folding, names that only another one's letter case tells apart are left out: where
    the file system folds case they are one file."""
    names, seen = [], set()
    kinds = [
        lambda i: b"readme-%04d.TXT" % i,       # known core, renamed
        lambda i: b"SETUP-%04d.EXE" % i,        # known core, renamed
        lambda i: b"Install-%04d.DOC" % i,      # collides with the next one
        lambda i: b"INSTALL-%04d.doc" % i,      # its styled name is taken: goes back
        lambda i: b"zqx%04d.TXT" % i,           # unknown core: only the extension
        lambda i: b"ReadMe-%04d.txt" % i,       # already styled: not touched
        lambda i: b"line\nbreak-%04d.HTM" % i,  # a line break in the name
        lambda i: b"caf\xe9-%04d.TXT" % i,      # not UTF-8: never renamed
    ]
    i = 0
    while len(names) < count:
        for kind in kinds:
            name = kind(i)
            if len(names) < count and not (folding and name.upper() in seen):
                names.append(name)
                seen.add(name.upper())
        i += 1
    # The user's own file under the first file's temporary name; where case is folded, in
    # another case, which takes the name all the same.
    names[-1] = own_temp(folding)
    return names


def own_temp(folding):
    return b"README-0000.TXT.TMP" if folding else b"readme-0000.TXT.tmp"


def is_temp(name, folding):
    # The user's own file is styled like any other: its extension may come out lower-cased.
    return name.lower().endswith(b".tmp") and name.upper() != own_temp(folding).upper()


def fill(folder, names):
    for n, name in enumerate(names):
        with open(os.path.join(os.fsencode(folder), name), "wb") as f:
            f.write(b"contents %d of %s\n" % (n, name))
    # A user's files are on disk long before a pass; without this, the journal's first flush
    # would wait for the whole folder to be written and take most of the pass's time.
    os.sync()


def snapshot(folder):
    """contents -> name, for every file of the folder."""
    result = {}
    for name in os.listdir(os.fsencode(folder)):
        with open(os.path.join(os.fsencode(folder), name), "rb") as f:
            data = f.read()
        result.setdefault(data, []).append(name)
    return result


def run(driver, *args):
    return subprocess.run([driver, *args], capture_output=True, check=True, timeout=60).stdout.decode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("driver")
    parser.add_argument("--trials", type=int, default=24, help="trials at least")
    parser.add_argument("--mid-pass", type=int, default=20, help="kills during the renames at least")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--folders", help="where the renamed folders go")
    parser.add_argument("--folding", action="store_true", help="the folders' file system folds case")
    opts = parser.parse_args()
    rng = random.Random(opts.seed)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    work = tempfile.mkdtemp(prefix="vorlant-crash-")
    place = opts.folders or work
    names = make_names(opts.files, opts.folding)
    try:
        # Uninterrupted passes give every file its new name, and the time the renames take (the
        # shortest of three, so that the kills land inside the pass).
        durations, lives = [], []
        for run_number in range(3):
            folder = os.path.join(place, "calibrate%d" % run_number)
            journals = os.path.join(work, "calibrate%d-journals" % run_number)
            os.mkdir(folder)
            fill(folder, names)
            spawned = time.monotonic()
            proc = subprocess.Popen([opts.driver, "pass", folder, journals], stdout=subprocess.PIPE, env=env)
            proc.stdout.readline()
            started = time.monotonic()
            proc.stdout.readline()
            durations.append(time.monotonic() - started)
            proc.wait(timeout=60)
            lives.append(time.monotonic() - spawned)
            final = {data: where[0] for data, where in snapshot(folder).items()}
            shutil.rmtree(folder)
            shutil.rmtree(journals)
        duration, life = min(durations), min(lives)

        stats = dict(killed=0, in_flight=0, lost=0, temps_left=0, misplaced=0, duplicated=0)
        trial = -1
        while trial + 1 < opts.trials or (stats["killed"] < opts.mid_pass and trial + 1 < 3 * opts.trials):
            trial += 1
            folder = os.path.join(place, "t%d" % trial)
            journals = os.path.join(work, "t%d-journals" % trial)
            os.mkdir(folder)
            fill(folder, names)
            spawned = time.monotonic()
            proc = subprocess.Popen([opts.driver, "pass", folder, journals], stdout=subprocess.PIPE, env=env)
            if trial % 5 == 4:
                # Anywhere from the start of the program, planning and journal writing included.
                time.sleep(rng.uniform(0, life * 1.1))
            else:
                proc.stdout.readline()  # the renames begin
                time.sleep(rng.uniform(0, duration * 0.9))
            finished_first = proc.poll() is not None
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            if os.environ.get("CRASH_DEBUG"):
                print(trial, finished_first, (time.monotonic() - spawned) * 1000,
                      os.listdir(journals) if os.path.isdir(journals) else None, file=sys.stderr)
            if os.path.isdir(journals) and any(j.endswith(".open") for j in os.listdir(journals)):
                stats["killed"] += 1
            stats["in_flight"] += sum(1 for n in os.listdir(os.fsencode(folder)) if is_temp(n, opts.folding))

            run(opts.driver, "recover", journals)  # what the next start does

            after = snapshot(folder)
            for n, name in enumerate(names):
                data = b"contents %d of %s\n" % (n, name)
                where = after.get(data, [])
                if not where:
                    stats["lost"] += 1
                elif len(where) > 1:
                    stats["duplicated"] += 1
                elif where[0] not in (name, final[data]):
                    stats["misplaced"] += 1
                    print("trial %d: %r is under %r" % (trial, name, where[0]), file=sys.stderr)
            left = [n for n in os.listdir(os.fsencode(folder)) if is_temp(n, opts.folding)]
            if left:
                print("trial %d: left under temporary names: %r" % (trial, left[:5]), file=sys.stderr)
            stats["temps_left"] += len(left)
            if sum(len(w) for w in after.values()) != len(names):
                stats["lost"] += 1
            shutil.rmtree(folder)
            shutil.rmtree(journals, ignore_errors=True)

        print("seed %d: trials %d, files %d, renames %.0f ms, killed during the pass %d, files caught under "
              "their temporary name %d, lost %d, temporary names left %d, misplaced %d, duplicated %d"
              % (opts.seed, trial + 1, opts.files, duration * 1000, stats["killed"], stats["in_flight"],
                 stats["lost"], stats["temps_left"], stats["misplaced"], stats["duplicated"]))
        bad = stats["lost"] + stats["temps_left"] + stats["misplaced"] + stats["duplicated"]
        return 1 if bad or stats["killed"] < opts.mid_pass else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
