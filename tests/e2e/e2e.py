#!/usr/bin/env python3
"""End-to-end tests: the real program in a real X server, driven by real key presses and clicks.

Starts Xvfb and openbox, copies the executable into a temporary folder (so that its user name
file "Vorlant.ini" lands beside it), and runs each scenario: start on a folder, press keys and
click, close the window, and check the folder on disk and the user name file.

    e2e.py VORLANT [SCENARIO ...]

Every wait polls for an outcome (a window, a file, the process's end) with a time limit.
"""

import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

MAIN_TITLE = "^Стилизованное переименование файлов"
WARNING_TITLE = "^Переименование файлов$"
SELF_CHECK_TITLE = "^Ошибка самопроверки Vorlant$"
ERROR_TITLE = "^Ворлант$"

# Client coordinates of the window's controls at 96 dots per inch.
RENAME_BUTTON = (58, 59)
ADD_BUTTON = (166, 59)
FIRST_ROW = (108, 105)
ROW_HEIGHT = 16


class Failure(Exception):
    pass


def wait_for(what, predicate, timeout=20.0, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


def check(condition, message):
    if not condition:
        raise Failure(message)


def names(folder):
    return sorted(os.listdir(os.fsencode(folder)))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data=b""):
    with open(path, "wb") as f:
        f.write(data)


class Display:
    """Xvfb on a free display number, with openbox."""

    def __init__(self, work):
        self.work = work
        self.xvfb = self.wm = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__()
            raise
        return self

    def _start(self):
        r, w = os.pipe()
        # Neither server keeps the test's output open: a server left behind would hold the test
        # runner until its time limit.
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(w,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                raise Failure("Xvfb did not start (status %s)" % self.xvfb.poll())
            number += chunk
        os.close(r)
        self.env = dict(os.environ, DISPLAY=":" + number.decode().strip())
        # In CI the window manager once did not come up within 20 s while other tests loaded the
        # machine: it gets 60 s, one that ends early is started again, and one that never comes is
        # reported with its output.
        wm_log = os.path.join(self.work, "openbox.log")
        for _ in range(3):
            with open(wm_log, "ab") as log:
                self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=log, stderr=log)
            try:
                wait_for("the window manager", self._wm_ready, timeout=60, interval=0.2)
                return
            except Failure:
                if self.wm.poll() is None:
                    break

        def state(p):
            return "running" if p.poll() is None else "ended with status %s" % p.returncode

        raise Failure("the window manager did not come up (openbox %s, Xvfb %s); its output:\n%s" % (
            state(self.wm), state(self.xvfb), read(wm_log).decode(errors="replace")[-2000:]))

    def _wm_ready(self):
        if self.wm.poll() is not None:
            raise Failure("openbox ended with status %s" % self.wm.returncode)
        try:
            return "window id" in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                                 capture_output=True, text=True, timeout=10).stdout
        except subprocess.TimeoutExpired:
            return False

    def __exit__(self, *exc):
        for p in (self.wm, self.xvfb):
            if p is None:
                continue
            p.terminate()
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=20)
        return result.stdout.strip()

    def windows(self, title):
        found = self.xdotool("search", "--onlyvisible", "--name", title)
        return found.split() if found else []

    def screenshot(self, path):
        # "import" reads the screen whole; "xwd -root" leaves popups (menus, tooltips) black.
        subprocess.run(["import", "-window", "root", path], env=self.env, timeout=20, check=False)


