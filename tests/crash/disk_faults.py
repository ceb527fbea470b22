#!/usr/bin/env python3
"""The rename pass on disks that fail: full, filling up, read-only. Needs root to mount small
tmpfs file systems; exits with 77 (skipped) where mounting is not allowed.

    disk_faults.py DRIVER
"""

import os
import signal
import subprocess
import sys
import tempfile
import time

from crash_trials import fill, make_names, snapshot


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def mount(*args):
    return subprocess.run(["mount", *args], capture_output=True).returncode == 0


def fill_up(folder):
    """Fills a file system to the last byte."""
    fd = os.open(os.path.join(folder, "filler"), os.O_WRONLY | os.O_CREAT)
    try:
        while True:
            os.write(fd, b"\0" * 4096)
    except OSError:
        pass
    try:
        while True:
            os.write(fd, b"\0")
    except OSError:
        pass
    os.close(fd)


class Case:
    def __init__(self, work, name, count=400):
        self.root = os.path.join(work, name)
        self.folder = os.path.join(self.root, "Files")
        self.journals = os.path.join(self.root, "state")
        os.makedirs(self.folder)
        os.makedirs(self.journals)
        self.names = make_names(count)
        self.mounts = []

    def tmpfs(self, path, size):
        check(mount("-t", "tmpfs", "-o", "size=%s" % size, "tmpfs", path), "mount failed")
        self.mounts.append(path)

    def release(self):
        for path in reversed(self.mounts):
            subprocess.run(["umount", path], capture_output=True)

    def contents(self):
        return {n: b"contents %d of %s\n" % (i, n) for i, n in enumerate(self.names)}

    def expect_whole(self, allowed_new):
        """Every file once, with its contents, under its old name or one its pass may give it."""
        after = snapshot(self.folder)
        for name, data in self.contents().items():
            where = after.get(data, [])
            check(len(where) == 1, "%r is there %d times" % (name, len(where)))
            check(where[0] == name or where[0].upper() == name.upper() and allowed_new,
                  "%r is under %r" % (name, where[0]))
            check(not where[0].endswith(b".tmp") or name.endswith(b".tmp"), "%r left at %r" % (name, where[0]))
        return after


