#!/usr/bin/env python3
"""Hostile input to the real vorlant-cli: names that would drive the terminal, case twins, option
look-alikes after "--", and folders deeper than PATH_MAX.

Usage: cli_hostile_input_test.py VORLANT_CLI VORLANT [unittest arguments]
"""

import json
import os
import re
import sys
import unittest

import cli_test
from cli_test import CliTestCase, write

# Characters that must never reach the terminal raw: C0 and C1 controls, DEL, the marks that
# reorder text on screen, the line separators.
RAW_CONTROL = re.compile("[\x00-\x09\x0b-\x1f\x7f-\x9f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069\u2028\u2029]")


class Escaping(CliTestCase):
    # name on disk, as the text output shows it
    HOSTILE = [
        ("readme\n.TXT", "readme\\n.TXT"),
        ("\x1b[31mreadme.TXT", "\\x1b[31mreadme.TXT"),
        ("setup\r.EXE", "setup\\r.EXE"),
        ("tab\tREADME.TXT", "tab\\tREADME.TXT"),
        ("del\x7fREADME.TXT", "del\\x7fREADME.TXT"),
        ("csi\x9bREADME.TXT", "csi\\u009bREADME.TXT"),
        ("txt.\u202eEXE.README", "txt.\\u202eEXE.README"),
        ("back\\slash.TXT", "back\\\\slash.TXT"),
    ]

    def check_clean(self, text):
        for line in text.split("\n"):
            self.assertIsNone(RAW_CONTROL.search(line), repr(line))

    def test_names_with_control_characters_are_escaped_in_the_text_output(self):
        folder = self.folder(files=[name for name, _ in self.HOSTILE])
        # A twin whose styled name is taken, so that a hostile name reaches stderr as well.
        write(os.path.join(folder, "ReadMe\n.txt"))
        for args in ([folder], ["-x", folder]):
            with self.subTest(args=args):
                status, out, err = self.run_cli(*args)
                self.assertEqual(status, 1, err)
                self.check_clean(out)
                self.check_clean(err)
                # Every line of stdout is a heading, a file's line or the summary: none forged.
                for line in out.splitlines():
                    self.assertTrue(line.endswith("/") or line.startswith("  ") or line.startswith("Итого"), line)
                self.assertIn("  \\x1b[31mreadme.TXT → \\x1b[31mreadme.txt", out)
                self.assertIn("  back\\\\slash.TXT → back\\\\slash.txt", out)
                self.assertIn("readme\\n.TXT: ", err)
                self.assertIn("ReadMe\\n.txt: имя занято другим файлом", err)
                for _, shown in self.HOSTILE:
                    self.assertIn(shown, out + err)
        # The files are what -x made of them; the JSON output names them exactly.
        status, records, _ = self.run_json(folder)
        names = {r["old"] for r in records}
        self.assertIn("\x1b[31mreadme.txt", names)
        self.assertIn("Setup\r.exe", names)
        self.assertIn("readme\n.TXT", names)
        self.assertEqual(set(os.listdir(folder)), names)

    def test_a_hostile_folder_name_is_escaped_in_headings_and_messages(self):
        folder = self.folder("dir\x1b]0;title\x07\n", ["README"])
        status, out, err = self.run_cli("-x", folder)
        self.assertEqual((status, err), (0, ""))
        self.check_clean(out)
        self.assertIn("dir\\x1b]0;title\\x07\\n/", out.splitlines()[0])
        status, out, err = self.run_cli("--undo", folder)
        self.assertEqual(status, 0, err)
        self.check_clean(out)
        status, _, err = self.run_cli(os.path.join(folder, "missing\x1b[2J"))
        self.assertEqual(status, 2)
        self.check_clean(err)
        self.assertIn("missing\\x1b[2J", err)

    def test_a_hostile_name_to_add_is_escaped(self):
        status, out, err = self.run_cli("--add", "Kv\x1b[8martal")
        self.check_clean(out)
        self.check_clean(err)
        self.assertIn("\\x1b[8m", out + err)


class CaseTwins(CliTestCase):
    TWINS = ["readme.TXT", "README.txt", "Readme.Txt", "ReadMe.TXT"]

    def test_the_same_twin_gets_the_styled_name_whatever_order_the_files_were_made_in(self):
        winners = set()
        for n, order in enumerate([self.TWINS, self.TWINS[::-1], self.TWINS[1:] + self.TWINS[:1]]):
            folder = self.folder(f"twins-{n}")
            for name in order:
                write(os.path.join(folder, name))
            _, records, _ = self.run_json(folder)
            status, applied, _ = self.run_json("-x", folder)
            self.assertEqual(status, 1)
            self.assertEqual(applied, records)  # the preview foretold it
            with open(os.path.join(folder, "ReadMe.txt"), "rb") as f:
                winners.add(f.read())
            self.assertEqual(len(os.listdir(folder)), 4)
            # The list order is the window's: by name part, twins in the byte order of their names.
            self.assertEqual([r["old"] for r in applied], sorted(self.TWINS))
        self.assertEqual(winners, {b"contents of README.txt"})


