#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own, or when a portable
file includes a Win32 header.

The folders under src/ are the layers, lowest first; each may include only its
own and those below it. core and image are portable: they are compiled on every
host, so no Win32 header may reach them.

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


SELF_CHECK = [
    ('core/texts.h', '#include <windows.h>', True),
    ('image/png_rows.cpp', '#include "win/handles.h"', True),
    ('win/form.cpp', '#include "forms/main_window.h"', True),
    ('core/query_text.cpp', '#include "core/texts.h"\n#include <string>', False),
    ('forms/main_window.cpp', '#include "win/form.h"\n#include <windows.h>', False),
    ('main.cpp', '#include "forms/main_window.h"', False),
]


def main() -> int:
    for relative, text, bad in SELF_CHECK:
        assert bool(list(problems_in(relative, text))) == bad, (relative, text)
    src = pathlib.Path(sys.argv[1])
    found = []
    for path in sorted(src.rglob('*')):
        if path.suffix in ('.h', '.cpp'):
            found += problems_in(path.relative_to(src).as_posix(), path.read_text(encoding='utf-8', errors='replace'))
    for line in found:
        print(line)
    print(f'{len(found)} layering problem(s)')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
