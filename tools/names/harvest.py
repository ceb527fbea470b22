#!/usr/bin/env python3
"""Collects the name parts of real file names found on this machine into candidates.tsv.

Sources (the second column of the output):
  files     files on disk (regular files and links; the project's own tree is left out)
  debs      file lists of the Debian archives kept in the package cache
  archives  entries of the jar, jmod, zip, whl and egg archives on disk (JDK classes and so on)
  nuget     NuGet package ids (the names of the packages' DLLs)
  maven     Maven artifact ids (the names of the artifacts' jar files)
  npm       npm package names (the names of the packages' folders)
  mentions  file names written in the text files on disk: a name with a well-known extension
            ("StdAfx.h", "Times New Roman Bold.ttf"), or a folder of a Windows path
            ("C:\\Program Files (x86)\\...")

Each output row is: name part <TAB> source <TAB> places, where places counts the distinct places
(folders, packages or archives, with version numbers folded together) in which that source has a
file of that name part. Only name parts that could give a dictionary row are kept: after trimming
the caseless characters at both ends, 2 to 63 characters from the allowed set with at least one
upper-case letter. The exact name core and the final choice are made by vorlant-build-names.

Usage: harvest.py [--lists DIR] [--out FILE]
"""

import argparse
import collections
import os
import re
import subprocess
import sys

ALLOWED = set("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_- .(&%')")
CYRILLIC = re.compile(r"[\u0400-\u045F\u0490\u0491]")
UPPER = re.compile(r"[A-Z\u0400-\u042F\u0490]")
DIGITS = re.compile(r"[0-9]+")
SKIP_ROOTS = ("/proc", "/sys", "/dev", "/run", "/tmp", "/work", "/var/tmp", "/lost+found")
ARCHIVE_ENDINGS = (".jar", ".jmod", ".zip", ".whl", ".egg")
ONLY_LOWER_ROW = "wizbutttop"


def is_cased(c):
    return c.upper() != c.lower()


def rough_core(name_part):
    """The name part without a ".shtml" tail and without caseless characters at its ends."""
    if name_part.lower().endswith(".shtml"):
        name_part = name_part[:-6]
    begin, end = 0, len(name_part)
    while begin < end and not is_cased(name_part[begin]):
        begin += 1
    while end > begin and not is_cased(name_part[end - 1]):
        end -= 1
    return name_part[begin:end]


def may_give_row(name_part):
    core = rough_core(name_part)
    if not 2 <= len(core) <= 63:
        return False
    if any(c not in ALLOWED and not CYRILLIC.match(c) for c in core):
        return False
    return bool(UPPER.search(core)) or core == ONLY_LOWER_ROW


def name_part_of(file_name):
    dot = file_name.rfind(".")
    return file_name if dot < 0 else file_name[:dot]


def fold(place):
    return DIGITS.sub("#", place)


class Pool:
    def __init__(self):
        self.places = collections.defaultdict(set)  # (name part, source) -> places

    def add_file(self, source, file_name, place):
        part = name_part_of(file_name)
        if part and may_give_row(part):
            self.places[(part, source)].add(fold(place))

    def write(self, path):
        rows = sorted(self.places.items(), key=lambda kv: (kv[0][0].encode(), kv[0][1]))
        with open(path, "w", encoding="utf-8", newline="\n") as out:
            for (part, source), places in rows:
                out.write(f"{part}\t{source}\t{len(places)}\n")
        return len(rows)


def walk_disk(pool):
    archives = []
    for root, dirs, files in os.walk("/", topdown=True, followlinks=False):
        dirs[:] = sorted(d for d in dirs if os.path.join(root, d) not in SKIP_ROOTS)
        for f in sorted(files):
            pool.add_file("files", f, root)
            path = os.path.join(root, f)
            if f.lower().endswith(ARCHIVE_ENDINGS) and os.path.isfile(path):
                archives.append(path)
    return archives


def read_archives(pool, archives):
    for path in archives:
        listing = subprocess.run(["unzip", "-Z1", path], capture_output=True)
        for entry in listing.stdout.decode("utf-8", "replace").splitlines():
            folder, _, f = entry.rstrip("/").rpartition("/")
            if f and not entry.endswith("/"):
                pool.add_file("archives", f, path + "!" + folder)


def read_debs(pool, cache="/var/cache/apt/archives"):
    if not os.path.isdir(cache):
        return
    for deb in sorted(os.listdir(cache)):
        if not deb.endswith(".deb"):
            continue
        listing = subprocess.run(["dpkg-deb", "--fsys-tarfile", os.path.join(cache, deb)],
                                 capture_output=True)
        names = subprocess.run(["tar", "-t"], input=listing.stdout, capture_output=True)
        package = deb.split("_")[0]
        for entry in names.stdout.decode("utf-8", "replace").splitlines():
            if not entry.endswith("/"):
                pool.add_file("debs", entry.rpartition("/")[2], package)


# Extensions that mark a word as a file name. Those that also end web addresses and product
# names (".js", ".com", ".net", ".io") are left out.
EXTENSIONS = (
    "txt|h|hh|hpp|hxx|c|cc|cpp|cxx|java|py|pm|pl|cs|dll|exe|sys|ini|inf|cfg|conf|xml|json|html?"
    "|png|gif|jpe?g|ico|bmp|svg|pdf|doc|docx|zip|bat|cmd|lib|ocx|drv|hlp|chm|wav|mp3|ttf|otf|dat"
    "|log|csv|pas|dpr|dfm|frm|bas|vb|class|jar|rc|res|def|idl|tlb|msi|cab|lnk|diz|nfo|mdb|dbf"
    "|qml|ui|cmake|rst|md|tex|rtf|wri|mid|avi|mov|mp4|tiff?|xls|xlsx|ppt|app|plist|url|fon")
