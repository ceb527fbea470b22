#!/usr/bin/env python3
"""The crash trials on a file system that folds letter case (foldfs.py), where every rename takes
two steps through a temporary name.

    folding_trials.py DRIVER [crash_trials.py options]
"""

import os
import subprocess
import sys
import tempfile

import mounts


def main():
    trials = os.path.join(mounts.HERE, "..", "crash", "crash_trials.py")
    with tempfile.TemporaryDirectory(prefix="vorlant-folding-") as work:
        try:
            with mounts.folding_mount(work) as point:
                # The trials mean nothing unless the mount really folds case.
                probe = os.path.join(point, "probe.TXT")
                open(probe, "w").close()
                if not os.path.exists(os.path.join(point, "PROBE.txt")):
                    print("the folding file system tells case apart", file=sys.stderr)
                    return 1
                os.unlink(probe)
                return subprocess.run([sys.executable, trials, sys.argv[1], "--folders", point, "--folding",
                                       *sys.argv[2:]]).returncode
        except mounts.Unavailable as e:
            mounts.skip(str(e))


if __name__ == "__main__":
    sys.exit(main())