class App:
    """One run of the program."""

    def __init__(self, display, exe, folder, env_extra):
        self.display = display
        env = dict(display.env, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8", **env_extra)
        # In a sanitizer build: the window system's libraries keep memory to the end on purpose.
        env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":")
        self.log = open(os.path.join(env["XDG_STATE_HOME"], "..", "app.log"), "ab")
        self.proc = subprocess.Popen([exe, folder], env=env, stdout=self.log, stderr=self.log)
        self.wid = None

    def wait_window(self, timeout=60):
        # A first start on a busy machine has been seen to take over 30 s; a window that does not
        # come is reported with what the screen and the process were doing.
        started = time.monotonic()
        try:
            self.wid = wait_for("the main window", lambda: self._main_window(), timeout)[0]
        except Failure as e:
            raise Failure("%s\n%s" % (e, self.diagnosis()))
        wait_for("the main window to take the focus", lambda: self.display.xdotool("getactivewindow") == self.wid)
        seconds = time.monotonic() - started
        if seconds > 10:
            print("e2e: the main window took %.1f s to show" % seconds, flush=True)
        return seconds

    def diagnosis(self):
        lines = []
        for wid in self.display.xdotool("search", "--name", "").split()[:40]:
            name = self.display.xdotool("getwindowname", wid)
            if name:
                lines.append("  window %s: %r" % (wid, name))
        pid = self.proc.pid
        try:
            with open("/proc/%d/status" % pid) as f:
                lines += ["  " + l.rstrip() for l in f if l.startswith(("State:", "Threads:"))]
            with open("/proc/%d/wchan" % pid) as f:
                lines.append("  waits in: " + f.read().strip())
        except OSError as e:
            lines.append("  process: %s" % e)
        if shutil.which("gdb"):
            # The main thread's stack, then one line for each thread.
            bt = subprocess.run(["gdb", "-batch", "-p", str(pid), "-ex", "bt 30", "-ex", "info threads"],
                                capture_output=True, text=True, timeout=60)
            lines += ["  " + l[:200] for l in bt.stdout.splitlines() if l.lstrip("* ").startswith(("#", "Id"))
                      or l.lstrip("* ")[:1].isdigit()]
        return "\n".join(lines)

    def _main_window(self):
        check(self.proc.poll() is None, "the program ended early with status %s" % self.proc.returncode)
        return self.display.windows(MAIN_TITLE)

    def settle(self):
        """Waits until the window is shown, focused and stays where it is: a click then lands on
        the control aimed at, and keys reach the window."""
        last = [None, 0]

        def steady():
            d = self.display
            if d.xdotool("getactivewindow") != self.wid or d.xdotool("getwindowfocus", "-f") != self.wid:
                return False
            state = subprocess.run(["xprop", "-id", self.wid, "_NET_WM_STATE"], env=d.env, capture_output=True,
                                   text=True).stdout
            geometry = d.xdotool("getwindowgeometry", self.wid)
            if "HIDDEN" in state or geometry != last[0]:
                last[0], last[1] = geometry, 0
                return False
            last[1] += 1
            return last[1] >= 3

        wait_for("the window to settle", steady, interval=0.03)

    def activate(self):
        if self.display.xdotool("getactivewindow") != self.wid:
            self.display.xdotool("windowactivate", "--sync", self.wid)
            wait_for("the main window to be active", lambda: self.display.xdotool("getactivewindow") == self.wid)

    def key(self, *keys):
        self.activate()
        self.display.xdotool("key", "--clearmodifiers", *keys)

    def type(self, text, delay=20):
        self.display.xdotool("type", "--clearmodifiers", "--delay", str(delay), text)

    def click(self, point, row=0):
        self.activate()
        self.settle()
        self.display.xdotool("mousemove", "--window", self.wid, str(point[0]), str(point[1] + row * ROW_HEIGHT),
                             "click", "1")

    def answer(self, title, key="Return"):
        """Answers a message box of the program with a key press; returns its window."""
        box = wait_for("a message box «%s»" % title, lambda: self.display.windows(title))[0]
        self.display.xdotool("windowactivate", "--sync", box)
        self.display.xdotool("key", "--clearmodifiers", key)
        wait_for("the message box to close", lambda: box not in self.display.windows(title))
        return box

    def close(self):
        # The window manager closes the active window: on a busy machine ours may not have the
        # focus back yet (after a rescan, say), and the key would close nothing.
        if self.wid:
            try:
                wait_for("the window to be active",
                         lambda: self.display.xdotool("getactivewindow") == self.wid, timeout=5)
            except Failure:
                pass  # a dialog of ours may be the active window: the key goes to it, as before
        self.key("alt+F4")

    def wait_exit(self, timeout=20):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.log.close()


