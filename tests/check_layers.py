#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own, when a portable
file includes a Win32 header, or when files include one another in a circle.

The folders under src/ are the layers, lowest first; each may include only its
own and those below it. core and image are portable: they are compiled on every
host, so no Win32 header may reach them. Inside a layer the files are layered
too: a header and its source file count as one unit (form.h and form.cpp are
"win/form"), and no unit may reach itself again through the units it includes.

    check_layers.py SRC_DIR
"""
import pathlib
import re
import sys

LAYERS = ['core', 'image', 'win', 'forms']  # main.cpp stands above them all
PORTABLE = {'core', 'image'}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
WIN32_HEADER = re.compile(r'^(windows|win\w+|commctrl|commdlg|shellapi|shlobj|shlwapi|objbase|ole2|uxtheme|dwmapi|'
                          r'mmsystem|richedit|tchar|wtypes|winsock2?)\.h$', re.I)


def layer_of(relative: str) -> int:
    top = relative.split('/', 1)[0]
    return LAYERS.index(top) if top in LAYERS else len(LAYERS)


def problems_in(relative: str, text: str):
    own = layer_of(relative)
    top = relative.split('/', 1)[0]
    for bracket, header in INCLUDE.findall(text):
        if bracket == '<':
            if top in PORTABLE and WIN32_HEADER.match(header.split('/')[-1]):
                yield f'{relative}: portable file includes <{header}>'
        elif '/' in header and layer_of(header) > own:
            yield f'{relative}: includes "{header}" from a higher layer'


def unit_of(relative: str) -> str:
    return relative.rsplit('.', 1)[0]


def include_graph(files: dict) -> dict:
    """Unit -> the other units it includes, from {relative path: text}."""
    units = {unit_of(relative) for relative in files}
    graph = {unit: set() for unit in units}
    for relative, text in files.items():
        for bracket, header in INCLUDE.findall(text):
            target = unit_of(header)
            if bracket == '"' and target in units and target != unit_of(relative):
                graph[unit_of(relative)].add(target)
    return graph


def circles_in(files: dict) -> list:
    """The circles of includes, each as the sorted units of one strongly
    connected part of the include graph (Tarjan's algorithm, iterative)."""
    graph = include_graph(files)
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = len(index)
        stack.append(root)
        on_stack.add(root)
        while work:
            unit, targets = work[-1]
            target = next(targets, None)
            if target is None:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[unit])
                if low[unit] == index[unit]:
                    part = []
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        part.append(member)
                        if member == unit:
                            break
                    if len(part) > 1:
                        found.append(sorted(part))
            elif target not in index:
                index[target] = low[target] = len(index)
                stack.append(target)
                on_stack.add(target)
                work.append((target, iter(sorted(graph[target]))))
            elif target in on_stack:
                low[unit] = min(low[unit], index[target])
    return sorted(found)


def circle_problems(files: dict) -> list:
    return [f'{", ".join(circle)}: include one another in a circle' for circle in circles_in(files)]


SELF_CHECK = [
    ('core/texts.h', '#include <windows.h>', True),
    ('image/png_rows.cpp', '#include "win/handles.h"', True),
    ('win/form.cpp', '#include "forms/main_window.h"', True),
    ('core/query_text.cpp', '#include "core/texts.h"\n#include <string>', False),
    ('forms/main_window.cpp', '#include "win/form.h"\n#include <windows.h>', False),
    ('main.cpp', '#include "forms/main_window.h"', False),
]


# Trees of a few files, and the circles expected in them.
CIRCLE_SELF_CHECK = [
    # A source file closes the circle that its header alone would not.
    ({'win/window.h': '', 'win/window.cpp': '#include "win/window.h"\n#include "win/boxes.h"',
      'win/boxes.h': '', 'win/boxes.cpp': '#include "win/boxes.h"\n#include "win/window.h"'},
     [['win/boxes', 'win/window']]),
    # Three units round, beside one that only points into the circle.
    ({'forms/a.cpp': '#include "forms/b.h"', 'forms/b.h': '#include "forms/c.h"',
      'forms/c.cpp': '#include "forms/a.h"', 'forms/a.h': '', 'forms/c.h': '', 'forms/d.cpp': '#include "forms/a.h"'},
     [['forms/a', 'forms/b', 'forms/c']]),
    # Includes that point one way, and a system header of the same name.
    ({'win/form.h': '#include "win/window.h"', 'win/form.cpp': '#include "win/form.h"',
      'win/window.cpp': '#include "win/window.h"\n#include <form.h>', 'win/window.h': ''}, []),
]


def main() -> int:
    for relative, text, bad in SELF_CHECK:
        assert bool(list(problems_in(relative, text))) == bad, (relative, text)
    for files, circles in CIRCLE_SELF_CHECK:
        assert circles_in(files) == circles, (files, circles_in(files))
    src = pathlib.Path(sys.argv[1])
    found = []
    files = {}
    for path in sorted(src.rglob('*')):
        if path.suffix in ('.h', '.cpp'):
            relative = path.relative_to(src).as_posix()
            files[relative] = path.read_text(encoding='utf-8', errors='replace')
            found += problems_in(relative, files[relative])
    found += circle_problems(files)
    for line in found:
        print(line)
    print(f'{len(found)} layering problem(s)')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
