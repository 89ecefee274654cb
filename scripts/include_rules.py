#!/usr/bin/env python3
"""Checks that the product folders form one-way layers (run by scripts/check_layers.sh).

Every quoted #include of a product file must name a file of its own folder or of a
folder in a lower layer; no file includes the composition root (app/) but app/ itself;
a portable file (no "_win32" in its name, outside win32/) never includes Win32 code;
and the includes between files form no cycle. The tests, tools and benchmarks may use
any layer but app/ (whose own tests live in tests/app/), and their portable files no
Win32 code either. The folders and their levels are those of cmake/layers.txt, the
list that CMake builds from.

Prints each violation and exits 1; prints a summary and exits 0 when there is none.
"""

import re
import sys
from pathlib import Path

LAYER_LIST = Path(__file__).resolve().parents[1] / "cmake" / "layers.txt"


def read_layers(path):
    """The folders and their levels, bottom first, as the layer list has them."""
    layers = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        fields = line.split("#", 1)[0].split()
        if fields:
            folder, level = fields
            layers[folder] = int(level)
    return layers


# A folder may include folders of lower levels only; the top one is the composition root.
LAYERS = read_layers(LAYER_LIST)
COMPOSITION_ROOT = list(LAYERS)[-1]
# Folders that may use only these of the folders below them: the handwriting surface
# knows pictures, not drafts or journals.
USES_ONLY = {"surface": {"common", "imaging", "win32"}}

# Folders outside the product that include product headers.
USERS = ("tests", "tools", "bench")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")


def is_win32(path):
    return "_win32" in Path(path).name or Path(path).parts[0] == "win32"


def product_files(root):
    for folder in list(LAYERS) + list(USERS):
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix in SOURCE_SUFFIXES and path.is_file():
                yield path.relative_to(root).as_posix()


def check(root):
    root = Path(root)
    errors = []
    graph = {}
    for file in product_files(root):
        folder = Path(file).parts[0]
        text = (root / file).read_text(encoding="utf-8", errors="replace")
        graph[file] = []
        for included in INCLUDE.findall(text):
            target_folder = Path(included).parts[0]
            if target_folder not in LAYERS:
                continue  # a header of the tests' own or a system one in quotes
            graph[file].append(included)
            where = f"{file}: includes {included}"
            if target_folder == COMPOSITION_ROOT and folder != COMPOSITION_ROOT and \
                    not file.startswith(f"tests/{COMPOSITION_ROOT}/"):
                errors.append(f"{where}: nothing includes the composition root "
                              f"{COMPOSITION_ROOT}/")
            elif folder in LAYERS and target_folder != folder and \
                    LAYERS[target_folder] >= LAYERS[folder]:
                errors.append(f"{where}: {target_folder}/ is not below {folder}/")
            elif target_folder != folder and \
                    target_folder not in USES_ONLY.get(folder, (target_folder,)):
                errors.append(f"{where}: {folder}/ uses only {', '.join(sorted(USES_ONLY[folder]))}")
            if is_win32(included) and not is_win32(file):
                errors.append(f"{where}: a portable file reaches Win32 code")
    errors.extend(cycles(graph))
    return errors, len(graph)


def cycles(graph):
    """One message for each include cycle found by a depth-first walk."""
    found = []
    state = {}  # 1: on the walk's path, 2: done

    def walk(file, path):
        state[file] = 1
        path.append(file)
        for included in graph.get(file, ()):
            if state.get(included) == 1:
                loop = path[path.index(included):] + [included]
                found.append("include cycle: " + " -> ".join(loop))
            elif included in graph and included not in state:
                walk(included, path)
        path.pop()
        state[file] = 2

    for file in graph:
        if file not in state:
            walk(file, [])
    return found


def main(argv):
    root = Path(argv[1]) if len(argv) > 1 else Path(__file__).resolve().parents[1]
    errors, count = check(root)
    for error in errors:
        print(error)
    if errors:
        print(f"layers: {len(errors)} violation(s)")
        return 1
    print(f"layers: {count} files, includes one-way, no cycle")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
