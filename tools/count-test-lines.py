#!/usr/bin/env python3
"""Counts the C++ lines of the tests against the rest of the tree and fails above the limit.

A line counts when it holds code: blank lines, `//` comments and `/* */` blocks do not. The
tests are everything under tests/; the rest is every other C++ file of the tree, build folders
(build, build-asan, ...) and .git left out. Prints both counts and the share (test lines per
line of the rest) and exits with status 1 when the share is over LIMIT.

    tools/count-test-lines.py [ROOT] [--per-folder]

ROOT is the tree to count (the repository by default); --per-folder also prints the count of
each folder directly under tests/.
"""

import os
import sys

# The most test lines allowed per line of the rest of the code.
LIMIT = 0.35

SOURCE_ENDINGS = (".cpp", ".h", ".hpp", ".cc")


def code_lines(path):
    """The lines of the file that hold something other than white space and comments."""
    count = 0
    in_block = False
    with open(path, encoding="utf-8", errors="replace") as source:
        for line in source:
            code = False
            quote = None
            i = 0
            while i < len(line):
                pair = line[i : i + 2]
                if in_block:
                    if pair == "*/":
                        in_block = False
                        i += 2
                        continue
                elif quote:
                    code = True
                    if line[i] == "\\":
                        i += 1
                    elif line[i] == quote:
                        quote = None
                elif pair == "//":
                    break
                elif pair == "/*":
                    in_block = True
                    i += 2
                    continue
                elif not line[i].isspace():
                    code = True
                    if line[i] in "\"'":
                        quote = line[i]
                i += 1
            count += code
    return count


def count_tree(root):
    """(lines under tests/, lines elsewhere, {folder under tests/: lines})."""
    tests = rest = 0
    folders = {}
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = sorted(
            name for name in subfolders if not name.startswith("build") and name != ".git"
        )
        parts = os.path.relpath(folder, root).split(os.sep)
        for name in files:
            if not name.endswith(SOURCE_ENDINGS):
                continue
            lines = code_lines(os.path.join(folder, name))
            if parts[0] == "tests":
                tests += lines
                key = "tests/" + parts[1] if len(parts) > 1 else "tests"
                folders[key] = folders.get(key, 0) + lines
            else:
                rest += lines
    return tests, rest, folders


def main(argv):
    args = [arg for arg in argv if arg != "--per-folder"]
    root = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    tests, rest, folders = count_tree(root)
    if "--per-folder" in argv:
        for folder in sorted(folders):
            print(f"{folder:24} {folders[folder]:6}")
    share = tests / rest if rest else float("inf")
    print(f"test lines {tests}, other code lines {rest}: tests are {share:.1%} of the code "
          f"(limit {LIMIT:.0%})")
    if share > LIMIT:
        print(f"too many test lines: at most {int(rest * LIMIT)} for {rest} lines of code, "
              f"{tests - int(rest * LIMIT)} over", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
