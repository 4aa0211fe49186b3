#!/usr/bin/env python3
"""Fails when a build, script or test file names a path outside the source tree.

A clone of the project has nothing beside it, so whatever the configure, build,
test or run steps read must lie inside the tree. Paths are found where they are
anchored (the project's root, the file's own folder, a script's folder or the
working directory of a script, which is the root) and resolved; any that climbs
above the root fails, and so does any mention of the sibling folder the test
data was once read from.

    check_tree_paths.py ROOT
"""
import pathlib
import re
import subprocess
import sys

# The files the build, the scripts and the tests read or run.
CHECKED = re.compile(r'(^|/)(CMakeLists\.txt|CMakePresets\.json|[^/]+\.(cmake|sh|py|cpp|h|rc))$|^\.ci/')

# Anchors whose folder is the project's root, and those whose folder is the
# file's own; what follows them is a chain of parent steps.
ROOT_ANCHORS = r'\$\{(?:PROJECT_SOURCE_DIR|CMAKE_SOURCE_DIR|sourceDir)\}'
HERE_ANCHORS = r'\$\{(?:CMAKE_CURRENT_SOURCE_DIR|CMAKE_CURRENT_LIST_DIR)\}|\$\(dirname "\$0"\)|\$\(dirname "\$\{BASH_SOURCE\[0\]\}"\)'
ANCHORED = re.compile(rf'(?P<anchor>{ROOT_ANCHORS}|{HERE_ANCHORS})(?P<steps>(?:/\.\.)+)(?![\w.])')
# A relative path that starts by climbing: in a script that has changed to the
# root, and in CMake, it is read from the root or deeper.
BARE = re.compile(r'(?<![\w.}/)$])(?P<steps>(?:\.\./)+)')
SIBLING = re.compile(r'\bshared/testdata\b|\.\./shared\b')


def depth_of(folder: pathlib.PurePosixPath) -> int:
    return len(folder.parts)


def problems_in(relative: str, text: str):
    folder = pathlib.PurePosixPath(relative).parent
    for number, line in enumerate(text.splitlines(), 1):
        where = f'{relative}:{number}: {line.strip()}'
        if SIBLING.search(line):
            yield where
            continue
        for match in ANCHORED.finditer(line):
            steps = match['steps'].count('..')
            start = 0 if re.fullmatch(ROOT_ANCHORS, match['anchor']) else depth_of(folder)
            if steps > start:
                yield where
        # Scripts change to the root first; elsewhere a relative path is read
        # from the file's own folder.
        base = 0 if relative.endswith(('.sh', '.py')) or relative.startswith('.ci/') else depth_of(folder)
        for match in BARE.finditer(ANCHORED.sub('', line)):
            if match['steps'].count('..') > base:
                yield where


# Lines that must and must not fail, so the check itself cannot rot.
SELF_CHECK = [
    # (split, so that a search of the tree for the sibling folder finds none)
    ('tests/png/CMakeLists.txt', 'set(DIR ${PROJECT_SOURCE_DIR}' + '/..' + '/shared/testdata/pngsuite CACHE PATH', True),
    ('tests/png/CMakeLists.txt', 'set(DIR ${CMAKE_CURRENT_SOURCE_DIR}/../../../elsewhere)', True),
    ('CMakePresets.json', '"binaryDir": "${sourceDir}/../build"', True),
    ('scripts/test.sh', 'cp ../data/x build/', True),
    ('bench/png/run_bench.sh', 'cd "$(dirname "$0")/../.."', False),
    ('tests/png/CMakeLists.txt', 'set(DIR ${CMAKE_CURRENT_SOURCE_DIR}/../data)', False),
    ('tests/unit/a_test.cpp', '#include "../e2e/process_control.h"', False),
]


def main() -> int:
    for relative, line, bad in SELF_CHECK:
        assert bool(list(problems_in(relative, line))) == bad, (relative, line)
    root = pathlib.Path(sys.argv[1]).resolve()
    listed = subprocess.run(['git', '-C', str(root), 'ls-files', '--cached', '--others', '--exclude-standard'],
                            capture_output=True, text=True, check=True).stdout.split('\n')
    found = []
    for relative in filter(None, listed):
        if not CHECKED.search(relative) or relative.startswith('tests/data/') or relative == 'tests/check_tree_paths.py':
            continue
        path = root / relative
        if path.is_file():
            found += problems_in(relative, path.read_text(encoding='utf-8', errors='replace'))
    for line in found:
        print(f'path outside the source tree: {line}')
    print(f'{len(found)} path(s) outside the source tree')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
