#!/usr/bin/env python3
"""Collects the name cores of real file names into candidates.tsv, ranked by how many projects use them.

Sources (the last column of the output names those that know a row):
  contents  the Debian archive's index of every file of every package (apt-file's Contents-*.lz4)
  archives  entries of the jar, jmod, zip, whl and egg archives on disk (JDK classes and so on)
  files     files on disk that no installed package owns (SDKs unpacked by hand, caches)
  mentions  file names written in the text files on disk: a name with a well-known extension
            ("StdAfx.h", "Times New Roman Bold.ttf"), or a folder of a Windows path
            ("C:\\Program Files (x86)\\...")
  nuget     NuGet package ids (the names of the packages' DLLs)
  maven     Maven artifact ids (the names of the artifacts' jar files)
  npm       npm package names (the names of the packages' folders)
  pypi      PyPI project names (the names of the projects' archives)

A name is counted once per project that has a file of it: a Debian source package (binary
packages of one source are one project, and version numbers in the source's name are folded
together: gcc-12 and gcc-13 are one), an archive or folder on disk that no package owns, or an
entry of a package list. A file on disk, an archive entry or a mention that an installed package
owns counts for that package's source, the same project the index names, so no project is
counted twice. A name that one project repeats 10,000 times counts once; a name that 300
projects share counts 300.

Each name part (the file name up to its last dot) is reduced to its name core (without a
".shtml" tail and the caseless characters at both ends). A core may become a row when it has 2
to 63 characters from the allowed set, at least one upper-case letter, and, when dotted, a
capital at the start of every part. Spellings equal ignoring case are one key; the key is spelled
as most of its projects write it.

Output, one key a line, in rank order (more projects first, then the spelling written by more
projects, then code-point order):
  spelling <TAB> projects of the key <TAB> projects of this spelling <TAB> sources
Keys of a single project are left out, except those with the rare marks and letters that only
few real names have ("(", "&", "'", ")", "%", Cyrillic letters).

Usage: harvest.py [--index-dir DIR] [--lists DIR] [--out FILE]
                  [--hold-out N --held-out-table FILE [--residue R] [--drop R2]]
                  [--only SOURCE,...]
With --hold-out N, the Debian source packages whose name hashes to 0 modulo N are set aside: no
source counts them, and the names they hold are written to the held-out table (same columns) for
heldout.py. --residue R sets aside the class R instead, and --drop R2 leaves the class R2 out of
both tables: "--hold-out 10 --residue 1 --drop 0" splits the training packages for tuning without
ever reading the test packages.
"""

import argparse
import collections
import glob
import os
import re
import subprocess
import sys
import zlib

ALLOWED = set("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_- .(&%')")
RARE = set("(&')%")
DIGITS = re.compile(r"[0-9]+")
SKIP_ROOTS = ("/proc", "/sys", "/dev", "/run", "/tmp", "/work", "/var/tmp", "/lost+found")
ARCHIVE_ENDINGS = (".jar", ".jmod", ".zip", ".whl", ".egg")
SOURCES = ("contents", "archives", "files", "mentions", "nuget", "maven", "npm", "pypi")
# Names that stand for unknown ones in the program, the placeholders of examples, and the file
# that the disk-fault trials fill a disk with.
UNKNOWN_NAMES = {"KVARTAL", "MYTOOL", "READ.ME", "A.B", "FOO", "BAR", "BAZ", "QUX", "QUUX",
                 "FOOBAR", "XYZZY", "FILLER"}


def is_cyrillic(c):
    o = ord(c)
    return (0x0401 <= o <= 0x045F and o not in (0x040D, 0x0450, 0x045D)) or o in (0x0490, 0x0491)


def is_cased(c):
    return c.upper() != c.lower()


def is_upper(c):
    return is_cased(c) and c.upper() == c


def core_of(name_part):
    """The name core: without a ".shtml" tail and without caseless characters at its ends."""
    if name_part.lower().endswith(".shtml"):
        name_part = name_part[:-6]
    begin, end = 0, len(name_part)
    while begin < end and not is_cased(name_part[begin]):
        begin += 1
    while end > begin and not is_cased(name_part[end - 1]):
        end -= 1
    return name_part[begin:end]


