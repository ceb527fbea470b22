#!/usr/bin/python3
"""A pass-through file system that folds letter case as FAT does, for the tests.

    foldfs.py BACKING MOUNTPOINT

Mounts BACKING at MOUNTPOINT in the foreground until it is unmounted (fusermount -u). Names keep
the spelling they were created with, but every lookup ignores case: «README.TXT» opens
«readme.TXT», a file cannot be created beside another whose name differs only in case, and a
rename that only changes case respells the one entry. So a no-replace rename to the same file
under another case answers EEXIST, as on FAT. Like FAT it has no hard links, and a plain rename
onto another file replaces it. Names are bytes: those that are not UTF-8 pass through unchanged.

Runs single-threaded and keeps an index of each folder's names, upper-cased, so that a lookup
does not list the folder. Nothing else writes to BACKING while it is mounted.
"""

import errno
import os
import sys

from fusepy import FUSE, FuseOSError, Operations

# The kernel hands paths over as bytes; Latin-1 maps every byte to one character and back, so
# any name survives the trip through fusepy's strings.
WIRE = "latin-1"


def key(name):
    """The case-folded form of one name (bytes)."""
    return name.decode("utf-8", "surrogateescape").upper()


class FoldFS(Operations):
    def __init__(self, backing):
        self.backing = os.fsencode(os.path.realpath(backing))
        self.index = {}  # backing folder -> {folded name: name}

    # -- paths ---------------------------------------------------------------------------------

    def names(self, folder):
        found = self.index.get(folder)
        if found is None:
            found = {key(n): n for n in os.listdir(folder)}
            self.index[folder] = found
        return found

    def split(self, path):
        """The backing folder of path's parent and path's last name (as given)."""
        parts = [p.encode(WIRE) for p in path.split("/") if p]
        folder = self.backing
        for part in parts[:-1]:
            real = self.names(folder).get(key(part))
            if real is None:
                raise FuseOSError(errno.ENOENT)
            folder = os.path.join(folder, real)
        return folder, parts[-1] if parts else b""

    def real(self, path, must_exist=True):
        """The backing path: an existing entry under its own spelling, else the name as given."""
        folder, name = self.split(path)
        if not name:
            return folder
        existing = self.names(folder).get(key(name))
        if existing is None and must_exist:
            raise FuseOSError(errno.ENOENT)
        return os.path.join(folder, existing if existing is not None else name)

    def added(self, full):
        folder, name = os.path.split(full)
        self.names(folder)[key(name)] = name

    def removed(self, full):
        folder, name = os.path.split(full)
        self.names(folder).pop(key(name), None)
        self.index.pop(full, None)

    @staticmethod
    def call(fn, *args):
        try:
            return fn(*args)
        except OSError as e:
            raise FuseOSError(e.errno) from None

    # -- metadata ------------------------------------------------------------------------------

    def getattr(self, path, fh=None):
        st = self.call(os.lstat, self.real(path))
        return {k: getattr(st, k) for k in ("st_mode", "st_ino", "st_nlink", "st_uid", "st_gid",
                                            "st_size", "st_atime", "st_mtime", "st_ctime")}

    def access(self, path, amode):
        if not os.access(self.real(path), amode):
            raise FuseOSError(errno.EACCES)

    def chmod(self, path, mode):
        self.call(os.chmod, self.real(path), mode)

    def chown(self, path, uid, gid):
        self.call(os.chown, self.real(path), uid, gid)

    def utimens(self, path, times=None):
        self.call(os.utime, self.real(path), times)

    def statfs(self, path):
        st = os.statvfs(self.real(path))
        return {k: getattr(st, k) for k in ("f_bavail", "f_bfree", "f_blocks", "f_bsize",
                                            "f_favail", "f_ffree", "f_files", "f_flag",
                                            "f_frsize", "f_namemax")}

    def readdir(self, path, fh):
        return [".", ".."] + [n.decode(WIRE) for n in self.names(self.real(path)).values()]

    def readlink(self, path):
        return self.call(os.readlink, self.real(path)).decode(WIRE)

    # -- entries -------------------------------------------------------------------------------

    def mkdir(self, path, mode):
        full = self.real(path, must_exist=False)
        self.call(os.mkdir, full, mode)
        self.added(full)

    def rmdir(self, path):
        full = self.real(path)
        self.call(os.rmdir, full)
        self.removed(full)

    def unlink(self, path):
        full = self.real(path)
        self.call(os.unlink, full)
        self.removed(full)

    def symlink(self, target, source):
        full = self.real(target, must_exist=False)
        self.call(os.symlink, source.encode(WIRE), full)
        self.added(full)

    def link(self, target, source):
        raise FuseOSError(errno.EPERM)  # FAT has no hard links

    def rename(self, old, new):
        source = self.real(old)
        folder, name = self.split(new)
        existing = self.names(folder).get(key(name))
        target = os.path.join(folder, name)
        if existing is not None and os.path.join(folder, existing) != source:
            # Another file under that name in some case: replaced, as a plain rename does.
            victim = os.path.join(folder, existing)
            self.call(os.rename, source, victim)
            self.removed(source)
            self.removed(victim)
            self.call(os.rename, victim, target)
        else:
            self.call(os.rename, source, target)
            self.removed(source)
        self.added(target)

    # -- contents ------------------------------------------------------------------------------

    def create(self, path, mode, fi=None):
        full = self.real(path, must_exist=False)
        fd = self.call(os.open, full, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)
        self.added(full)
        return fd

    def open(self, path, flags):
        return self.call(os.open, self.real(path), flags & ~(os.O_CREAT | os.O_EXCL))

    def read(self, path, size, offset, fh):
        return self.call(os.pread, fh, size, offset)

    def write(self, path, data, offset, fh):
        return self.call(os.pwrite, fh, data, offset)

    def truncate(self, path, length, fh=None):
        self.call(os.truncate, self.real(path), length)

    def flush(self, path, fh):
        return 0

    def fsync(self, path, datasync, fh):
        self.call(os.fsync, fh)

    def release(self, path, fh):
        os.close(fh)


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    # No kernel caching of names or attributes: two spellings are two cache entries to the kernel,
    # and a rename under one must be seen under the other at once.
    FUSE(FoldFS(sys.argv[1]), sys.argv[2], foreground=True, nothreads=True, encoding=WIRE,
         use_ino=True, entry_timeout=0, attr_timeout=0, negative_timeout=0)
    return 0


if __name__ == "__main__":
    sys.exit(main())