class Scenario:
    def __init__(self, display, exe, work, name):
        self.display = display
        self.root = os.path.join(work, name)
        self.bin = os.path.join(self.root, "bin")
        self.folder = os.path.join(self.root, "Files")
        self.state = os.path.join(self.root, "state")
        for d in (self.bin, self.folder, self.state, os.path.join(self.root, "config"),
                  os.path.join(self.root, "run")):
            os.makedirs(d)
        os.chmod(os.path.join(self.root, "run"), 0o700)
        self.exe = os.path.join(self.bin, "Vorlant")
        shutil.copy2(exe, self.exe)
        self.ini = os.path.join(self.bin, "Vorlant.ini")
        self.apps = []

    def files(self, *entries):
        for name in entries:
            name = os.fsencode(name)
            write(os.path.join(os.fsencode(self.folder), name), b"data of " + name)

    def contents_intact(self):
        for name in names(self.folder):
            data = read(os.path.join(os.fsencode(self.folder), name))
            check(data.startswith(b"data of "), "unexpected file %r" % name)
            check(data[8:].upper() == name.upper(), "%r holds the data of %r" % (name, data[8:]))

    def start(self):
        app = App(self.display, self.exe, self.folder, {
            "XDG_CONFIG_HOME": os.path.join(self.root, "config"),
            "XDG_STATE_HOME": self.state,
            "XDG_RUNTIME_DIR": os.path.join(self.root, "run"),
        })
        self.apps.append(app)
        return app

    def rename(self, app, expected, warning=False):
        """Presses Space on the focused rename button and waits for the folder to read `expected`."""
        app.key("space")
        if warning:
            app.answer(WARNING_TITLE)
        expected = sorted(os.fsencode(n) for n in expected)
        wait_for("the folder to read %r" % expected, lambda: names(self.folder) == expected)
        wait_for("the window to come back", lambda: self.display.xdotool("getactivewindow") == app.wid)
        app.settle()

    def journals(self):
        folder = os.path.join(self.state, "Vorlant")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else None

    def finish(self):
        for app in self.apps:
            app.kill()


def rename_edit_add_restart(s):
    s.files("readme.TXT", "setup.EXE", "zorkmid.DOC")
    app = s.start()
    app.wait_window()
    s.rename(app, ["ReadMe.txt", "Setup.exe", "zorkmid.doc"])
    # The unknown name is marked and listed first; edit its caption to another letter case.
    app.click(FIRST_ROW)
    app.key("F2")
    app.key("ctrl+a")
    app.type("ZorkMid")
    app.key("Return")
    app.click(ADD_BUTTON)
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(read(s.ini) == b"[NAMES]\n0=ZorkMid\n", "user name file: %r" % read(s.ini))
    check(names(s.folder) == [b"ReadMe.txt", b"Setup.exe", b"zorkmid.doc"], "an edit renamed a file")

    s.files("ZORKMID-2.TXT")
    app = s.start()
    app.wait_window()
    s.rename(app, ["ReadMe.txt", "Setup.exe", "ZorkMid.doc", "ZorkMid-2.txt"])
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(read(s.ini) == b"[NAMES]\n0=ZorkMid\n", "user name file changed: %r" % read(s.ini))
    s.contents_intact()
    journals = s.journals() or []
    check(len(journals) == 2 and all(j.endswith(".done") for j in journals), "journals: %r" % journals)


def keyboard_mark_edit_add_restart(s):
    """Keys only: into the list, Space marks the row and enables Add, F2 edits, Add adds."""
    s.files("zqtoolkit.TXT")
    app = s.start()
    app.wait_window()
    app.settle()
    # The focus starts on "Переименовать"; Tab passes the disabled add button to the list.
    app.key("Tab")
    app.key("Home")
    app.key("space")  # marks the row: the add button is enabled
    app.key("F2")
    app.key("ctrl+a")
    app.type("ZqToolKit", delay=40)
    app.key("Return")
    app.key("shift+Tab")  # back to the add button, which only an enabled one takes
    app.key("space")
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(os.path.exists(s.ini) and read(s.ini) == b"[NAMES]\n0=ZqToolKit\n",
          "user name file: %r" % (read(s.ini) if os.path.exists(s.ini) else None))
    check(names(s.folder) == [b"zqtoolkit.TXT"], "an edit renamed a file")

    app = s.start()
    app.wait_window()
    s.rename(app, ["ZqToolKit.txt"])
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    s.contents_intact()


