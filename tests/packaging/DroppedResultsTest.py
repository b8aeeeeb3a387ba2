"""Holds the rule that no result is dropped without a reason: every `(void)`
cast of a call in the program's sources has a comment on its line or in the
three lines above it saying why the result may go. `(void)name;` alone (an
unused parameter) needs none. The compiler keeps the other half of the rule:
Status is [[nodiscard]] and warnings are errors."""

import os
import re
import sys

root = sys.argv[1]
folders = ["base", "imaging", "engine", "filelist", "cli", "app"]
unused_name = re.compile(r"^\s*\(void\)\s*\w+;\s*(//.*)?$")
dropped_call = re.compile(r"\(void\)\s*[A-Za-z_:][\w:.\->]*\s*\(")
unexplained = []
for folder in folders:
    for directory, _, names in os.walk(os.path.join(root, folder)):
        for name in sorted(names):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(directory, name)
            with open(path, encoding="utf-8") as source:
                lines = source.read().split("\n")
            for i, line in enumerate(lines):
                if not dropped_call.search(line) or unused_name.match(line):
                    continue
                if "//" not in " ".join(lines[max(0, i - 3):i + 1]):
                    unexplained.append("%s:%d: %s" % (os.path.relpath(path, root), i + 1, line.strip()))
if unexplained:
    print("Results dropped without a reason:")
    print("\n".join(unexplained))
    sys.exit(1)
print("every dropped result says why")
