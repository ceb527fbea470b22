#!/usr/bin/env python3
"""Tests of vorlant-cli through the real executable.

Usage: cli_test.py VORLANT_CLI VORLANT [unittest arguments]

Every run gets its own temporary home: the user name file is given with --user-names (the
build folder beside the program is writable, so the program would otherwise keep its names
there), and HOME, XDG_CONFIG_HOME and XDG_STATE_HOME (the rename journals) point into it.
"""

import json
import os
import pty
import re
import select
import subprocess
import sys
import tempfile
import unittest

CLI = ""
WINDOW = ""

WORKED_EXAMPLES = [
    # file, new name, rule, state
    ("READ.ME", "Read.Me", 1, "Распознано"),
    ("setup.EXE", "Setup.exe", 2, "Распознано"),
    ("01-readme-2.TXT", "01-ReadMe-2.txt", 2, "Распознано"),
    ("INDEX.SHTML.RU", "Index.shtml.ru", 2, "Распознано"),
    ("ReadMe.txt", "ReadMe.txt", 2, "Распознано"),
    ("README", "ReadMe", 2, "Распознано"),
    ("Kvartal.DOC", "Kvartal.doc", 3, "Не распознано"),
    ("kvartal-2.doc", "kvartal-2.doc", 3, "Не распознано"),
    ("1.JPG", "1.jpg", 4, "Распознано"),
]
JSON_KEYS = {"folder", "old", "new", "rule", "state", "error", "suggestion"}


def write(path, data=None):
    with open(path, "wb") as f:
        f.write(data if data is not None else b"contents of " + os.fsencode(os.path.basename(path)))


def snapshot(folder):
    """Every entry below folder, by relative path in bytes: kind, contents or link target, inode."""
    result = {}
    top = os.fsencode(folder)
    for root, dirs, files in os.walk(top):
        for name in dirs + files:
            path = os.path.join(root, name)
            st = os.lstat(path)
            if os.path.islink(path):
                what = ("link", os.readlink(path))
            elif os.path.isdir(path):
                what = ("dir", None)
            else:
                with open(path, "rb") as f:
                    what = ("file", f.read())
            result[os.path.relpath(path, top)] = (what, st.st_ino, st.st_mtime_ns)
    return result


class CliTestCase(unittest.TestCase):
    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="vorlant-cli-")
        self.tmp = self._tmp.name
        self.home = os.path.join(self.tmp, "home")
        os.makedirs(self.home)
        self.names_file = os.path.join(self.home, "names", "Vorlant.ini")
        self.env = dict(os.environ, HOME=self.home, LC_ALL="C.UTF-8",
                        XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_STATE_HOME=os.path.join(self.home, "state"))

    def tearDown(self):
        self._tmp.cleanup()

    def folder(self, name="files", files=()):
        path = os.path.join(self.tmp, name)
        os.makedirs(path, exist_ok=True)
        for f in files:
            write(os.path.join(path, f))
        return path

    def run_cli(self, *args, cwd=None, names=True, stderr=subprocess.PIPE):
        argv = [CLI] + (["--user-names", self.names_file] if names else []) + list(args)
        p = subprocess.run(argv, stdout=subprocess.PIPE, stderr=stderr, env=self.env, cwd=cwd)
        return p.returncode, p.stdout.decode("utf-8"), (p.stderr or b"").decode("utf-8")

    def run_json(self, *args):
        status, out, err = self.run_cli("--json", *args)
        records = [json.loads(line) for line in out.splitlines()]
        for r in records:
            self.assertEqual(set(r), JSON_KEYS, r)
            self.assertIsInstance(r["rule"], int)
            self.assertIn(r["rule"], (1, 2, 3, 4))
            self.assertTrue(r["folder"].endswith("/"))
            self.assertTrue(r["error"] is None or isinstance(r["error"], str))
            self.assertTrue(r["suggestion"] is None or isinstance(r["suggestion"], str))
        return status, records, err

    @staticmethod
    def renames(out):
        return [line.strip() for line in out.splitlines() if " → " in line]