def keyboard_accepts_suggested_spellings(s):
    """Keys only: after the pass, the context menu's command takes the suggestions, Add adds them."""
    s.files("printpreview.TXT", "setupwizard_2.doc", "qzxvkwj.txt")
    app = s.start()
    app.wait_window()
    app.settle()
    s.rename(app, ["printpreview.txt", "qzxvkwj.txt", "setupwizard_2.doc"])
    # The pass leaves the focus on the add button; Tab goes on to the list.
    app.key("Tab")
    app.key("Home")
    shown = lambda: app.display.xdotool("search", "--onlyvisible", "--class", "").split()
    before = len(shown())
    app.key("Menu")
    wait_for("the context menu", lambda: len(shown()) > before, timeout=5)

    # A busy machine may map the menu before it takes the keyboard: the key goes again until the
    # menu has closed on it.
    def accepted():
        app.key("Cyrillic_pe")
        try:
            wait_for("the menu to close", lambda: len(shown()) <= before, timeout=1.5)
            return True
        except Failure:
            return False
    wait_for("the command to be taken", accepted, timeout=10, interval=0)
    app.key("shift+Tab")  # back to the add button, now enabled
    app.key("space")
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    expected = b"[NAMES]\n0=PrintPreview\n1=qzxvkwj\n2=SetupWizard\n"
    check(os.path.exists(s.ini) and read(s.ini) == expected,
          "user name file: %r" % (read(s.ini) if os.path.exists(s.ini) else None))

    app = s.start()
    app.wait_window()
    s.rename(app, ["PrintPreview.txt", "SetupWizard_2.doc", "qzxvkwj.txt"])
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    s.contents_intact()


def keyboard_refused_edit_keeps_the_list(s):
    """After a refused edit the list has the focus again, on its row, with the editor closed."""
    s.files("zqtoolkit.TXT")
    app = s.start()
    app.wait_window()
    app.settle()
    app.key("Tab")
    app.key("Home")
    app.key("F2")
    app.key("ctrl+a")
    app.type("Other", delay=40)
    app.key("Return")
    app.answer(WARNING_TITLE)
    app.settle()
    # Space marks the row only when the list has the focus and no editor is open.
    app.key("space")
    app.key("shift+Tab")
    app.key("space")
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(os.path.exists(s.ini) and read(s.ini) == b"[NAMES]\n0=zqtoolkit\n",
          "the list did not have the focus: user name file %r" % (read(s.ini) if os.path.exists(s.ini) else None))


def keyboard_about_and_window_menu(s):
    """F1 opens the About window; Shift+F10 on a button opens the window menu."""
    s.files("readme.TXT")
    app = s.start()
    app.wait_window()
    app.settle()
    app.key("F1")
    about = wait_for("the About window", lambda: s.display.windows("^О программе$"))[0]
    s.display.xdotool("windowactivate", "--sync", about)
    s.display.xdotool("key", "--clearmodifiers", "Escape")
    wait_for("the About window to close", lambda: not s.display.windows("^О программе$"))
    app.settle()
    # The focus is on "Переименовать", which has no menu of its own: the window menu opens, and
    # its last item is "О программе".
    app.key("shift+F10")
    time.sleep(0.3)
    s.display.xdotool("key", "--clearmodifiers", "Up", "Return")
    about = wait_for("the About window from the window menu", lambda: s.display.windows("^О программе$"))[0]
    s.display.xdotool("windowactivate", "--sync", about)
    s.display.xdotool("key", "--clearmodifiers", "Escape")
    wait_for("the About window to close", lambda: not s.display.windows("^О программе$"))
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(names(s.folder) == [b"readme.TXT"], "a file changed")


