#!/usr/bin/env python3
"""Checks the English texts: every text of the sources is in data/translations/vorlant_en.ts
(extracted afresh with scripts/update-translations into a scratch copy), and every one has a
finished, non-empty translation with the same placeholders and as many accelerators.
Usage: translations.py SOURCE_ROOT   (exit 1 with a list of faults, 0 when all hold)
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
TS = ROOT / "data" / "translations" / "vorlant_en.ts"
PLACEHOLDER = re.compile(r"%\d")


def messages(path):
    found = {}
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            found[(name, message.findtext("source"))] = message.find("translation")
    return found


def accelerators(text):
    return len(re.findall(r"&(?!&)", text.replace("&&", "")))


# A Cyrillic string literal written straight into a QString (u"..." or QStringLiteral) would
# reach the user untranslated; the program's interface texts go through the translation calls.
LITERAL = re.compile(r'(?:\bu"|QStringLiteral\(\s*")((?:[^"\\\n]|\\.)*)"')
ROOMS = ["VLMain", "VLUtils", "app", "cli", "platform"]


def bypassing_literals():
    faults = []
    for room in ROOMS:
        for path in sorted((ROOT / room).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            text = re.sub(r"/\*.*?\*/", "", path.read_text(encoding="utf-8"), flags=re.S)
            for lineno, line in enumerate(text.splitlines(), 1):
                code = re.sub(r"//.*", "", line)
                for m in LITERAL.finditer(code):
                    if re.search("[\u0400-\u04ff]", m.group(1)):
                        faults.append(f"{path.relative_to(ROOT)}:{lineno}: untranslated text "
                                      f"{m.group(1)!r}")
    return faults


def main():
    faults = []
    committed = messages(TS)
    for (context, source), translation in committed.items():
        where = f"{context}: {source!r}"
        if translation is None or translation.get("type") in ("unfinished", "obsolete", "vanished"):
            faults.append(f"{where}: not translated")
            continue
        text = translation.text or ""
        if not text.strip():
            faults.append(f"{where}: empty translation")
            continue
        if sorted(PLACEHOLDER.findall(source)) != sorted(PLACEHOLDER.findall(text)):
            faults.append(f"{where}: placeholders differ in {text!r}")
        if accelerators(source) != accelerators(text):
            faults.append(f"{where}: accelerators differ in {text!r}")
        if re.search("[\u0400-\u04ff]", text):
            faults.append(f"{where}: Cyrillic left in {text!r}")

    with tempfile.TemporaryDirectory() as scratch:
        fresh = pathlib.Path(scratch) / "vorlant_en.ts"
        shutil.copy(TS, fresh)
        subprocess.run([str(ROOT / "scripts" / "update-translations"), str(fresh)], check=True)
        extracted = messages(fresh)
    for key in sorted(set(extracted) - set(committed)):
        faults.append(f"{key[0]}: {key[1]!r}: in the sources, missing from the .ts")
    for key in sorted(set(committed) - set(extracted)):
        faults.append(f"{key[0]}: {key[1]!r}: in the .ts, no longer in the sources")

    faults += bypassing_literals()
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