# The word for a written description of requirements, alone or as a part of a compound or a
# camel-case name ("Xyz_helper", "TestXyz", "XyzFile", plural and long form alike), marks a
# name that this dictionary leaves out. The same letters inside a longer word ("Inspector",
# "Special", "Perspective", "Specific") are no such word.
DESCRIPTION_WORD = "s" + "pec"
WORD_GOES_ON = ("ial", "ie", "ifi", "ify", "imen", "t", "ul", "k", "tac", "tr")
LONG_FORM = "ification"
SEGMENTS = re.compile(r"[A-Z]+(?=[A-Z][a-z])|[A-Z]?[a-z]+|[A-Z]+|[0-9]+|[^\W\d_]+")


def names_description_word(core):
    # Camel-case segments, and also the runs of letters, which catch "XYZfile" too.
    for segment in SEGMENTS.findall(core) + re.findall(r"[^\W\d_]+", core):
        low = segment.lower()
        at = low.find(DESCRIPTION_WORD)
        while at >= 0:
            rest = low[at + len(DESCRIPTION_WORD):]
            if rest.startswith(LONG_FORM) or not rest.startswith(WORD_GOES_ON):
                return True
            at = low.find(DESCRIPTION_WORD, at + 1)
    return False


def qualifies(core):
    if not 2 <= len(core) <= 63:
        return False
    if any(c not in ALLOWED and not is_cyrillic(c) for c in core):
        return False
    if not any(is_upper(c) for c in core):
        return False
    if "." in core and not all(p and is_upper(p[0]) for p in core.split(".")):
        return False
    if core.upper() in UNKNOWN_NAMES:
        return False
    return not names_description_word(core)


def is_cyrillic_word(core):
    return len(core) >= 2 and all(is_cyrillic(c) for c in core) and core.islower()


def name_part_of(file_name):
    dot = file_name.rfind(".")
    return file_name if dot < 0 else file_name[:dot]


def fold(place):
    return DIGITS.sub("#", place)


class Pool:
    """Spelling -> the projects that use it, per source."""

    def __init__(self, held_out_modulus=0, residue=0, dropped=None):
        self.places = collections.defaultdict(set)   # core -> project ids
        self.sources = collections.defaultdict(int)  # core -> bit per source
        self.ids = {}
        self.modulus = held_out_modulus
        self.residue = residue
        self.dropped = dropped
        self.held_out = None
        if held_out_modulus:
            self.held_out = Pool()
        self._cache = {}

    def hash_class(self, project):
        if not self.modulus or not project.startswith("deb:"):
            return None
        return zlib.crc32(project.encode()) % self.modulus

    def add_core(self, source, core, project):
        group = self.hash_class(project)
        if group is not None and group == self.dropped:
            return
        if group == self.residue:
            self.held_out.add_core(source, core, project)
            return
        pid = self.ids.setdefault(project, len(self.ids))
        self.places[core].add(pid)
        self.sources[core] |= 1 << SOURCES.index(source)

    def add_file(self, source, file_name, project):
        part = name_part_of(file_name)
        ok = self._cache.get(part)
        if ok is None:
            core = core_of(part)
            if is_cyrillic_word(core):
                # Russian names in the index are lower-case words ("акварель.ogg"); as a name
                # of its own such a word is written with a capital, as a title is.
                core = core[0].upper() + core[1:]
            ok = core if qualifies(core) else ""
            if len(self._cache) < 4_000_000:
                self._cache[part] = ok
        if ok:
            self.add_core(source, ok, project)

    def ranked(self):
        """(spelling, key projects, spelling projects, sources) in rank order."""
        by_key = collections.defaultdict(list)
        for core in self.places:
            by_key[core.upper()].append(core)
        rows = []
        for key, cores in by_key.items():
            projects = set()
            sources = 0
            for core in cores:
                projects |= self.places[core]
                sources |= self.sources[core]

            def spelling_rank(core):
                mixed = any(c.islower() for c in core)
                return (-len(self.places[core]), not mixed, core.encode())
            best = min(cores, key=spelling_rank)
            rows.append((best, len(projects), len(self.places[best]), sources))
        rows.sort(key=lambda r: (-r[1], -r[2], r[0].encode()))
        return rows

    def write(self, path, keep_single=False):
        count = 0
        with open(path, "w", encoding="utf-8", newline="\n") as out:
            out.write("# spelling\tprojects\tprojects of this spelling\tsources\n")
            for spelling, projects, own, sources in self.ranked():
                if projects < 2 and not keep_single and not (
                        RARE & set(spelling) or any(is_cyrillic(c) for c in spelling)):
                    continue
                names = ",".join(s for i, s in enumerate(SOURCES) if sources >> i & 1)
                out.write(f"{spelling}\t{projects}\t{own}\t{names}\n")
                count += 1
        return count