def picker_in_russian_keeps_no_settings(s):
    """The folder picker opens on F4 and writes no settings file of its own."""
    app = s.start()
    app.wait_window()
    app.settle()
    app.key("F4")  # the focus is in the folder box: the list is empty
    picker = wait_for("the folder picker", lambda: s.display.windows("^Выберите для переименования:$"))[0]
    time.sleep(0.5)
    shot = os.environ.get("VORLANT_E2E_PICKER_SHOT")
    if shot:
        s.display.screenshot(shot)
    s.display.xdotool("windowactivate", "--sync", picker)
    s.display.xdotool("key", "--clearmodifiers", "Escape")
    wait_for("the picker to close", lambda: not s.display.windows("^Выберите для переименования:$"))
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    written = [os.path.join(r, f) for r, _, fs in os.walk(os.path.join(s.root, "config")) for f in fs]
    check(written == [], "files written into the configuration folder: %r" % written)


def hostile_names_on_disk(s):
    long_name = b"a" * 251 + b".TXT"
    s.files(b"readme\n.TXT", b"caf\xe9.TXT", long_name, "ſetup.EXE", "README.TXT", "ReadMe.txt")
    app = s.start()
    app.wait_window()
    # «ſetup» would become «Setup»: more than letter case, refused. «README.TXT»: name taken. The
    # 255-byte name has no room for a temporary name, and needs none: the folder tells case apart.
    s.rename(app, [b"ReadMe\n.txt", b"caf\xe9.TXT", b"a" * 251 + b".txt", "ſetup.EXE", "README.TXT",
                   "ReadMe.txt"],
             warning=True)
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    s.contents_intact()
    check(not os.path.exists(s.ini), "a user name file was written without names")


def damaged_user_name_file(s):
    rng = random.Random(11)
    damaged = bytes(rng.randrange(256) for _ in range(20000)).replace(b"NAME", b"N")
    write(s.ini, damaged)
    s.files("readme.TXT", "zorkmid.DOC")
    app = s.start()
    app.wait_window()
    s.rename(app, ["ReadMe.txt", "zorkmid.doc"])
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(read(s.ini) == damaged, "the damaged file was changed")


def huge_user_name_file(s):
    line = b"; " + b"x" * 98 + b"\n"
    huge = b"[NAMES]\n0=ZorkMid\n[OTHER]\n" + line * 300000  # 30 MB
    write(s.ini, huge)
    s.files("zorkmid.DOC")
    app = s.start()
    seconds = app.wait_window(timeout=60)
    s.rename(app, ["ZorkMid.doc"])
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(read(s.ini) == huge, "the file was changed")
    return "30 MB user name file: window after %.1f s" % seconds


def hostile_user_name_file(s):
    hostile = "[NAMES]\n0=Read/Me\n1=ſomefile\n2=Zork..Mid\n[NAME.EXT]\n0=Etc/Passwd\n".encode()
    write(s.ini, hostile)
    s.files("SOMEFILE.TXT", "zork..mid.TXT", "readme.TXT")
    outside = sorted(set(os.listdir(s.root)) | {"app.log"})
    app = s.start()
    app.wait_window()
    # «SOMEFILE» would take the spelling «ſomefile»: more than letter case, refused.
    s.rename(app, ["SOMEFILE.TXT", "Zork..Mid.txt", "ReadMe.txt"], warning=True)
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    s.contents_intact()
    check(sorted(os.listdir(s.root)) == outside, "something changed outside the folder: %r" % os.listdir(s.root))
    check(read(s.ini) == hostile, "the file was changed")


def self_check_fault_ends_program(s):
    """A name that fails the self-check stops the program before it serves the user."""
    s.files("SOMEFILE.TXT", "Zork..Mid.txt", "ReadMe.txt")
    stopping = b"[NAMES]\n0=../ReadMe\n"
    write(s.ini, stopping)
    app = s.start()
    answered = 0
    while True:
        seen = wait_for("a self-check message, the end of the program or its window", lambda: (
            "end" if app.proc.poll() is not None else "box" if app.display.windows(SELF_CHECK_TITLE)
            else "window" if app.display.windows(MAIN_TITLE) else None))
        if seen != "box":
            break
        app.answer(SELF_CHECK_TITLE)  # Yes: go on with the check
        answered += 1
    check(answered >= 1, "the self-check reported nothing")
    check(seen == "end" or app.wait_exit(timeout=5) is None, "the program went on after the self-check")
    check(app.proc.returncode == 1, "the program ended with status %s" % app.proc.returncode)
    check(names(s.folder) == sorted(os.fsencode(n) for n in ["SOMEFILE.TXT", "Zork..Mid.txt", "ReadMe.txt"]),
          "files changed")
    check(read(s.ini) == stopping, "the file was changed")