# A single word with an extension, standing on its own. Manual pages write "\fBname.h" for a
# name in bold and "\(rs" for a backslash: those escapes are no part of a name.
WORD_PATTERN = (r"(?<![\w.$@\\-])[A-Za-z][A-Za-z0-9_-]*(?:\.[A-Za-z0-9_-]+)*\.(?:%s)(?![\w.-])"
                % EXTENSIONS)
# A name that may hold spaces and marks, between quotes or path separators.
QUOTED_PATTERN = (r"(?<=[\"'\\/>])(?!f[BIRP][A-Za-z(])[A-Za-z0-9][A-Za-z0-9_.&%%'()-]*"
                  r"(?: [A-Za-z0-9_.&%%'()-]+)*\.(?:%s)(?=[\"'<\\/])" % EXTENSIONS)
# A Windows path after its drive letter.
DRIVE_PATTERN = r"(?<![A-Za-z])[A-Za-z]:(?:\\{1,2}[A-Za-z0-9 _.&%()'~$-]+)+"
CONNECTORS = {"and", "of"}
# Words that open a message about a file rather than a file name ("Update CHANGELOG.md").
MESSAGE_WORDS = {"Update", "Updated", "See", "Run", "Use"}
# "%s", "%02d": a pattern of names, not a name; a name holds "%" only as an escape ("%20").
FORMAT_MARK = re.compile(r"%(?![0-9A-Fa-f]{2})|%[0-9]*[dsfxiu](?![A-Za-z0-9])")
# "WinDLL('x.dll'": code around a name, not a name.
CODE_MARKS = re.compile(r"[('][^A-Za-z0-9]|[^A-Za-z0-9 ][(']")


def title_words(text, connectors=()):
    """Whether a spaced text reads as a name: every word begins with a capital, a digit or "("
    (or is a connector), no word but the last holds a dot, and it does not open like a message.
    "Times New Roman Bold.ttf" is a name; "Tests for queues.py", "Skipping SOURCES.txt" and
    "a.lib b.lib" are sentences about names or lists of them."""
    words = text.split(" ")
    if words[0] in MESSAGE_WORDS or words[0].endswith("ing"):
        return False
    if any("." in w for w in words[:-1]):
        return False
    return all(w[:1].isupper() or w[:1].isdigit() or w[:1] == "(" or w in connectors
               for w in words)


def grep(pattern, roots):
    """(file, match) pairs of a Perl pattern over the text files under roots."""
    found = subprocess.run(["grep", "-rHIPoZ", "--binary-files=without-match", pattern, *roots],
                           capture_output=True)
    for line in found.stdout.decode("utf-8", "replace").splitlines():
        path, _, match = line.partition("\0")
        yield path, match


def read_mentions(pool, roots):
    roots = [r for r in roots if os.path.isdir(r)]
    for path, match in grep(WORD_PATTERN, roots):
        pool.add_file("mentions", match, path)
    for path, match in grep(QUOTED_PATTERN, roots):
        if FORMAT_MARK.search(match) or CODE_MARKS.search(match):
            continue
        if " " not in match or title_words(name_part_of(match)):
            pool.add_file("mentions", match, path)
    for path, match in grep(DRIVE_PATTERN, roots):
        for folder in re.split(r"\\+", match)[1:]:
            folder = folder.removeprefix("(rs")
            if " " in folder and title_words(folder, CONNECTORS):
                pool.add_file("mentions", folder + ".", path)


def read_lists(pool, lists):
    def first_column(name):
        path = os.path.join(lists, name)
        if not os.path.isfile(path):
            return []
        with open(path, encoding="utf-8") as f:
            next(f, None)  # column heads
            return [line.split("\t", 1)[0].strip() for line in f]

    for package in first_column("nuget.tsv"):
        # A package id is the name part of its DLL ("Newtonsoft.Json" of Newtonsoft.Json.dll).
        if package and may_give_row(package):
            pool.places[(package, "nuget")].add(package)
    for coordinate in first_column("maven-partial.tsv"):
        artifact = coordinate.partition(":")[2]
        if artifact and may_give_row(artifact):
            pool.places[(artifact, "maven")].add(coordinate)
    for package in first_column("npm.tsv"):
        # A scoped name "@scope/name" is the folder "name" under "@scope".
        folder = package.rpartition("/")[2]
        if folder and may_give_row(folder):
            pool.places[(folder, "npm")].add(package)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lists", default="/work/.library/env/packages")
    parser.add_argument("--out", default=os.path.join(here, "candidates.tsv"))
    args = parser.parse_args()

    pool = Pool()
    archives = walk_disk(pool)
    read_archives(pool, archives)
    read_debs(pool)
    read_lists(pool, args.lists)
    read_mentions(pool, ["/usr", "/root", "/opt", "/etc", "/var/lib"])
    count = pool.write(args.out)
    print(f"{count} rows written to {args.out}", file=sys.stderr)


if __name__ == "__main__":
    main()
