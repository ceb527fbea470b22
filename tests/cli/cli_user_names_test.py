#!/usr/bin/env python3
"""The user name file through the real vorlant-cli: damaged and mixed encodings, and two
programs adding names at the same time.

Usage: cli_user_names_test.py VORLANT_CLI [unittest arguments]
"""

import os
import subprocess
import sys
import tempfile
import threading
import unittest

CLI = ""


class UserNameFile(unittest.TestCase):
    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="vorlant-names-")
        self.tmp = self._tmp.name
        self.names_file = os.path.join(self.tmp, "Vorlant.ini")
        self.env = dict(os.environ, HOME=self.tmp, LC_ALL="C.UTF-8",
                        XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                        XDG_STATE_HOME=os.path.join(self.tmp, "state"))

    def tearDown(self):
        self._tmp.cleanup()

    def run_cli(self, *args):
        p = subprocess.run([CLI, "--user-names", self.names_file] + list(args),
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=self.env)
        return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")

    def write_names(self, data):
        with open(self.names_file, "wb") as f:
            f.write(data)

    def read_names(self):
        with open(self.names_file, "rb") as f:
            return f.read()

    def preview(self, *files):
        folder = os.path.join(self.tmp, "files")
        os.makedirs(folder, exist_ok=True)
        for name in files:
            open(os.path.join(folder, name), "wb").close()
        status, out, err = self.run_cli(folder)
        self.assertEqual((status, err), (0, ""))
        return out

    def test_each_line_is_decoded_on_its_own_and_kept_as_it_was(self):
        # A stray byte that is not UTF-8 in a comment of another section; a Windows-1251 line.
        other = b"[Other]\r\n; caf\xe9 \xff\r\nkey = value \r\n\r\n"
        names = "[NAMES]\r\n; my own names\r\n0=Заря\r\n".encode() + b"1=\xc2\xe5\xf2\xe5\xf0\r\n"
        self.write_names(other + names)
        out = self.preview("ЗАРЯ.TXT", "ВЕТЕР.TXT")
        self.assertIn("ЗАРЯ.TXT → Заря.txt", out)
        self.assertIn("ВЕТЕР.TXT → Ветер.txt", out)

        status, out, err = self.run_cli("--add", "Aqwizt")
        self.assertEqual((status, err), (0, ""))
        data = self.read_names()
        self.assertTrue(data.startswith(other), data)  # byte for byte
        self.assertEqual(data[len(other):].decode("utf-8"),
                         "[NAMES]\r\n; my own names\r\n0=Aqwizt\r\n1=Ветер\r\n2=Заря\r\n")

    def test_a_byte_order_mark_before_a_bad_byte_leaves_the_header_whole(self):
        original = b"\xef\xbb\xbf[NAMES]\n0=Zorkmid\n[Other]\n; \xff\n"
        self.write_names(original)
        self.assertIn("ZORKMID.TXT → Zorkmid.txt", self.preview("ZORKMID.TXT"))
        status, _, err = self.run_cli("--add", "Aqwizt")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.read_names(), b"\xef\xbb\xbf[NAMES]\n0=Aqwizt\n1=Zorkmid\n[Other]\n; \xff\n")

    def test_two_programs_adding_at_once_keep_every_name(self):
        def letters(n):
            return "".join(chr(ord("a") + (n // 26 ** k) % 26) for k in range(2))

        added = {0: [], 1: []}

        def loop(which):
            for i in range(30):
                name = "Parallel" + "AB"[which] + letters(i) + "Tool"
                status, out, err = self.run_cli("--add", name)
                if status == 0 and "добавлено" in out:
                    added[which].append(name)

        threads = [threading.Thread(target=loop, args=(w,)) for w in (0, 1)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual((len(added[0]), len(added[1])), (30, 30))
        saved = self.read_names().decode("utf-8").splitlines()
        names = {line.split("=", 1)[1] for line in saved if "=" in line}
        self.assertEqual(names, set(added[0]) | set(added[1]))
        self.assertEqual(len(saved), 61)  # the header and one line per name
        self.assertFalse(os.path.exists(self.names_file + ".lock"))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    CLI = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
