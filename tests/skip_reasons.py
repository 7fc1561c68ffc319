#!/usr/bin/env python3
"""Prints each test the last ctest run skipped, with the reason it gave.

ctest itself only lists a skipped test's name; the reason is in its output,
which ctest keeps in Testing/Temporary/LastTest.log: a GoogleTest skip's
message follows its "FILE:LINE: Skipped" line, a script says "skipped: ...".

    skip_reasons.py BUILD_DIR
"""
import os
import re
import sys

log = os.path.join(sys.argv[1], "Testing", "Temporary", "LastTest.log")
if not os.path.exists(log):
    sys.exit(0)
with open(log, encoding="utf-8", errors="replace") as file:
    text = file.read()
skipped = []
for block in re.split(r"\n(?=\d+/\d+ Testing: )", text):
    name = re.match(r"\d+/\d+ Testing: (.*)", block)
    if not name:
        continue
    lines = block.splitlines()
    reason = None
    for i, line in enumerate(lines):
        if re.search(r":\d+: Skipped$", line) and i + 1 < len(lines):
            reason = lines[i + 1].strip() or "no reason given"
            break
        if line.startswith("skipped: "):
            reason = line[len("skipped: "):]
            break
    if reason is not None and ("[  SKIPPED ]" in block or "skipped: " in block):
        skipped.append((name.group(1).split("  #")[0], reason))
if skipped:
    print("Skipped, and why:")
    for name, reason in skipped:
        print("  %s: %s" % (name, reason))
