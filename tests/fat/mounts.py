"""Mounts for the tests that need a file system that folds letter case: a FAT image through
fusefat, and the pass-through file system of foldfs.py. Each is a context manager that unmounts
however its block ends. Where the machine cannot mount (no /dev/fuse, a missing tool, a mount
that does not come up), Unavailable says why, and the test reports itself skipped.
"""

import contextlib
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SKIPPED = 77  # what ctest takes for a skipped test


class Unavailable(Exception):
    pass


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIPPED)


def _need(*tools):
    if not os.path.exists("/dev/fuse"):
        raise Unavailable("/dev/fuse is missing")
    for tool in tools:
        if not shutil.which(tool):
            raise Unavailable("%s is not installed (scripts/setup installs it)" % tool)


def _wait_mounted(point, proc=None, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if os.path.ismount(point):
            return True
        if proc is not None and proc.poll() is not None:
            return False
        time.sleep(0.05)
    return False


def unmount(point):
    """Unmounts point, waiting out a busy file system for a few seconds, lazily at last."""
    for _ in range(50):
        if not os.path.ismount(point):
            return
        if subprocess.run(["fusermount", "-u", point], capture_output=True).returncode == 0:
            return
        time.sleep(0.1)
    subprocess.run(["fusermount", "-u", "-z", point], capture_output=True)


@contextlib.contextmanager
def fat_image(work):
    """A fresh FAT16 image, formatted and mounted read-write; yields the mount point.

    fusefat loses entries of a folder that grows past its first cluster: 8 KB clusters give each
    folder room for some 250 entries, well above the few dozen files a test puts in one.
    """
    _need("mkfs.vfat", "fusefat", "fusermount")
    image = os.path.join(work, "fat.img")
    point = os.path.join(work, "fat")
    os.mkdir(point)
    with open(image, "wb") as f:
        f.truncate(64 * 1024 * 1024)
    made = subprocess.run(["mkfs.vfat", "-F", "16", "-s", "16", image], capture_output=True, text=True)
    if made.returncode != 0:
        raise Unavailable("mkfs.vfat failed: " + made.stderr.strip())
    mounted = subprocess.run(["fusefat", "-o", "rw+", image, point], capture_output=True, text=True)
    if mounted.returncode != 0 or not _wait_mounted(point):
        unmount(point)
        raise Unavailable("fusefat could not mount the image: " + mounted.stderr.strip())
    try:
        yield point
    finally:
        unmount(point)


@contextlib.contextmanager
def folding_mount(work):
    """foldfs.py over a fresh folder; yields the mount point."""
    _need("fusermount")
    python = "/usr/bin/python3"  # where Debian's python3-fusepy is importable
    if subprocess.run([python, "-c", "import fusepy"], capture_output=True).returncode != 0:
        raise Unavailable("python3-fusepy is not installed (scripts/setup installs it)")
    backing = os.path.join(work, "backing")
    point = os.path.join(work, "folding")
    os.mkdir(backing)
    os.mkdir(point)
    log = open(os.path.join(work, "foldfs.log"), "wb")
    proc = subprocess.Popen([python, os.path.join(HERE, "foldfs.py"), backing, point],
                            stdout=log, stderr=subprocess.STDOUT)
    try:
        if not _wait_mounted(point, proc):
            log.flush()
            with open(log.name, "rb") as f:
                said = f.read().decode(errors="replace").strip()
            raise Unavailable("the folding file system did not mount: " + said)
        yield point
    finally:
        unmount(point)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
        log.close()