def unwritable_user_name_file(s):
    os.mkdir(s.ini)  # something at the path that is not a file
    s.files("zorkmid.DOC")
    app = s.start()
    app.wait_window()
    s.rename(app, ["zorkmid.doc"])
    app.click(ADD_BUTTON)  # the unknown name is marked: add it
    app.close()
    app.answer(ERROR_TITLE)  # "Unable to write to …"
    check(app.proc.poll() is None, "the window closed although its names were not saved")
    os.rmdir(s.ini)
    app.close()
    check(app.wait_exit() == 0, "the program did not end normally")
    check(read(s.ini) == b"[NAMES]\n0=zorkmid\n", "user name file: %r" % read(s.ini))


def killed_pass_recovered_at_next_start(s):
    """SIGKILL during a pass of the real program; the next start puts every file in its place."""
    kinds = [("readme-%04d.TXT", "ReadMe-%04d.txt"), ("SETUP-%04d.EXE", "Setup-%04d.exe"),
             ("zqx%04d.DOC", "zqx%04d.doc")]
    plan = {}
    for i in range(2000):
        old, new = kinds[i % 3]
        plan[os.fsencode(old % i)] = os.fsencode(new % i)
    journals = os.path.join(s.state, "Vorlant")
    kills = in_flight = attempts = 0
    while kills < 3:
        attempts += 1
        check(attempts <= 10, "no kill landed inside a pass")
        for name in names(s.folder):
            os.remove(os.path.join(os.fsencode(s.folder), name))
        shutil.rmtree(journals, ignore_errors=True)
        s.files(*plan)
        app = s.start()
        app.wait_window()
        app.key("space")
        wait_for("the pass's journal", lambda: os.path.isdir(journals) and any(
            j.endswith((".open", ".done")) for j in os.listdir(journals)), interval=0.002)
        time.sleep(random.uniform(0, 0.05))
        app.proc.kill()
        app.wait_exit()
        if not any(j.endswith(".open") for j in os.listdir(journals)):
            continue  # the pass had already finished
        kills += 1
        in_flight += sum(1 for n in names(s.folder) if n.endswith(b".tmp"))

        app = s.start()
        # Recovery runs before the window shows; it reports what it moved in a message box.
        wait_for("the window or the recovery report",
                 lambda: app.display.windows(WARNING_TITLE) or app.display.windows(MAIN_TITLE))
        if app.display.windows(WARNING_TITLE):
            app.answer(WARNING_TITLE)
        app.wait_window()
        app.close()
        check(app.wait_exit() == 0, "the program did not end normally")
        after = names(s.folder)
        check(len(after) == len(plan), "%d files instead of %d" % (len(after), len(plan)))
        for old, new in plan.items():
            where = old if old in after else new
            check(where in after, "%r is lost" % old)
            check(read(os.path.join(os.fsencode(s.folder), where)) == b"data of " + old, "%r lost its data" % old)
        check(all(j.endswith(".done") for j in os.listdir(journals)), "an unfinished journal is left")
    return "%d kills in %d starts, %d files caught under a temporary name, none lost or left" % (
        kills, attempts, in_flight)


def mount(*args):
    """A mount as root where the machine allows it; False when it does not."""
    return os.geteuid() == 0 and subprocess.run(["mount", *args], capture_output=True).returncode == 0


def umount(path):
    subprocess.run(["umount", path], capture_output=True)


