#!/usr/bin/env python3
"""Lines per class and per file under a folder, largest first.

A class's lines are its declaration (from "class Name" to its closing "};") plus every
out-of-line member definition ("Name::Member(" at the start of a line, through the body's
closing brace at the start of a line), in whichever files they stand. It relies on the
tree's clang-format style, where a function body opens and closes at column 0.

    scripts/class-sizes.py [FOLDER] [--top N]
"""

import argparse
import os
import re
import sys
from collections import defaultdict

DECL = re.compile(r"^\s*(?:class|struct)\s+(\w+)\b[^;]*$")
DEFN = re.compile(r"^[^\s#/].*?\b(\w+)::~?\w+\s*\(")


def declaration_end(lines, start):
    """Index of the line closing the declaration opened at start, or None for a forward one."""
    depth = 0
    opened = False
    for i in range(start, len(lines)):
        text = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'|//.*', "", lines[i])
        for ch in text:
            if ch == "{":
                depth += 1
                opened = True
            elif ch == "}":
                depth -= 1
                if opened and depth == 0:
                    return i
        if not opened and text.rstrip().endswith(";"):
            return None
    return None


def measure(folder):
    classes = defaultdict(int)
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            with open(path, encoding="utf-8") as f:
                lines = f.read().split("\n")
            if lines and lines[-1] == "":
                lines.pop()
            files[path] = len(lines)
            i = 0
            while i < len(lines):
                decl = DECL.match(lines[i])
                if decl and "(" not in lines[i]:
                    end = declaration_end(lines, i)
                    if end is not None:
                        classes[decl.group(1)] += end - i + 1
                        i = end + 1
                        continue
                defn = DEFN.match(lines[i])
                if defn and not lines[i].rstrip().endswith(";"):
                    body = i
                    while body < len(lines) and lines[body] != "{":
                        if lines[body].rstrip().endswith(";"):
                            break
                        body += 1
                    if body < len(lines) and lines[body] == "{":
                        end = lines.index("}", body)
                        classes[defn.group(1)] += end - i + 1
                        i = end + 1
                        continue
                i += 1
    return classes, files


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("folder", nargs="?", default="editor")
    parser.add_argument("--top", type=int, default=10)
    args = parser.parse_args()
    classes, files = measure(args.folder)
    print("classes (declaration + member definitions):")
    for name, count in sorted(classes.items(), key=lambda kv: -kv[1])[: args.top]:
        print(f"  {count:5}  {name}")
    print("files:")
    for path, count in sorted(files.items(), key=lambda kv: -kv[1])[: args.top]:
        print(f"  {count:5}  {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