class Owners:
    """Which Debian source package owns an installed file."""

    def __init__(self):
        self.source_of = {}  # binary package -> source package
        package = None
        if os.path.isfile("/var/lib/dpkg/status"):
            with open("/var/lib/dpkg/status", encoding="utf-8", errors="replace") as f:
                for line in f:
                    if line.startswith("Package: "):
                        package = line[9:].strip()
                        self.source_of[package] = package
                    elif line.startswith("Source: ") and package:
                        self.source_of[package] = line[8:].split()[0]
        self.owner = {}
        for listing in glob.glob("/var/lib/dpkg/info/*.list"):
            binary = os.path.basename(listing)[:-5].partition(":")[0]
            project = "deb:" + fold(self.source_of.get(binary, binary))
            with open(listing, encoding="utf-8", errors="replace") as f:
                for line in f:
                    self.owner[line.rstrip("\n")] = project

    def project(self, path, fallback):
        return self.owner.get(path) or fallback


def index_sources(index_dir):
    """Binary package -> source package, from the archive's package indices."""
    source_of = {}
    for path in sorted(glob.glob(os.path.join(index_dir, "*_Packages.lz4"))):
        text = subprocess.run(["lz4cat", path], capture_output=True, check=True).stdout
        package = None
        for line in text.decode("utf-8", "replace").splitlines():
            if line.startswith("Package: "):
                package = line[9:].strip()
                source_of.setdefault(package, package)
            elif line.startswith("Source: ") and package:
                source_of[package] = line[8:].split()[0]
    return source_of


def read_contents(pool, index_dir):
    paths = sorted(glob.glob(os.path.join(index_dir, "*_Contents-*.lz4")))
    if not paths:
        sys.exit(f"harvest: no Contents-*.lz4 under {index_dir} (apt-get install apt-file && "
                 "apt-file update)")
    source_of = index_sources(index_dir)
    projects = {}
    for path in paths:
        reader = subprocess.Popen(["lz4cat", path], stdout=subprocess.PIPE)
        for raw in reader.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            cut = line.rstrip().rfind(" ")
            if cut < 0:
                continue
            file_path, locations = line[:cut].rstrip(), line[cut + 1:].strip()
            file_name = file_path.rpartition("/")[2]
            if not file_name:
                continue
            for location in locations.split(","):
                binary = location.rpartition("/")[2]
                project = projects.get(binary)
                if project is None:
                    project = projects[binary] = "deb:" + fold(source_of.get(binary, binary))
                pool.add_file("contents", file_name, project)
        reader.wait()


def top_folders(path, depth=4):
    return "/".join(path.split("/")[:depth + 1])


def walk_disk(pool, owners):
    archives = []
    for root, dirs, files in os.walk("/", topdown=True, followlinks=False):
        dirs[:] = sorted(d for d in dirs if os.path.join(root, d) not in SKIP_ROOTS)
        for f in sorted(files):
            path = os.path.join(root, f)
            if path not in owners.owner:
                pool.add_file("files", f, "disk:" + fold(top_folders(root)))
            if f.lower().endswith(ARCHIVE_ENDINGS) and os.path.isfile(path):
                archives.append(path)
    return archives


def read_archives(pool, owners, archives):
    for path in archives:
        project = owners.project(path, "archive:" + fold(path))
        listing = subprocess.run(["unzip", "-Z1", path], capture_output=True)
        for entry in listing.stdout.decode("utf-8", "replace").splitlines():
            if not entry.endswith("/"):
                pool.add_file("archives", entry.rpartition("/")[2], project)


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