def full_disk_user_name_file(s):
    exe = read(s.exe)
    os.remove(s.exe)
    if not mount("-t", "tmpfs", "-o", "size=%d" % (len(exe) + 64 * 1024), "tmpfs", s.bin):
        write(s.exe, exe)
        return "skipped: no tmpfs mount here"
    try:
        write(s.exe, exe)
        os.chmod(s.exe, 0o755)
        old = b"[NAMES]\n0=Kvartal\n"
        write(s.ini, old)
        filler = os.path.join(s.bin, "filler")
        fd = os.open(filler, os.O_WRONLY | os.O_CREAT)
        try:
            while True:
                os.write(fd, b"\0" * 4096)
        except OSError:
            pass
        os.close(fd)
        s.files("zorkmid.DOC")
        app = s.start()
        app.wait_window()
        s.rename(app, ["zorkmid.doc"])
        app.click(ADD_BUTTON)
        app.close()
        app.answer(ERROR_TITLE)  # "Unable to write to …"
        check(app.proc.poll() is None, "the window closed although its names were not saved")
        check(read(s.ini) == old, "the old user name file was damaged: %r" % read(s.ini))
        os.remove(filler)
        app.close()
        check(app.wait_exit() == 0, "the program did not end normally")
        check(read(s.ini) == b"[NAMES]\n0=Kvartal\n1=zorkmid\n", "user name file: %r" % read(s.ini))
        check(sorted(os.listdir(s.bin)) == ["Vorlant", "Vorlant.ini"], "a temporary file was left: %r"
              % os.listdir(s.bin))
    finally:
        s.finish()
        umount(s.bin)


def read_only_folder(s):
    if not mount("-t", "tmpfs", "-o", "size=1m", "tmpfs", s.folder):
        return "skipped: no tmpfs mount here"
    try:
        s.files("readme.TXT", "setup.EXE")
        check(mount("-o", "remount,ro", s.folder), "cannot make the folder read-only")
        app = s.start()
        app.wait_window()
        s.rename(app, ["readme.TXT", "setup.EXE"], warning=True)
        app.close()
        check(app.wait_exit() == 0, "the program did not end normally")
        s.contents_intact()
    finally:
        s.finish()
        umount(s.folder)


SCENARIOS = [rename_edit_add_restart, keyboard_mark_edit_add_restart, keyboard_accepts_suggested_spellings,
             keyboard_refused_edit_keeps_the_list,
             keyboard_about_and_window_menu, picker_in_russian_keeps_no_settings, hostile_names_on_disk, damaged_user_name_file, huge_user_name_file,
             hostile_user_name_file, self_check_fault_ends_program, unwritable_user_name_file, full_disk_user_name_file, read_only_folder,
             killed_pass_recovered_at_next_start]


def main():
    exe = os.path.abspath(sys.argv[1])
    wanted = sys.argv[2:]
    missing = [t for t in ("Xvfb", "openbox", "xdotool", "xprop", "import") if not shutil.which(t)]
    if missing:
        print("e2e: skipped: %s not installed (scripts/setup installs them)" % ", ".join(missing))
        return 77
    work = tempfile.mkdtemp(prefix="vorlant-e2e-")
    failed = 0
    try:
        with Display(work) as display:
            for scenario in SCENARIOS:
                if wanted and scenario.__name__ not in wanted:
                    continue
                s = Scenario(display, exe, work, scenario.__name__)
                started = time.monotonic()
                try:
                    note = scenario(s)
                    print("e2e: %s: passed (%.1f s)%s" % (scenario.__name__, time.monotonic() - started,
                                                         "; " + note if note else ""))
                except Failure as e:
                    failed += 1
                    shot = os.path.join(tempfile.gettempdir(), "vorlant-e2e-%s.png" % scenario.__name__)
                    display.screenshot(shot)
                    print("e2e: %s: FAILED: %s (screen in %s)" % (scenario.__name__, e, shot))
                    log = os.path.join(s.root, "app.log")
                    if os.path.exists(log):
                        sys.stdout.write(read(log).decode(errors="replace")[-2000:])
                finally:
                    s.finish()
    except Failure as e:
        # Only the display's start reaches here: each scenario's failure is caught above.
        print("e2e: FAILED: %s" % e)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
