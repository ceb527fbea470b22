#!/usr/bin/env python3
"""Checks the project's rooms: system calls only behind platform/, and no include cycle
between the units (a unit is X.h with X.cpp) of the program's own libraries.

Usage: rooms.py SOURCE_ROOT   (exit 1 with a list of faults, 0 when the rooms hold)
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
PROGRAM_ROOMS = ["VLMain", "VLUtils", "cli", "app", "data"]
ALL_ROOMS = PROGRAM_ROOMS + ["platform"]

# Calls and headers of the operating system that belong behind the platform seam.
SYSTEM_CALL = re.compile(
    r"(?<![\w.>])(?:::)?(open|openat|rename|renameat2?|opendir|readdir|fstatat|lstat|stat|"
    r"chdir|getcwd|flock|fdatasync|fsync|chmod|realpath|access|unlink|unlinkat|link|linkat)\s*\("
)
SYSTEM_HEADER = re.compile(r'#\s*include\s*<(unistd\.h|fcntl\.h|dirent\.h|sys/[\w/]+\.h)>')
PROC_SELF = re.compile(r'"/proc/self')
INCLUDE = re.compile(r'#\s*include\s*"([^"]+)"')


def sources(rooms):
    for room in rooms:
        for path in sorted((ROOT / room).rglob("*")):
            if path.suffix in (".h", ".cpp") and path.is_file():
                yield path


def strip_comments_and_strings(text):
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    text = re.sub(r"//[^\n]*", "", text)
    return re.sub(r'"(?:\\.|[^"\\\n])*"', '""', text)


def system_call_faults():
    faults = []
    for path in sources(PROGRAM_ROOMS):
        raw = path.read_text(encoding="utf-8")
        code = strip_comments_and_strings(raw)
        rel = path.relative_to(ROOT)
        for m in SYSTEM_HEADER.finditer(raw):
            faults.append(f"{rel}: includes <{m.group(1)}>")
        if PROC_SELF.search(raw):
            faults.append(f"{rel}: reads /proc/self")
        for lineno, line in enumerate(code.splitlines(), 1):
            for m in SYSTEM_CALL.finditer(line):
                before = line[: m.start()].rstrip()
                # A member call or a declaration of the project's own function is no system call.
                if before.endswith((".", "->")) or re.search(r"\w+::$", before):
                    continue
                if m.group(0).startswith("::") or not re.search(r"\b\w+\s*$", before):
                    faults.append(f"{rel}:{lineno}: calls {m.group(1)}()")
    return faults


def include_cycles():
    units = {}
    for path in sources(ALL_ROOMS):
        unit = str(path.relative_to(ROOT).with_suffix(""))
        units.setdefault(unit, set())
        for m in INCLUDE.finditer(path.read_text(encoding="utf-8")):
            target = (path.parent / m.group(1)).resolve()
            if not target.exists():
                candidates = [ROOT / r / m.group(1) for r in ALL_ROOMS] + [ROOT / m.group(1)]
                target = next((c for c in candidates if c.exists()), None)
            if target is None:
                continue
            dep = str(target.relative_to(ROOT).with_suffix(""))
            if dep != unit:
                units[unit].add(dep)
    cycles, state = [], {}

    def visit(unit, stack):
        state[unit] = 1
        stack.append(unit)
        for dep in sorted(units.get(unit, ())):
            if state.get(dep) == 1:
                cycles.append(" -> ".join(stack[stack.index(dep):] + [dep]))
            elif dep not in state:
                visit(dep, stack)
        stack.pop()
        state[unit] = 2

    for unit in sorted(units):
        if unit not in state:
            visit(unit, [])
    return [f"include cycle: {c}" for c in cycles]


faults = system_call_faults() + include_cycles()
for f in faults:
    print(f)
print(f"rooms: {len(faults)} faults")
sys.exit(1 if faults else 0)