class OptionLookAlikes(CliTestCase):
    def test_a_folder_named_like_an_option_goes_after_the_double_dash(self):
        folder = self.folder("-x", ["readme.TXT"])
        status, out, err = self.run_cli("-x", "--", "-x", cwd=self.tmp)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(os.listdir(folder), ["ReadMe.txt"])

        # "--undo -x" asks for two things that do not go together; the message says how to name
        # the folder.
        status, out, err = self.run_cli("--undo", "-x", cwd=self.tmp)
        self.assertEqual((status, out), (2, ""))
        self.assertIn("--undo не сочетается с «-x»", err)
        self.assertIn("vorlant-cli --undo -- -x", err)
        self.assertEqual(os.listdir(folder), ["ReadMe.txt"])

        status, out, err = self.run_cli("--undo", "--", "-x", cwd=self.tmp)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("Возвращено прежних имён: 1.", out)
        self.assertEqual(os.listdir(folder), ["readme.TXT"])

        # A folder of that name that is not there is said to be missing, not taken for -x.
        status, _, err = self.run_cli("--undo", "--", "-r", cwd=self.tmp)
        self.assertEqual(status, 2)
        self.assertIn("папка «-r» не найдена", err)
        status, _, err = self.run_cli("--undo", self.tmp, "--", "-x")
        self.assertEqual(status, 2)
        self.assertIn("не больше одной папки", err)

    def test_a_full_name_whose_dot_lies_outside_its_letters_is_refused_with_that_reason(self):
        cases = [
            ("Setup.1", "«Setup», а в ней нет точки"),
            ("1.Setup", "«Setup», а в ней нет точки"),
            ("Setup", "в полном имени файла нет точки"),
        ]
        for name, reason in cases:
            with self.subTest(name=name):
                status, out, err = self.run_cli("--add-full", name)
                self.assertEqual((status, out), (1, ""))
                self.assertIn(f"имя «{name}» не добавлено", err)
                self.assertIn(reason, err)
        status, out, err = self.run_cli("--add-full", "1-Read.Me.1")
        self.assertEqual((status, err), (0, ""))
        self.assertIn("Имя «Read.Me» уже есть в словаре полных имён", out)


class DeepFolders(CliTestCase):
    def make_chain(self, top, levels):
        """Folders nested levels deep below top, made by handles; their names, top first."""
        names = [f"{i:02d}-" + "d" * 200 for i in range(levels)]
        fd = os.open(top, os.O_RDONLY | os.O_DIRECTORY)
        try:
            for i, name in enumerate(names):
                os.mkdir(name, dir_fd=fd)
                nxt = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
                os.close(fd)
                fd = nxt
                if i in (5, levels - 1):
                    for file in ("readme.TXT", "setup.EXE"):
                        os.close(os.open(file, os.O_WRONLY | os.O_CREAT, dir_fd=fd))
        finally:
            os.close(fd)
        return names

    def listing(self, top, names):
        fd = os.open(top, os.O_RDONLY | os.O_DIRECTORY)
        try:
            for name in names:
                nxt = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
                os.close(fd)
                fd = nxt
            return sorted(os.listdir(fd))
        finally:
            os.close(fd)

    def test_a_recursive_pass_reaches_folders_deeper_than_the_longest_path(self):
        top = self.folder("deep")
        names = self.make_chain(top, 25)
        self.assertGreater(len(os.path.join(top, *names)), 4096)

        status, records, err = self.run_json("-r", top)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(len(records), 4)
        self.assertTrue(all(r["error"] is None for r in records), records)
        self.assertGreater(max(len(r["folder"]) for r in records), 4096)

        status, out, err = self.run_cli("-rx", top)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("Итого — папок: 26, файлов: 4, переименовано: 4", out)
        self.assertEqual(self.listing(top, names[:6]), sorted([names[6], "ReadMe.txt", "Setup.exe"]))
        self.assertEqual(self.listing(top, names), ["ReadMe.txt", "Setup.exe"])


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    cli_test.CLI, cli_test.WINDOW = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