def run(driver, *args, check_rc=True):
    result = subprocess.run([driver, *args], capture_output=True, timeout=120,
                            env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    if check_rc and result.returncode != 0:
        raise Failure("%s %s: status %d" % (driver, args, result.returncode))
    return result.stdout.decode(), result.stderr.decode()


def journal_disk_full(driver, work):
    c = Case(work, "journal-disk-full")
    try:
        c.tmpfs(c.journals, "64k")
        fill_up(c.journals)
        fill(c.folder, c.names)
        out, err = run(driver, "pass", c.folder, c.journals)
        check("Журнал переименования не записан" in err, "no journal error reported: %r" % err)
        check("renamed" in out, out)
        c.expect_whole(True)
        check(os.listdir(c.journals) == ["filler"], "journal files left: %r" % os.listdir(c.journals))
        return "pass went on without a journal and said so: " + err.strip().splitlines()[0][:90]
    finally:
        c.release()


def plan_size(driver, c):
    """The size of the journal's plan for this folder, from a pass over a copy on a roomy disk."""
    probe, journals = os.path.join(c.root, "probe"), os.path.join(c.root, "probe-journals")
    os.makedirs(probe)
    fill(probe, c.names)
    run(driver, "pass", probe, journals)
    with open(os.path.join(journals, os.listdir(journals)[0]), "rb") as f:
        return f.read().index(b"\nB\n") + 3


def leave_room(folder, size):
    """Fills the file system but for size bytes, rounded up to whole pages."""
    fill_up(folder)
    filler = os.path.join(folder, "filler")
    pages = (size + 4095) // 4096
    os.truncate(filler, max(0, os.path.getsize(filler) - pages * 4096))


def journal_disk_fills_up(driver, work):
    """The plan fits, the records do not: the journal stays unfinished, recovery finishes it."""
    c = Case(work, "journal-disk-fills-up", count=2000)
    try:
        header = plan_size(driver, c)
        c.tmpfs(c.journals, "2m")
        fill(c.folder, c.names)
        leave_room(c.journals, header + 1024)
        run(driver, "pass", c.folder, c.journals)
        left = os.listdir(c.journals)
        check(any(n.endswith(".open") for n in left), "the journal should have stayed unfinished: %r" % left)
        c.expect_whole(True)
        out, _ = run(driver, "recover", c.journals)
        check("journals 1 new 0 old 0 left 0" in out, out)
        check(any(n.endswith(".done") for n in os.listdir(c.journals)), "not finished by recovery")
        c.expect_whole(True)
        return "plan %d bytes fits, the records do not: journal left unfinished, settled by the next start" % header
    finally:
        c.release()


def journal_disk_fills_up_and_killed(driver, work):
    """As above, and killed in the middle: recovery reads the folder, not the lost records."""
    results = []
    for trial in range(5):
        c = Case(work, "journal-full-killed-%d" % trial, count=2000)
        try:
            header = plan_size(driver, c)
            c.tmpfs(c.journals, "2m")
            fill(c.folder, c.names)
            leave_room(c.journals, header + 1024)
            proc = subprocess.Popen([driver, "pass", c.folder, c.journals], stdout=subprocess.PIPE,
                                    env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
            proc.stdout.readline()
            time.sleep(0.004 * (trial + 1))
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            temps = sum(1 for n in os.listdir(os.fsencode(c.folder)) if n.endswith(b".tmp") and
                        n != b"readme-0000.TXT.tmp")
            run(driver, "recover", c.journals)
            c.expect_whole(True)
            results.append(temps)
        finally:
            c.release()
    return "5 kills with a full journal disk; files under a temporary name before recovery: %s, none after" % results


def folder_disk_full(driver, work):
    c = Case(work, "folder-disk-full")
    try:
        c.tmpfs(c.folder, "4m")
        fill(c.folder, c.names)
        fill_up(c.folder)
        out, err = run(driver, "pass", c.folder, c.journals)
        os.remove(os.path.join(c.folder, "filler"))
        after = c.expect_whole(True)
        renamed = sum(1 for where in after.values() for w in where if w not in c.names and w != b"filler")
        return "renames need no space on tmpfs: %s (%d files under a new name)" % (out.strip().splitlines()[-1], renamed)
    finally:
        c.release()


def read_only_folder(driver, work):
    c = Case(work, "read-only-folder")
    try:
        c.tmpfs(c.folder, "4m")
        fill(c.folder, c.names)
        check(mount("-o", "remount,ro", c.folder), "remount failed")
        out, err = run(driver, "pass", c.folder, c.journals)
        check("renamed 0" in out, out)
        c.expect_whole(False)
        return "%s; every failure reported, nothing moved" % out.strip().splitlines()[-1]
    finally:
        c.release()


def main():
    driver = os.path.abspath(sys.argv[1])
    if os.geteuid() != 0:
        print("disk faults: skipped: mounting needs root")
        return 77
    work = tempfile.mkdtemp(prefix="vorlant-disk-")
    probe = os.path.join(work, "probe")
    os.mkdir(probe)
    if not mount("-t", "tmpfs", "-o", "size=64k", "tmpfs", probe):
        print("disk faults: skipped: tmpfs cannot be mounted here")
        return 77
    subprocess.run(["umount", probe])
    failed = 0
    for case in (journal_disk_full, journal_disk_fills_up, journal_disk_fills_up_and_killed, folder_disk_full,
                 read_only_folder):
        try:
            print("disk faults: %s: passed: %s" % (case.__name__, case(driver, work)))
        except (Failure, OSError, subprocess.SubprocessError) as e:
            failed += 1
            print("disk faults: %s: FAILED: %s" % (case.__name__, e))
    subprocess.run(["rm", "-rf", work])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
