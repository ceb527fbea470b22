#!/usr/bin/env python3
"""Tests of what an install adds beside the programs: the bash completion written from
vorlant-cli's --help, the manual pages, and the software-centre data.

Usage: desktop_files_test.py SOURCE_ROOT BUILD_DIR VORLANT_CLI VORLANT [unittest arguments]
"""

import os
import re
import shlex
import subprocess
import sys
import tempfile
import unittest

ROOT = BUILD = CLI = WINDOW = ""
BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"
ENV = dict(os.environ, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen")


def help_options():
    """The options of the "Параметры:" block of --help, read the way the CLI tests read it."""
    out = subprocess.run([CLI, "--help"], stdout=subprocess.PIPE, env=ENV, check=True).stdout.decode()
    block = out.split("Параметры:\n", 1)[1].split("\n\n", 1)[0]
    return set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", block))


def complete(line, cwd):
    """What the completion offers for the command line `line` with the cursor at its end."""
    script = f"""
        source {shlex.quote(BASH_COMPLETION)}
        source {shlex.quote(os.path.join(BUILD, "packaging", "vorlant-cli.bash-completion"))}
        COMP_LINE={shlex.quote(line)}
        COMP_POINT=${{#COMP_LINE}}
        read -ra COMP_WORDS <<<"$COMP_LINE"
        [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${{#COMP_WORDS[@]}} - 1))
        _vorlant_cli
        printf '%s\\n' "${{COMPREPLY[@]}}"
    """
    p = subprocess.run(["bash", "-c", script], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       cwd=cwd, env=ENV)
    if p.returncode != 0 or p.stderr:
        raise AssertionError(f"completion of {line!r} failed: {p.stderr.decode()}")
    return {w for w in p.stdout.decode().split("\n") if w}


class Completion(unittest.TestCase):
    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="vorlant-completion-")
        self.tmp = self._tmp.name
        for d in ("docs", "dist", "my folder", "-odd"):
            os.mkdir(os.path.join(self.tmp, d))
        for f in ("data.ini", "dump.txt"):
            open(os.path.join(self.tmp, f), "w").close()

    def tearDown(self):
        self._tmp.cleanup()

    def test_offers_every_option_of_the_help(self):
        options = help_options()
        self.assertIn("--apply", options)
        self.assertEqual(complete("vorlant-cli -", self.tmp), options)
        self.assertEqual(complete("vorlant-cli -x --js", self.tmp), {"--json"})

    def test_values_and_positional_arguments(self):
        folders = {"docs", "dist", "my folder", "-odd"}
        cases = [
            # command line, what is offered
            ("vorlant-cli ", folders),
            ("vorlant-cli d", {"docs", "dist"}),
            ("vorlant-cli -x -r d", {"docs", "dist"}),
            ("vorlant-cli my", {"my folder"}),
            ("vorlant-cli --user-names d", {"docs", "dist", "data.ini", "dump.txt"}),
            ("vorlant-cli --user-names=d", {"docs", "dist", "data.ini", "dump.txt"}),
            ("vorlant-cli --add ", set()),
            ("vorlant-cli --add -", set()),
            ("vorlant-cli --undo d", {"docs", "dist"}),
            ("vorlant-cli --apply=", set()),
            ("vorlant-cli -- -", {"-odd"}),
            ("vorlant-cli -- docs -", {"-odd"}),
        ]
        for line, offered in cases:
            with self.subTest(line=line):
                self.assertEqual(complete(line, self.tmp), offered)
        # An option whose value may be left out is followed by a folder or by another option.
        self.assertIn("--json", complete("vorlant-cli --undo --", self.tmp))


