#!/usr/bin/env python3
"""Crafted and damaged rename journals met through the real vorlant-cli: --undo, -x and --forget.

Usage: cli_journal_test.py VORLANT_CLI [unittest arguments]
"""

import os
import subprocess
import sys
import tempfile
import unittest

CLI = ""


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def journal(folder, plan, records=b"", finished=False):
    """A journal's text: plan is a list of (old, temporary, new) names, plain ASCII."""
    text = b"VORLANT-JOURNAL 1\nfolder " + os.fsencode(folder).rstrip(b"/") + b"/\n"
    for old, temp, new in plan:
        text += b"P %s %s %s\n" % (old, temp, new)
    return text + b"B\n" + records + (b"F\n" if finished else b"")


class JournalTestCase(unittest.TestCase):
    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="vorlant-journal-")
        self.tmp = self._tmp.name
        self.home = os.path.join(self.tmp, "home")
        self.journals = os.path.join(self.home, "state", "Vorlant")
        os.makedirs(self.journals, mode=0o700)
        self.files = os.path.join(self.tmp, "files")
        self.outside = os.path.join(self.tmp, "outside")
        os.makedirs(self.files)
        os.makedirs(self.outside)
        self.env = dict(os.environ, HOME=self.home, LC_ALL="C.UTF-8",
                        XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_STATE_HOME=os.path.join(self.home, "state"))

    def tearDown(self):
        self._tmp.cleanup()

    def run_cli(self, *args):
        p = subprocess.run([CLI, "--user-names", os.path.join(self.home, "names.ini")] + list(args),
                           capture_output=True, env=self.env)
        return p.returncode, p.stdout.decode(), p.stderr.decode()

    def put_journal(self, name, text):
        path = os.path.join(self.journals, name)
        write(path, text)
        os.chmod(path, 0o600)
        return path


class CraftedJournals(JournalTestCase):
    def test_undo_refuses_records_that_do_more_than_change_case(self):
        write(os.path.join(self.files, "secret.txt"), b"secret")
        write(os.path.join(self.outside, "victim.dat"), b"victim")
        self.put_journal("pass-n0000000001-0000001-0.done", journal(
            self.files, [(b"evil.txt", b"evil.txt.tmp", b"secret.txt"),
                         (b"moved.dat", b"moved.dat.tmp", b"../outside/victim.dat")],
            b"N 0\nN 1\n", finished=True))
        status, out, err = self.run_cli("--undo", self.files)
        self.assertEqual(status, 1, out + err)
        self.assertEqual(err.count("запись журнала отклонена: "), 2, err)
        self.assertIn("«evil.txt» → «secret.txt»", err)
        self.assertEqual(os.listdir(self.files), ["secret.txt"])
        self.assertEqual(os.listdir(self.outside), ["victim.dat"])

    def test_an_open_journal_moves_nothing_out_of_the_folder(self):
        write(os.path.join(self.files, "data.tmp"), b"data")
        self.put_journal("pass-n0000000001-0000001-0.open",
                         journal(self.files, [(b"data", b"data.tmp", b"../outside/stolen")]))
        status, _, err = self.run_cli("-x", self.files)
        self.assertIn("запись журнала отклонена: «data» → «../outside/stolen»", err)
        self.assertEqual([n.lower() for n in os.listdir(self.files)], ["data.tmp"])  # styled by -x
        self.assertEqual(os.listdir(self.outside), [])
        # Said once: the journal is settled, and the next run is quiet about it.
        _, _, err = self.run_cli("-x", self.files)
        self.assertNotIn("отклонена", err)

    def test_a_journal_folder_others_may_write_is_not_read(self):
        write(os.path.join(self.files, "secret.txt"), b"secret")
        self.put_journal("pass-n0000000001-0000001-0.done", journal(
            self.files, [(b"secret.TXT", b"secret.TXT.tmp", b"secret.txt")], b"N 0\n", finished=True))
        os.chmod(self.journals, 0o777)
        status, _, err = self.run_cli("--undo", self.files)
        self.assertEqual(status, 1)
        self.assertIn("открыта для записи другим", err)
        self.assertEqual(os.listdir(self.files), ["secret.txt"])


class UndoAndForget(JournalTestCase):
    def test_undo_takes_back_the_last_pass_that_renamed_something(self):
        write(os.path.join(self.files, "readme.TXT"), b"a")
        self.assertEqual(self.run_cli("-x", self.files)[0], 0)
        write(os.path.join(self.files, "setup.EXE"), b"b")
        write(os.path.join(self.files, "Setup.exe"), b"taken")
        self.assertEqual(self.run_cli("-x", self.files)[0], 1)  # renames nothing
        status, out, err = self.run_cli("--undo", self.files)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("Возвращено прежних имён: 1.", out)
        self.assertEqual(read(os.path.join(self.files, "readme.TXT")), b"a")

    def test_forget_drops_the_journal_of_a_folder_that_is_gone(self):
        stick = os.path.join(self.tmp, "stick")
        path = self.put_journal("pass-n0000000001-0000001-0.open",
                                journal(stick, [(b"readme.TXT", b"readme.TXT.tmp", b"ReadMe.txt")]))
        _, _, err = self.run_cli("-x", self.files)  # another folder: its journal is not touched
        self.assertTrue(os.path.exists(path))
        status, out, err = self.run_cli("--forget", stick)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("забыто прерванных переименований: 1", out)
        self.assertFalse(os.path.exists(path))
        status, out, _ = self.run_cli("--forget", stick)
        self.assertEqual(status, 0)
        self.assertIn("забывать нечего", out)
        self.assertEqual(self.run_cli("--forget", stick, "-x")[0], 2)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    CLI = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
