#!/usr/bin/env python3
"""vorlant-cli and the pass on a real FAT image (mkfs.vfat, mounted with fusefat), where the file
system folds letter case and every rename takes two steps, and the same cases on the test's own
temporary folder, where it tells case apart and every rename is one step.

    fat_test.py VORLANT_CLI CRASH_DRIVER

fusefat itself damages folders of about 80 entries or more, and loses a file when a full disk has
no room in the folder: the folders here hold a few dozen files, and a plain-rename control on the
same image shows that the image itself keeps what it is given. Skipped where nothing can be
mounted.
"""

import os
import random
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import mounts

CLI = DRIVER = None
LONG = b"a" * 251 + b".TXT"  # 255 bytes: no room for ".tmp"

# name before -> name after a pass; the user's files under the temporary names of «readme.TXT»
# take them in another case, and its first spare one too.
CASES = [
    (b"readme.TXT", b"ReadMe.txt"),
    (b"README.TXT.tmp", b"README.TXT.tmp"),
    (b"README.TXT~1.tmp", b"README.TXT~1.tmp"),
    (b"SETUP.EXE", b"Setup.exe"),
    (b"INSTALL", b"Install"),
    (b"zqx.DOC", b"zqx.doc"),
    (b"AutoRun.inf", b"AutoRun.inf"),
    (LONG, b"a" * 251 + b".txt"),
]


def write_files(folder, names):
    os.makedirs(folder)
    for name in names:
        with open(os.path.join(os.fsencode(folder), name), "wb") as f:
            f.write(b"contents of " + name)


def contents(folder):
    """name -> contents of every entry."""
    result = {}
    for name in os.listdir(os.fsencode(folder)):
        with open(os.path.join(os.fsencode(folder), name), "rb") as f:
            result[name] = f.read()
    return result


class Place:
    """Where one kind of file system's cases run, with its own journal folder."""

    def __init__(self, root, home, folding):
        self.root, self.folding = root, folding
        self.env = dict(os.environ, HOME=home, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen",
                        XDG_CONFIG_HOME=os.path.join(home, "config"),
                        XDG_STATE_HOME=os.path.join(home, "state"))
        self.journals = os.path.join(home, "state", "Vorlant")

    def cli(self, *args):
        p = subprocess.run([CLI, *args], capture_output=True, env=self.env, timeout=60)
        return p.returncode, p.stdout.decode(), p.stderr.decode()

    def journal_plans(self):
        """The temporary names in the newest finished journal, and whether it kept to one step."""
        done = sorted(n for n in os.listdir(self.journals) if n.endswith(".done"))
        with open(os.path.join(self.journals, done[-1]), "rb") as f:
            return f.read()