def read_mentions(pool, owners, roots):
    roots = [r for r in roots if os.path.isdir(r)]

    def project(path):
        return owners.project(path, "text:" + fold(top_folders(os.path.dirname(path))))

    for path, match in grep(WORD_PATTERN, roots):
        pool.add_file("mentions", match, project(path))
    for path, match in grep(QUOTED_PATTERN, roots):
        if FORMAT_MARK.search(match) or CODE_MARKS.search(match):
            continue
        if " " not in match or title_words(name_part_of(match)):
            pool.add_file("mentions", match, project(path))
    for path, match in grep(DRIVE_PATTERN, roots):
        for folder in re.split(r"\\+", match)[1:]:
            folder = folder.removeprefix("(rs")
            if " " in folder and title_words(folder, CONNECTORS):
                pool.add_file("mentions", folder + ".", project(path))


def read_lists(pool, lists, wanted):
    def first_column(name):
        path = os.path.join(lists, name)
        if not os.path.isfile(path):
            return []
        with open(path, encoding="utf-8") as f:
            next(f, None)  # column heads
            return [line.split("\t", 1)[0].strip() for line in f]

    def add(source, name, project):
        # A package name is a whole name part: "Newtonsoft.Json" of Newtonsoft.Json.dll.
        core = core_of(name)
        if core == name and qualifies(core):
            pool.add_core(source, core, project)

    if "nuget" in wanted:
        for package in first_column("nuget.tsv"):
            add("nuget", package, "nuget:" + package.lower())
    if "maven" in wanted:
        for coordinate in first_column("maven-partial.tsv"):
            add("maven", coordinate.partition(":")[2], "maven:" + coordinate)
    if "npm" in wanted:
        for package in first_column("npm.tsv"):
            # A scoped name "@scope/name" is the folder "name" under "@scope".
            add("npm", package.rpartition("/")[2], "npm:" + package)
    if "pypi" in wanted:
        for project in first_column("pypi.tsv"):
            add("pypi", project, "pypi:" + re.sub(r"[-_.]+", "-", project.lower()))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--index-dir", default="/var/lib/apt/lists")
    parser.add_argument("--lists", default="/work/.library/env/packages")
    parser.add_argument("--out", default=os.path.join(here, "candidates.tsv"))
    parser.add_argument("--only", default=",".join(SOURCES),
                        help="the sources to read, comma-separated")
    parser.add_argument("--hold-out", type=int, default=0, metavar="N")
    parser.add_argument("--held-out-table", metavar="FILE")
    parser.add_argument("--residue", type=int, default=0,
                        help="with --hold-out: the hash class set aside (default 0)")
    parser.add_argument("--drop", type=int, metavar="R",
                        help="with --hold-out: a hash class that no table counts (so that a "
                        "tuning split of the training packages never sees the test class)")
    args = parser.parse_args()
    wanted = set(args.only.split(","))
    if wanted - set(SOURCES):
        sys.exit(f"harvest: unknown source {sorted(wanted - set(SOURCES))}")
    if bool(args.hold_out) != bool(args.held_out_table):
        sys.exit("harvest: --hold-out and --held-out-table go together")

    pool = Pool(args.hold_out, args.residue, args.drop)
    owners = Owners()
    if "contents" in wanted:
        read_contents(pool, args.index_dir)
        print(f"contents read: {len(pool.places)} spellings", file=sys.stderr)
    if wanted & {"files", "archives"}:
        archives = walk_disk(pool, owners) if "files" in wanted else []
        if "archives" in wanted:
            if not archives:
                archives = [a for a in walk_archives()]
            read_archives(pool, owners, archives)
        print(f"disk read: {len(pool.places)} spellings", file=sys.stderr)
    read_lists(pool, args.lists, wanted)
    if "mentions" in wanted:
        read_mentions(pool, owners, ["/usr", "/root", "/opt", "/etc", "/var/lib"])
    count = pool.write(args.out)
    print(f"{count} keys written to {args.out}", file=sys.stderr)
    if pool.held_out is not None:
        count = pool.held_out.write(args.held_out_table, keep_single=True)
        print(f"{count} held-out keys written to {args.held_out_table}", file=sys.stderr)


def walk_archives():
    for root, dirs, files in os.walk("/", topdown=True, followlinks=False):
        dirs[:] = sorted(d for d in dirs if os.path.join(root, d) not in SKIP_ROOTS)
        for f in sorted(files):
            path = os.path.join(root, f)
            if f.lower().endswith(ARCHIVE_ENDINGS) and os.path.isfile(path):
                yield path


if __name__ == "__main__":
    main()
