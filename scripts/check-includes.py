#!/usr/bin/env python3
"""Checks that every target includes only the project headers of what it links, directly.

Each subsystem library exposes the headers of its own folder, named from the repository root
("engine/decs.h"). A file may include a project header only when its target links the library
that owns the header itself; a header of a library may include another library's header only
when the library links it PUBLIC; a PUBLIC link must be needed by a header and a link must be
used at all; and a library links only libraries added before it in the top-level CMakeLists.txt.

The link graph comes from CMake itself (--graphviz, in a scratch configure of the source tree),
the sources of each target from compile_commands.json. Header-only fixtures without a library
of their own (tests/support, bench/support) are checked in every target that includes them.

Usage: scripts/check-includes.py [--build-dir DIR]
Prints one line per mismatch (file, include, target) and exits 1 when there is any.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
EDGE = re.compile(r'^\s*"(node\d+)" -> "(node\d+)"\s*(?:\[ style = (\w+) \])?')
NODE = re.compile(r'^\s*"(node\d+)" \[ label = "([^"]+)", shape = (\w+) \]')
OBJECT_DIR = re.compile(r'CMakeFiles/([^/]+)\.dir/')
HEADER_SUFFIXES = (".h", ".hpp", ".inl")
# graphviz edge styles: no style is a PUBLIC link, dotted PRIVATE, dashed INTERFACE.
VISIBILITY = {None: "PUBLIC", "dotted": "PRIVATE", "dashed": "INTERFACE"}


def configure(build_dir):
    dot = os.path.join(build_dir, "link-graph.dot")
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja",
                    "-DKELVARIS_BUILD_TESTS=ON", "-DKELVARIS_BUILD_BENCHMARKS=ON",
                    "--graphviz=" + dot],
                   check=True, stdout=subprocess.DEVNULL)
    return dot


def read_graph(dot):
    """Returns ({target: shape}, {target: {dependency: visibility}})."""
    names, shapes, links = {}, {}, {}
    with open(dot) as f:
        lines = f.readlines()
    for line in lines:
        m = NODE.match(line)
        if m:
            names[m.group(1)] = m.group(2)
            shapes[m.group(2)] = m.group(3)
    for line in lines:
        m = EDGE.match(line)
        if m:
            source, target = names[m.group(1)], names[m.group(2)]
            links.setdefault(source, {})[target] = VISIBILITY[m.group(3)]
    return shapes, links


def read_sources(build_dir):
    """Returns {target: [source paths relative to the repository]}."""
    sources = {}
    with open(os.path.join(build_dir, "compile_commands.json")) as f:
        for entry in json.load(f):
            m = OBJECT_DIR.search(entry.get("output") or entry["command"])
            path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
            if not m or not path.startswith(ROOT + os.sep):
                continue  # generated sources (the GL loader)
            sources.setdefault(m.group(1), []).append(os.path.relpath(path, ROOT))
    return sources


def read_include_roots(build_dir, shapes):
    """Returns {folder: target} from the include roots build/include/<name>/<folder>."""
    owners = {}
    include_dir = os.path.join(build_dir, "include")
    for name in sorted(os.listdir(include_dir)):
        target = "kelvaris_" + name
        if target not in shapes:
            continue  # a root shared by several targets (bench/support): checked where included
        base = os.path.join(include_dir, name)
        for parent, dirs, files in os.walk(base):
            for entry in dirs + files:
                link = os.path.join(parent, entry)
                if not os.path.islink(link):
                    continue
                owners[os.path.relpath(parent, base)] = target  # links to each entry
    return owners


def subsystem_order():
    """The order of the top-level add_subdirectory calls, as folders."""
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.findall(r'^add_subdirectory\(([\w/]+)\)', f.read(), re.MULTILINE)


class Checker:
    def __init__(self, shapes, links, sources, owners):
        self.shapes, self.links, self.sources, self.owners = shapes, links, sources, owners
        self.compiled_by = {}
        for target, files in sources.items():
            for path in files:
                self.compiled_by.setdefault(path, set()).add(target)
        self.problems = []

    def owner(self, path):
        """The target a project header belongs to, or None for a header-only fixture."""
        stem = os.path.splitext(path)[0]
        for suffix in (".cpp", ".c"):
            libraries = [t for t in self.compiled_by.get(stem + suffix, ())
                         if self.shapes.get(t) == "octagon"]
            if len(libraries) == 1:
                return libraries[0]
        folder = os.path.dirname(path)
        while folder:
            target = self.owners.get(folder)
            if target is not None:
                # A library without sources of its own (test support) only gathers headers.
                return target if target in self.sources else None
            folder = os.path.dirname(folder)
        return None

    def resolve(self, including, name):
        for base in (os.path.dirname(including), ""):
            path = os.path.normpath(os.path.join(base, name))
            if os.path.isfile(os.path.join(ROOT, path)):
                return path
        return None

    def includes(self, path):
        with open(os.path.join(ROOT, path), errors="replace") as f:
            text = f.read()
        for m in INCLUDE.finditer(text):
            line = text.count("\n", 0, m.start()) + 1
            resolved = self.resolve(path, m.group(1))
            if resolved is not None:
                yield line, m.group(1), resolved

    def own_headers(self, target):
        folders = [f for f, t in self.owners.items() if t == target]
        for folder in folders:
            for parent, dirs, files in os.walk(os.path.join(ROOT, folder)):
                rel = os.path.relpath(parent, ROOT)
                dirs[:] = [d for d in dirs if os.path.join(rel, d) not in self.owners]
                for name in sorted(files):
                    path = os.path.join(rel, name)
                    if name.endswith(HEADER_SUFFIXES) and self.owner(path) == target:
                        yield path

    def check_target(self, target):
        links = self.links.get(target, {})
        library = self.shapes.get(target) == "octagon"
        headers = list(self.own_headers(target)) if library else []
        used, used_by_headers = set(), set()
        pending = [(path, path in headers) for path in sorted(set(self.sources[target]))]
        pending += [(path, True) for path in headers]
        seen = set()
        while pending:
            path, is_header = pending.pop()
            if path in seen:
                continue
            seen.add(path)
            for line, name, resolved in self.includes(path):
                owner = self.owner(resolved)
                if owner is None:
                    pending.append((resolved, is_header))  # a fixture: compiled here
                    continue
                if owner == target:
                    continue
                used.add(owner)
                if is_header:
                    used_by_headers.add(owner)
                if owner not in links:
                    self.problems.append(
                        f'{path}:{line}: includes "{name}" of {owner}, '
                        f'but {target} does not link {owner}')
                elif library and is_header and links[owner] == "PRIVATE":
                    self.problems.append(
                        f'{path}:{line}: a header of {target} includes "{name}", '
                        f'but {target} links {owner} PRIVATE (make it PUBLIC)')
        project = set(self.owners.values()) | {
            t for t, shape in self.shapes.items() if shape == "octagon" and t in self.sources}
        for dependency, visibility in sorted(links.items()):
            if dependency not in project or dependency not in self.sources:
                continue
            if dependency not in self.owners.values():
                continue  # a support library without headers of its own to name (a test main)
            if dependency not in used:
                self.problems.append(
                    f'{target}: links {dependency} but includes none of its headers')
            elif library and visibility == "PUBLIC" and dependency not in used_by_headers:
                self.problems.append(
                    f'{target}: links {dependency} PUBLIC, but only its sources include it '
                    f'(make it PRIVATE)')

    def check_order(self):
        order = {}
        for index, folder in enumerate(subsystem_order()):
            target = self.owners.get(folder)
            if target is not None:
                order[target] = (index, folder)
        for target, (index, folder) in order.items():
            for dependency in self.links.get(target, {}):
                if dependency in order and order[dependency][0] > index:
                    self.problems.append(
                        f'CMakeLists.txt: {folder}/ ({target}) links {dependency}, '
                        f'added after it (add_subdirectory({order[dependency][1]}) comes later)')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", help="configure here (default: a scratch folder)")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="kelvaris-includes-") as scratch:
        build_dir = os.path.abspath(args.build_dir or scratch)
        dot = configure(build_dir)
        shapes, links = read_graph(dot)
        sources = read_sources(build_dir)
        owners = read_include_roots(build_dir, shapes)
    checker = Checker(shapes, links, sources, owners)
    for target in sorted(sources):
        checker.check_target(target)
    checker.check_order()
    for problem in checker.problems:
        print(problem)
    sys.stdout.flush()
    if checker.problems:
        print(f"check-includes: {len(checker.problems)} mismatches between includes and links",
              file=sys.stderr)
        return 1
    print(f"check-includes: {len(sources)} targets include only what they link")
    return 0


if __name__ == "__main__":
    sys.exit(main())