class HelpAndUsage(CliTestCase):
    def test_help_is_russian_and_version_matches_the_window(self):
        status, out, _ = self.run_cli("--help", names=False)
        self.assertEqual(status, 0)
        self.assertIn("Использование:", out)
        for option in ("--apply", "--recursive", "--json", "--add", "--add-full", "--undo"):
            self.assertIn(option, out)
        status, out, _ = self.run_cli("--version", names=False)
        self.assertEqual(status, 0)
        window = subprocess.run([WINDOW, "--version"], stdout=subprocess.PIPE, env=self.env, check=True)
        version = window.stdout.decode().strip().removeprefix("Vorlant ")
        self.assertEqual(out, "vorlant-cli " + version + "\n")

    def test_help_and_manual_page_list_the_same_options(self):
        """--help is written from the parser's option table; the manual page by hand."""
        status, out, _ = self.run_cli("--help", names=False)
        self.assertEqual(status, 0)
        block = out.split("Параметры:\n", 1)[1].split("\n\n", 1)[0]
        in_help = set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", block))
        manual = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "vorlant-cli.1")
        with open(manual, encoding="utf-8") as f:
            lines = f.read().split("\n")
        section = lines[lines.index(".SH ПАРАМЕТРЫ"):]
        section = section[:next(i for i, l in enumerate(section) if i > 0 and l.startswith(".SH"))]
        in_manual = set()
        for i, line in enumerate(section):
            if line == ".TP":
                heads = re.findall(r"((?:\\-){1,2}[a-z](?:[a-z]|\\-)*)", section[i + 1])
                in_manual |= {h.replace("\\-", "-") for h in heads}
        self.assertIn("--user-names", in_help)
        self.assertEqual(in_help, in_manual)
        # Every listed option is one that the parser takes.
        folder = self.folder(files=["README"])
        for option in sorted(in_help):
            args = {"--add": [option, "Kvartal"], "--add-full": [option, "Kvartal.Doc"],
                    "--user-names": [option, self.names_file, folder], "--undo": [option, folder]}.get(
                        option, [option, folder])
            with self.subTest(option=option):
                status, _, err = self.run_cli(*args)
                self.assertNotEqual(status, 2, err)

    def test_bad_arguments_give_a_message_and_status_2(self):
        folder = self.folder(files=["README"])
        a_file = os.path.join(folder, "README")
        before = snapshot(self.tmp)
        cases = [
            [], ["-q", folder], ["--bogus", folder], ["--add"], ["--add", ""], ["--user-names"],
            [os.path.join(self.tmp, "missing")], [a_file], ["-x"], ["-r"], ["--json=1", folder],
            ["--apply=yes", folder], ["--undo", "-x"], ["--undo", folder, folder], ["--undo", "--json"],
            ["--undo", os.path.join(self.tmp, "missing")],
        ]
        for args in cases:
            with self.subTest(args=args):
                status, out, err = self.run_cli(*args)
                self.assertEqual(status, 2)
                self.assertEqual(out, "")
                self.assertTrue(err.startswith("vorlant-cli: "), err)
                self.assertIn("--help", err)
        # An argument that is not UTF-8 names no folder of this program.
        p = subprocess.run([os.fsencode(CLI), b"-x", os.fsencode(folder) + b"/\xff"], env=self.env,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(p.returncode, 2)
        self.assertEqual(snapshot(self.tmp), before)


class Passes(CliTestCase):
    def test_worked_examples_give_the_window_names(self):
        folder = self.folder(files=[f for f, *_ in WORKED_EXAMPLES])
        status, records, _ = self.run_json("-x", folder)
        self.assertEqual(status, 0)
        by_old = {r["old"]: r for r in records}
        for old, new, rule, state in WORKED_EXAMPLES:
            with self.subTest(file=old):
                self.assertEqual(by_old[old]["new"], new)
                self.assertEqual(by_old[old]["rule"], rule)
                self.assertEqual(by_old[old]["state"], state)
                self.assertIsNone(by_old[old]["error"])
                with open(os.path.join(folder, new), "rb") as f:
                    self.assertEqual(f.read(), b"contents of " + old.encode())
        self.assertEqual(sorted(os.listdir(folder)), sorted(new for _, new, *_ in WORKED_EXAMPLES))

    def test_text_output_lists_renames_unknown_names_and_a_summary(self):
        folder = self.folder(files=[f for f, *_ in WORKED_EXAMPLES])
        status, out, err = self.run_cli(folder)
        self.assertEqual((status, err), (0, ""))
        lines = out.splitlines()
        self.assertEqual(lines[0], os.path.realpath(folder) + "/")
        expected = sorted(f"{old} → {new}" for old, new, *_ in WORKED_EXAMPLES if old != new)
        self.assertEqual(sorted(self.renames(out)), expected)
        self.assertEqual(sorted(l.strip() for l in lines if l.startswith("  не распознано:")),
                         ["не распознано: Kvartal.DOC", "не распознано: kvartal-2.doc"])
        self.assertEqual(lines[-1], "Итого — папок: 1, файлов: 9, будет переименовано: 7, не распознано: 2.")

    def test_preview_touches_nothing_and_foretells_the_pass(self):
        folder = self.folder(files=[f for f, *_ in WORKED_EXAMPLES]
                             + ["Setup.exe", "readme.TXT", "readme.TXT.tmp", "autorun.INF.tmp"])
        write(os.path.join(folder, "AUTORUN.INF"))
        os.symlink("README", os.path.join(folder, "readme.LNK"))
        os.mkdir(os.path.join(folder, "SETUP.DIR"))
        write(os.path.join(folder, b"\xff-name.TXT".decode("utf-8", "surrogateescape")))
        before = snapshot(self.tmp)

        preview = self.run_cli(folder)
        preview_json = self.run_json(folder)
        self.assertEqual(snapshot(self.tmp), before, "a preview changed the disk")

        applied = self.run_cli("-x", folder)
        # Each failure is foretold with the same reason.
        self.assertEqual(preview[0], applied[0])
        self.assertEqual(preview[0], 1)
        self.assertEqual(preview[2].replace("не будет переименован в", "не переименован в"), applied[2])
        # Here the file system tells case apart: one step per rename, so a taken temporary name
        # («autorun.INF.tmp») stops nothing.
        for reason in ("имя занято другим файлом", "в кодировке UTF-8"):
            self.assertIn(reason, applied[2])
        self.assertNotIn("временное имя", applied[2])
        self.assertEqual(self.renames(preview[1]), self.renames(applied[1]))
        self.assertIn("readme.LNK → ReadMe.lnk", self.renames(applied[1]))

        # The disk now holds exactly what the preview said: the link renamed, not its target.
        expected = set()
        for r in preview_json[1]:
            name = r["new"] if r["error"] is None else r["old"]
            expected.add(os.fsencode(name) if "\ufffd" not in name else b"\xff-name.TXT")
        expected.add(b"SETUP.DIR")
        self.assertEqual(set(os.listdir(os.fsencode(folder))), expected)
        self.assertEqual(os.readlink(os.path.join(folder, "ReadMe.lnk")), "README")

        # A second preview and a second pass agree that nothing is left to do but the failures.
        again = self.run_cli(folder)
        self.assertEqual(self.renames(again[1]), [])

    def test_preview_json_equals_the_pass_json(self):
        folder = self.folder(files=[f for f, *_ in WORKED_EXAMPLES] + ["Setup.exe"])
        _, preview, _ = self.run_json(folder)
        _, applied, _ = self.run_json("-x", folder)
        self.assertEqual(preview, applied)
        failed = [r for r in applied if r["error"]]
        self.assertEqual([(r["old"], r["state"]) for r in failed], [("setup.EXE", "Не переименовано")])

    def test_recursion_descends_into_subfolders_but_not_through_links(self):
        top = self.folder("top", ["README"])
        sub = self.folder(os.path.join("top", "sub"), ["AUTORUN.INF"])
        hidden = self.folder(os.path.join("top", "sub", ".hidden"), ["SETUP.EXE"])
        outside = self.folder("outside", ["README"])
        os.symlink(outside, os.path.join(top, "link-to-outside"))
        os.symlink(sub, os.path.join(sub, "loop"))
        outside_before = snapshot(outside)

        status, records, _ = self.run_json(top)
        self.assertEqual(status, 0)
        self.assertEqual({r["folder"] for r in records}, {os.path.realpath(top) + "/"})

        status, out, _ = self.run_cli("-rx", top)
        self.assertEqual(status, 0)
        self.assertEqual(sorted(os.listdir(top)), ["ReadMe", "link-to-outside", "sub"])
        self.assertIn("AutoRun.inf", os.listdir(sub))
        self.assertEqual(os.listdir(hidden), ["Setup.exe"])
        self.assertEqual(snapshot(outside), outside_before)
        self.assertIn("Итого — папок: 3, файлов: 3, переименовано: 3", out)
        headings = [l for l in out.splitlines() if l.endswith("/")]
        real = os.path.realpath(top)
        self.assertEqual(headings, [real + "/", real + "/sub/", real + "/sub/.hidden/"])

    def test_a_failed_rename_gives_status_1_and_keeps_both_files(self):
        folder = self.folder(files=["readme.TXT", "ReadMe.txt"])
        status, out, err = self.run_cli("-x", folder)
        self.assertEqual(status, 1)
        self.assertIn("readme.TXT: не переименован в ReadMe.txt: имя занято другим файлом", err)
        self.assertIn("не переименовано: 1", out)
        for name in ("readme.TXT", "ReadMe.txt"):
            with open(os.path.join(folder, name), "rb") as f:
                self.assertEqual(f.read(), b"contents of " + name.encode())

    def test_progress_bar_only_on_a_terminal_and_for_large_passes(self):
        many = self.folder("many", [f"readme-{i}.TXT" for i in range(400)])
        few = self.folder("few", ["README"])
        _, _, err = self.run_cli("-x", many)
        self.assertEqual(err, "")
        for name in os.listdir(many):
            os.rename(os.path.join(many, name), os.path.join(many, name.upper()))
        self.assertIn("%", self.stderr_on_terminal("-x", many))
        self.assertEqual(self.stderr_on_terminal("-x", few), "")

    def stderr_on_terminal(self, *args):
        master, slave = pty.openpty()
        p = subprocess.Popen([CLI, "--user-names", self.names_file] + list(args), env=self.env,
                             stdout=subprocess.DEVNULL, stderr=slave)
        os.close(slave)
        data = b""
        while True:
            ready, _, _ = select.select([master], [], [], 30)
            if not ready:
                break
            try:
                chunk = os.read(master, 4096)
            except OSError:
                break  # the other end is closed
            if not chunk:
                break
            data += chunk
        p.wait(30)
        os.close(master)
        self.assertEqual(p.returncode, 0)
        return data.decode("utf-8", "replace")


class Suggestions(CliTestCase):
    FILES = ["printpreview.TXT", "setupwizard_2.doc", "qzxvkwj.txt", "readme.txt"]

    def test_preview_and_json_show_the_suggestions(self):
        folder = self.folder(files=self.FILES)
        status, out, err = self.run_cli(folder)
        self.assertEqual((status, err), (0, ""))
        unknown = sorted(l.strip() for l in out.splitlines() if l.startswith("  не распознано:"))
        self.assertEqual(unknown, ["не распознано: printpreview.TXT (предлагается: PrintPreview.txt)",
                                   "не распознано: qzxvkwj.txt",
                                   "не распознано: setupwizard_2.doc (предлагается: SetupWizard_2.doc)"])
        status, records, _ = self.run_json(folder)
        self.assertEqual({r["old"]: r["suggestion"] for r in records},
                         {"printpreview.TXT": "PrintPreview.txt", "setupwizard_2.doc": "SetupWizard_2.doc",
                          "qzxvkwj.txt": None, "readme.txt": None})

    def test_lines_in_english_with_names_that_need_escapes(self):
        """The names go where the translation puts them, escaped and in UTF-8, in every folder."""
        folder = self.folder(files=["printpreview.TXT", "qzxvkwj.txt", "qzx\x1bvkwj.txt",
                                    "back\\slash.TXT", "ключqzx.TXT"])
        os.makedirs(os.path.join(folder, "sub"))
        write(os.path.join(folder, "sub", "setupwizard_2.doc"))
        self.env["LC_ALL"] = "en_US.UTF-8"
        status, out, err = self.run_cli("-r", folder)
        self.assertEqual((status, err), (0, ""))
        top = os.path.realpath(folder)
        self.assertEqual(out.splitlines(), [
            top + "/",
            "  back\\\\slash.TXT → back\\\\slash.txt",
            "  not recognised: back\\\\slash.TXT (suggested: Back\\\\Slash.txt)",
            "  printpreview.TXT → printpreview.txt",
            "  not recognised: printpreview.TXT (suggested: PrintPreview.txt)",
            "  not recognised: qzx\\x1bvkwj.txt",
            "  not recognised: qzxvkwj.txt",
            "  ключqzx.TXT → ключqzx.txt",
            "  not recognised: ключqzx.TXT",
            top + "/sub/",
            "  not recognised: setupwizard_2.doc (suggested: SetupWizard_2.doc)",
            "Total: folders: 2, files: 6, to be renamed: 3, not recognised: 6."])

    def test_suggest_renames_by_the_suggestions_for_this_run_only(self):
        folder = self.folder(files=self.FILES)
        before = snapshot(folder)
        status, out, err = self.run_cli("--suggest", folder)  # a preview: nothing changes
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(snapshot(folder), before)
        self.assertIn("printpreview.TXT → PrintPreview.txt", out)
        status, out, err = self.run_cli("--suggest", "-x", folder)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(sorted(os.listdir(folder)),
                         ["PrintPreview.txt", "ReadMe.txt", "SetupWizard_2.doc", "qzxvkwj.txt"])
        self.assertEqual(out.splitlines()[-1], "Итого — папок: 1, файлов: 4, переименовано: 3 "
                         "(из них по предложенным написаниям: 2), не распознано: 1.")
        self.assertFalse(os.path.exists(self.names_file))

    def test_add_suggested_keeps_the_suggestions_as_user_names(self):
        folder = self.folder(files=self.FILES)
        status, out, err = self.run_cli("--add-suggested", "-x", folder)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("Имя «SetupWizard» добавлено в словарь имён.", out)
        with open(self.names_file, encoding="utf-8") as f:
            self.assertEqual(f.read(), "[NAMES]\n0=PrintPreview\n1=SetupWizard\n")
        # The next run knows them: the same spelling in other files, no suggestion needed.
        other = self.folder("other", ["PRINTPREVIEW.DOC"])
        status, out, err = self.run_cli(other)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("PRINTPREVIEW.DOC → PrintPreview.doc", out)

    def test_suggestions_need_a_folder(self):
        for option in ("--suggest", "--add-suggested"):
            status, _, err = self.run_cli(option)
            self.assertEqual(status, 2, option)
            self.assertIn("папк", err)
        status, _, _ = self.run_cli("--undo", "--suggest")
        self.assertEqual(status, 2)


class UserNames(CliTestCase):
    def read_names(self):
        with open(self.names_file, encoding="utf-8") as f:
            return f.read()

    def test_added_names_are_saved_and_used(self):
        folder = self.folder(files=["Kvartal.DOC", "01-KVARTAL.BAK", "otchet.TXT"])
        status, out, err = self.run_cli("--add", "01-Kvartal-2", "--add-full", "Otchet.Txt", folder)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("Имя «Kvartal» добавлено в словарь имён.", out)
        self.assertIn("Kvartal.DOC → Kvartal.doc", out)
        self.assertIn("01-KVARTAL.BAK → 01-Kvartal.bak", out)
        self.assertIn("otchet.TXT → Otchet.Txt", out)
        self.assertNotIn("  не распознано:", out)
        self.assertEqual(self.read_names(), "[NAME.EXT]\n0=Otchet.Txt\n[NAMES]\n0=Kvartal\n")

        # Already there, letter case aside: nothing to add, nothing written.
        mtime = os.stat(self.names_file).st_mtime_ns
        status, out, _ = self.run_cli("--add", "KVARTAL", "--add", "readme")
        self.assertEqual(status, 0)
        self.assertIn("уже есть", out)
        self.assertEqual(os.stat(self.names_file).st_mtime_ns, mtime)

        # The next start's self-check passes with the saved names.
        status, _, err = self.run_cli(folder)
        self.assertEqual((status, err), (0, ""))

    def test_names_that_would_fail_the_self_check_are_refused(self):
        for args in (["--add", "x"], ["--add", "2024"], ["--add", "Index.shtml.shtml"], ["--add-full", "Kvartal"],
                     ["--add", "two\nlines"]):
            with self.subTest(args=args):
                status, _, err = self.run_cli(*args)
                self.assertEqual(status, 1)
                self.assertIn("не добавлено", err)
                self.assertFalse(os.path.exists(self.names_file))

    def test_a_failed_self_check_gives_status_3_and_touches_nothing(self):
        os.makedirs(os.path.dirname(self.names_file))
        with open(self.names_file, "w", encoding="utf-8") as f:
            f.write("[NAMES]\n0=README\n1=7zip\n")
        folder = self.folder(files=["setup.EXE"])
        before = snapshot(self.tmp)
        status, out, err = self.run_cli("-x", "--add", "Kvartal", folder)
        self.assertEqual(status, 3)
        self.assertEqual(out, "")
        self.assertIn("Найдены повторяющиеся имена файлов (", err)
        self.assertIn("Найдено избыточное имя файла (7zip).", err)
        self.assertEqual(snapshot(self.tmp), before)


class Undo(CliTestCase):
    NAMES = [b"READ.ME", b"setup.EXE", b"README", b"AUTORUN.", "Отчёт КВАРТАЛ.DOC".encode(), b"with space.TXT",
             b"\xff\xfe.TXT", b"INDEX.SHTML.RU"]

    def test_undo_restores_the_names_byte_for_byte(self):
        folder = self.folder()
        for name in self.NAMES:
            write(os.path.join(os.fsencode(folder), name))
        before = snapshot(folder)
        status, out, _ = self.run_cli("-x", folder)
        self.assertEqual(status, 1)  # the name that is not UTF-8 is never renamed
        renamed = len(self.renames(out))
        self.assertEqual(renamed, 7)
        self.assertNotEqual(set(os.listdir(os.fsencode(folder))), set(self.NAMES))
        after_pass = set(os.listdir(os.fsencode(folder)))

        status, out, err = self.run_cli("--undo", cwd=folder)  # the current folder by default
        self.assertEqual((status, err), (0, ""))
        self.assertIn(f"Возвращено прежних имён: {renamed}.", out)
        restored = snapshot(folder)
        self.assertEqual({k: v[0] for k, v in restored.items()}, {k: v[0] for k, v in before.items()})
        self.assertEqual({k: v[1] for k, v in restored.items()}, {k: v[1] for k, v in before.items()})

        # The undo is journalled too: undoing it gives the pass's names back.
        status, _, _ = self.run_cli("--undo", folder)
        self.assertEqual(status, 0)
        self.assertEqual(set(os.listdir(os.fsencode(folder))), after_pass)

    def test_undo_never_replaces_a_file(self):
        folder = self.folder(files=["readme.TXT"])
        self.run_cli("-x", folder)
        write(os.path.join(folder, "readme.TXT"), b"a newer file")
        status, _, err = self.run_cli("--undo", folder)
        self.assertEqual(status, 1)
        self.assertIn("ReadMe.txt", err)
        with open(os.path.join(folder, "readme.TXT"), "rb") as f:
            self.assertEqual(f.read(), b"a newer file")
        with open(os.path.join(folder, "ReadMe.txt"), "rb") as f:
            self.assertEqual(f.read(), b"contents of readme.TXT")

    def test_undo_without_a_journal_fails(self):
        folder = self.folder(files=["README"])
        self.run_cli(folder)  # a preview keeps no journal
        status, _, err = self.run_cli("--undo", folder)
        self.assertEqual(status, 1)
        self.assertIn("нет журнала", err)
        self.assertEqual(os.listdir(folder), ["README"])


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    CLI, WINDOW = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