class CompletionFromHelp(unittest.TestCase):
    """The completion is written from whatever --help lists: a new option needs no edit."""

    def generate(self, help_text):
        with tempfile.TemporaryDirectory() as tmp:
            fake = os.path.join(tmp, "fake-cli")
            with open(fake, "w", encoding="utf-8") as f:
                f.write("#!/bin/sh\ncat <<'END'\n" + help_text + "END\n")
            os.chmod(fake, 0o755)
            out = os.path.join(tmp, "completion")
            p = subprocess.run(["cmake", "-DCLI=" + fake, "-DOUTPUT=" + out,
                                "-DTEMPLATE=" + os.path.join(ROOT, "data", "vorlant-cli.bash-completion.in"),
                                "-P", os.path.join(ROOT, "cmake", "BashCompletion.cmake")],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            if p.returncode != 0:
                return None
            with open(out, encoding="utf-8") as f:
                text = f.read()
        options = re.search(r"local options='([^']*)'", text).group(1).split()
        values = dict(re.findall(r"\[(-[\w-]+)\]='([^']*)'", text))
        return options, values

    def test_new_options_and_their_values(self):
        options, values = self.generate(
            "Использование:\n  vorlant-cli [-x] ПАПКА...\n\nПараметры:\n"
            "  -x, --apply           переименовать файлы\n"
            "      --forget ИМЯ      забыть имя\n"
            "      --suggest [ПАПКА] предложить имена\n"
            "      --add-suggested-names-from ФАЙЛ\n"
            "                        добавить предложенные имена\n"
            "  -h, --help            показать эту справку\n\n"
            "Коды завершения: 0 — всё сделано.\n")
        self.assertEqual(options, ["-x", "--apply", "--forget", "--suggest",
                                   "--add-suggested-names-from", "-h", "--help"])
        self.assertEqual(values, {"--forget": "text", "--suggest": "folder?",
                                  "--add-suggested-names-from": "file"})

    def test_a_help_without_options_fails_the_build(self):
        self.assertIsNone(self.generate("Использование: vorlant-cli ПАПКА\n"))


class ManualPages(unittest.TestCase):
    def page(self, name):
        with open(os.path.join(ROOT, "docs", name + ".1"), encoding="utf-8") as f:
            return f.read().split("\n")

    def test_pages_render_without_warnings(self):
        for name in ("Vorlant", "vorlant-cli"):
            with self.subTest(page=name):
                p = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8",
                                    os.path.join(ROOT, "docs", name + ".1")],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   env=dict(ENV, MANWIDTH="80"))
                self.assertEqual(p.returncode, 0)
                self.assertEqual(p.stderr.decode(), "")
                self.assertIn(name, p.stdout.decode())

    def test_window_page_lists_what_the_program_takes(self):
        lines = self.page("Vorlant")
        section = lines[lines.index(".SH ПАРАМЕТРЫ"):]
        section = section[:next(i for i, l in enumerate(section) if i > 0 and l.startswith(".SH"))]
        heads = [section[i + 1] for i, l in enumerate(section) if l == ".TP"]
        self.assertEqual(heads, [".I ПАПКА", ".B \\-\\-version"])
        version = subprocess.run([WINDOW, "--version"], stdout=subprocess.PIPE, env=ENV, check=True)
        self.assertRegex(version.stdout.decode(), r"^Vorlant \d+\.\d+\.\d+\.\d+\n$")
        # Both pages name the same files of the user.
        cli_page = "\n".join(self.page("vorlant-cli"))
        for path in ("Vorlant.ini", "$XDG_CONFIG_HOME/Vorlant/Vorlant.ini", "$XDG_STATE_HOME/Vorlant/"):
            self.assertIn(path, "\n".join(lines))
            self.assertIn(path, cli_page)


class SoftwareCentreData(unittest.TestCase):
    def validate(self, path):
        p = subprocess.run(["appstreamcli", "validate", "--no-net", path], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT)
        self.assertEqual(p.returncode, 0, p.stdout.decode())

    def write(self, out, url=None):
        args = ["cmake", "-DTEMPLATE=" + os.path.join(ROOT, "data", "vorlant.metainfo.xml.in"),
                "-DOUTPUT=" + out, "-DAPPSTREAM_ID=org.vorlant.vorlant"]
        if url is not None:
            args.append("-DSCREENSHOT_URL=" + url)
        return subprocess.run(args + ["-P", os.path.join(ROOT, "cmake", "Metainfo.cmake")],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)

    def test_built_data_validates_and_names_the_project_version(self):
        path = os.path.join(BUILD, "packaging", "org.vorlant.vorlant.metainfo.xml")
        self.validate(path)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        version = subprocess.run([WINDOW, "--version"], stdout=subprocess.PIPE, env=ENV,
                                 check=True).stdout.decode().split()[1]
        self.assertEqual(re.findall(r'<release version="([^"]+)"', text)[0], version)
        for tag in ("summary", "p"):
            self.assertRegex(text, rf'<{tag} xml:lang="ru">')
        self.assertIn('<launchable type="desktop-id">vorlant.desktop</launchable>', text)
        self.assertTrue(os.path.exists(os.path.join(ROOT, "data", "vorlant.desktop")))

    def test_screenshots_are_listed_when_their_address_is_known(self):
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "org.vorlant.vorlant.metainfo.xml")
            p = self.write(out, "https://docs.vorlant.test/docs/")
            self.assertEqual(p.returncode, 0, p.stdout.decode())
            self.validate(out)
            with open(out, encoding="utf-8") as f:
                images = re.findall(r"<image>([^<]+)</image>", f.read())
            self.assertEqual(images, ["https://docs.vorlant.test/docs/main-window.png",
                                      "https://docs.vorlant.test/docs/about-window.png"])
            for image in images:
                self.assertTrue(os.path.exists(os.path.join(ROOT, "docs", os.path.basename(image))))
            for url in ("http://docs.vorlant.test/", "https://a b/", "docs/"):
                with self.subTest(url=url):
                    self.assertNotEqual(self.write(out + ".bad", url).returncode, 0)


if __name__ == "__main__":
    ROOT, BUILD, CLI, WINDOW = sys.argv[1:5]
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:])
