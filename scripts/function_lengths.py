#!/usr/bin/env python3
"""Lists the C++ functions of the tree longer than a limit, longest first.

Usage: scripts/function_lengths.py [--limit N] [PATH ...]
  PATH: files or folders (default: every tracked .cpp/.h file of the repository).
  --limit N: report functions with more than N lines (default 80).

A function's length counts the lines from its signature to its closing brace. Functions are
found by counting braces over the source with comments, strings and preprocessor lines removed:
a brace opened outside any function after a header that ends in a parameter list (optionally
followed by const, noexcept, override, a trailing return type or a constructor's initialiser
list) opens a function; lambdas inside a function count towards it. It is a heuristic, not a
parser: good enough to find the long ones, not to count every function exactly.
"""

import argparse
import os
import re
import subprocess
import sys

SOURCE_SUFFIXES = (".cpp", ".cc", ".h", ".hpp")

FUNCTION_TAIL = re.compile(
    r"\)\s*(?:const\b\s*|noexcept\b(?:\([^)]*\))?\s*|override\b\s*|final\b\s*|mutable\b\s*|"
    r"&&?\s*)*(?:->\s*[\w:<>,\s*&]+)?$")
INITIALISER_LIST = re.compile(r"\)\s*(?:noexcept\s*)?:\s*[\w:]+\s*[({]")
CONTAINER = re.compile(r"\b(namespace|class|struct|union|enum)\b|^extern\s*$")
NAME = re.compile(r"([~\w:]+(?:<[^()]*>)?|operator\s*[^\s(]+)\s*\(")


def strip_source(text):
    """Blanks out comments, string and character literals and preprocessor lines, keeping
    every newline so line numbers stay right."""
    out = []
    i = 0
    n = len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append("\n")
                    i += 2
                    continue
                i += 1
            continue
        if c == "\n":
            out.append(c)
            at_line_start = True
            i += 1
            continue
        if c in " \t":
            out.append(c)
            i += 1
            continue
        at_line_start = False
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("\n" * text.count("\n", i, end))
            i = end
            continue
        raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', text[i:i + 40])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            close = ")" + raw.group(1) + '"'
            end = text.find(close, i + raw.end())
            end = n if end < 0 else end + len(close)
            out.append('""' + "\n" * text.count("\n", i, end))
            i = end
            continue
        if c in "\"'":
            # A digit separator (1'000) is not a character literal.
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum():
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out)


def functions_of(path):
    with open(path, encoding="utf-8", errors="replace") as handle:
        text = strip_source(handle.read())
    found = []
    stack = []  # (kind, name, first line)
    header = []
    header_line = None
    line = 1
    for c in text:
        if c == "\n":
            line += 1
            if header:
                header.append(" ")
            continue
        inside_function = any(kind == "function" for kind, _, _ in stack)
        if c == "{":
            if inside_function:
                stack.append(("block", None, line))
                continue
            head = " ".join("".join(header).split())
            if CONTAINER.search(head) and not FUNCTION_TAIL.search(head):
                stack.append(("container", None, line))
            elif FUNCTION_TAIL.search(head) or (INITIALISER_LIST.search(head) and head.endswith(")")):
                match = NAME.search(head)
                name = match.group(1) if match else head[:40]
                stack.append(("function", name, header_line or line))
            elif INITIALISER_LIST.search(head + "{"):
                # A member initialised with braces in a constructor's initialiser list: the
                # header goes on to the constructor's body.
                stack.append(("initialiser", None, line))
                header.append("{")
                continue
            else:
                stack.append(("block", None, line))
            header = []
            header_line = None
        elif c == "}":
            if stack:
                kind, name, first = stack.pop()
                if kind == "function":
                    found.append((line - first + 1, name, first))
                if kind == "initialiser":
                    header.append("}")
                    continue
            if not inside_function or not any(k == "function" for k, _, _ in stack):
                header = []
                header_line = None
        elif c == ";":
            if not inside_function:
                header = []
                header_line = None
        elif not inside_function:
            if not header and not c.isspace():
                header_line = line
            header.append(c)
    return found


def tracked_sources(root):
    listing = subprocess.run(["git", "-C", root, "ls-files"], capture_output=True, text=True,
                             check=True).stdout.split()
    return [os.path.join(root, name) for name in listing if name.endswith(SOURCE_SUFFIXES)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--limit", type=int, default=80)
    parser.add_argument("paths", nargs="*")
    args = parser.parse_args()
    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True,
                          check=True).stdout.strip()
    files = []
    for path in args.paths or [root]:
        if os.path.isdir(path):
            files += tracked_sources(path) if path == root else [
                os.path.join(folder, name) for folder, _, names in os.walk(path) for name in names
                if name.endswith(SOURCE_SUFFIXES)]
        else:
            files.append(path)
    rows = []
    for path in files:
        for length, name, first in functions_of(path):
            if length > args.limit:
                rows.append((length, os.path.relpath(path, root), first, name))
    rows.sort(key=lambda row: (-row[0], row[1], row[2]))
    for length, path, first, name in rows:
        print(f"{length:5d}  {path}:{first}  {name}")
    print(f"{len(rows)} functions over {args.limit} lines")
    return 0


if __name__ == "__main__":
    sys.exit(main())
