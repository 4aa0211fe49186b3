#!/usr/bin/env python3
"""The portable zip is the same, byte for byte, from the same inputs: packed
twice from copies whose file dates and permissions differ, the two archives
match, and their entries carry the given order, date and attributes only.

    check_release_zip.py MAKE_ZIP_SCRIPT
"""
import importlib.util
import os
import sys
import tempfile
import zipfile
from pathlib import Path

EPOCH = 1767225600  # 2026-01-01 00:00:00 UTC


def pack(make_zip, folder, mtime, mode):
    names = ["Quorvane.exe", "README.txt", "License.txt"]
    folder.mkdir()
    for index, name in enumerate(names):
        path = folder / name
        path.write_bytes(bytes(range(256)) * (index + 3) + name.encode())
        os.chmod(path, mode)
        os.utime(path, (mtime, mtime))
    out = folder / "out.zip"
    make_zip.make_zip(out, [(name, folder / name) for name in names], EPOCH)
    return out, names


def main():
    spec = importlib.util.spec_from_file_location("make_zip", sys.argv[1])
    make_zip = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(make_zip)
    with tempfile.TemporaryDirectory() as temp:
        first, names = pack(make_zip, Path(temp) / "a", 1_000_000_000, 0o644)
        second, _ = pack(make_zip, Path(temp) / "b", 1_700_000_000, 0o755)
        problems = []
        if first.read_bytes() != second.read_bytes():
            problems.append("the two archives differ")
        with zipfile.ZipFile(first) as archive:
            infos = archive.infolist()
            if [info.filename for info in infos] != names:
                problems.append(f"entries {[info.filename for info in infos]}, not {names}")
            for info in infos:
                if info.date_time != (2026, 1, 1, 0, 0, 0) or info.external_attr != 0x20 or info.extra:
                    problems.append(f"{info.filename}: date {info.date_time}, attributes "
                                    f"{info.external_attr:#x}, extra {info.extra!r}")
            if archive.testzip() is not None:
                problems.append("a damaged entry")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