class FoldingCases:
    """The cases, for one Place."""

    place = None

    def folder(self, name):
        return os.path.join(self.place.root, name)

    def test_preview_then_pass_then_undo(self):
        folder = self.folder("pass")
        write_files(folder, [old for old, _ in CASES])
        before = contents(folder)

        code, preview, _ = self.place.cli(folder)
        self.assertEqual(code, 0)
        self.assertEqual(contents(folder), before, "the preview changed the folder")
        code, applied, errors = self.place.cli("-x", folder)
        self.assertEqual(code, 0, errors)
        self.assertEqual(errors, "")
        # The preview said what the pass did, line for line.
        self.assertEqual(preview.replace("будет переименовано", "переименовано"), applied)

        after = contents(folder)
        self.assertEqual(sorted(after), sorted(new for _, new in CASES))
        for old, new in CASES:
            self.assertEqual(after[new], b"contents of " + old)
        journal = self.place.journal_plans()
        if self.place.folding:
            # Two steps: the taken and the too long temporary names gave way to spare ones.
            self.assertIn(b"readme.TXT~2.tmp", journal)
            self.assertIn(b" " + b"a" * 249 + b"~1.tmp ", journal)
        else:
            self.assertIn(b"\nsteps 1\n", journal)
            self.assertNotIn(b"\nS\n", journal)

        code, _, errors = self.place.cli("--undo", folder)
        self.assertEqual(code, 0, errors)
        self.assertEqual(contents(folder), before, "the undo did not bring back every name")

    def test_a_second_pass_renames_nothing(self):
        folder = self.folder("again")
        write_files(folder, [b"readme.TXT", b"setup.EXE"])
        self.place.cli("-x", folder)
        once = contents(folder)
        code, out, errors = self.place.cli("-x", folder)
        self.assertEqual((code, errors), (0, ""))
        self.assertIn("переименовано: 0", out)
        self.assertEqual(contents(folder), once)

    def test_kills_mid_pass_are_recovered(self):
        names = [b"readme-%02d.TXT" % i for i in range(12)] + [b"setup-%02d.EXE" % i for i in range(12)]
        names += [b"README-00.TXT.TMP", b"zqx.DOC"]
        final = {b"readme-%02d.TXT" % i: b"ReadMe-%02d.txt" % i for i in range(12)}
        final.update({b"setup-%02d.EXE" % i: b"Setup-%02d.exe" % i for i in range(12)})
        final.update({b"README-00.TXT.TMP": b"README-00.TXT.tmp", b"zqx.DOC": b"zqx.doc"})
        rng = random.Random(os.environ.get("VORLANT_SEED", time.time()))
        landed = 0
        for trial in range(8):
            folder = self.folder("kill%d" % trial)
            write_files(folder, names)
            # Every record flushed: the pass is slow enough for a kill to land in it.
            proc = subprocess.Popen([DRIVER, "pass", folder, self.place.journals, "0"],
                                    stdout=subprocess.PIPE, env=self.place.env)
            proc.stdout.readline()  # the renames begin
            time.sleep(rng.uniform(0, 0.05))
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            proc.stdout.close()
            if any(n.endswith(".open") for n in os.listdir(self.place.journals)):
                landed += 1
            # The next start: every other trial through the command line's own pass, which
            # recovers first and then renames the rest.
            if trial % 2:
                code, _, errors = self.place.cli("-x", folder)
                self.assertEqual(code, 0, errors)
                expected = {final[n]: n for n in names}
            else:
                subprocess.run([DRIVER, "recover", self.place.journals], env=self.place.env,
                               check=True, capture_output=True, timeout=60)
                expected = None
            after = contents(folder)
            self.assertEqual(len(after), len(names), "trial %d: %r" % (trial, sorted(after)))
            for name, data in after.items():
                old = data[len(b"contents of "):]
                self.assertIn(old, final, "trial %d: %r holds %r" % (trial, name, data))
                self.assertIn(name, (old, final[old]), "trial %d: %r is under %r" % (trial, old, name))
                if expected is not None:
                    self.assertEqual(expected.get(name), old, "trial %d" % trial)
        # A pass on a plain folder takes one step per file and may end before any kill lands;
        # on a folding one each rename takes two slow steps.
        if self.place.folding:
            self.assertGreater(landed, 0, "no kill landed during a pass")


class PlainFolder(FoldingCases, unittest.TestCase):
    """Where the file system tells case apart: one step per rename, no temporary name."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="vorlant-onestep-")
        root = os.path.join(cls.work.name, "files")
        os.mkdir(root)
        cls.place = Place(root, os.path.join(cls.work.name, "home"), folding=False)

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def test_journal_keeps_to_one_step(self):
        folder = self.folder("one")
        write_files(folder, [b"readme.TXT", b"readme.TXT.tmp"])
        self.place.cli("-x", folder)
        self.assertIn(b"\nsteps 1\n", self.place.journal_plans())
        self.assertEqual(sorted(os.listdir(folder)), ["README.TXT.tmp", "ReadMe.txt"])


class FatImage(FoldingCases, unittest.TestCase):
    """A FAT image: it folds case, so every rename takes two steps."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="vorlant-fat-")
        cls.mount = mounts.fat_image(cls.work.name)
        root = cls.mount.__enter__()
        cls.place = Place(root, os.path.join(cls.work.name, "home"), folding=True)

    @classmethod
    def tearDownClass(cls):
        cls.mount.__exit__(None, None, None)
        cls.work.cleanup()

    def test_control_plain_renames_keep_every_file(self):
        # The image itself, without the program: case-only renames in two steps by hand.
        folder = self.folder("control")
        names = [b"file-%02d.TXT" % i for i in range(30)]
        write_files(folder, names)
        for name in names:
            os.rename(os.path.join(os.fsencode(folder), name),
                      os.path.join(os.fsencode(folder), name + b".tmp"))
            os.rename(os.path.join(os.fsencode(folder), name + b".tmp"),
                      os.path.join(os.fsencode(folder), name.lower()))
        after = contents(folder)
        self.assertEqual(sorted(after), sorted(n.lower() for n in names))
        for name in names:
            self.assertEqual(after[name.lower()], b"contents of " + name)

    def test_the_image_folds_case(self):
        folder = self.folder("probe")
        write_files(folder, [b"probe.TXT"])
        self.assertTrue(os.path.exists(os.path.join(folder, "PROBE.txt")))


def main():
    global CLI, DRIVER
    CLI, DRIVER = sys.argv[1], sys.argv[2]
    # Whether FAT can be mounted here at all: skipped, and said so, where it cannot.
    with tempfile.TemporaryDirectory() as probe:
        try:
            with mounts.fat_image(probe):
                pass
        except mounts.Unavailable as e:
            mounts.skip(str(e))
    result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
