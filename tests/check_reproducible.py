#!/usr/bin/env python3
"""Builds the program a second time from a copy of the source tree, in other
folders and at another time, and compares the two executables byte for byte:
the same commit must give the same program, wherever and whenever it is built.

  check_reproducible.py SOURCE_DIR BINARY_DIR TOOLCHAIN BUILD_TYPE TARGET PROGRAM.exe

TOOLCHAIN is the toolchain file inside SOURCE_DIR and PROGRAM the target's file
inside BINARY_DIR; the copy uses its own. The second build goes to
BINARY_DIR/reproducible.
"""
import shutil
import subprocess
import sys
from pathlib import Path


def skip_build_folders(folder, names):
    """Build folders (they hold a CMake cache) and Git's data are not source."""
    return [n for n in names if n == ".git" or (Path(folder, n, "CMakeCache.txt")).exists()]


def main():
    source, binary, toolchain, build_type, target, program = sys.argv[1:7]
    source, binary = Path(source).resolve(), Path(binary).resolve()
    program = Path(program).resolve()
    work = binary / "reproducible"
    shutil.rmtree(work, ignore_errors=True)
    copy = work / "src"
    shutil.copytree(source, copy, ignore=skip_build_folders)
    build = work / "build"
    subprocess.run(["cmake", "-S", copy, "-B", build, "-G", "Ninja",
                    "-DCMAKE_TOOLCHAIN_FILE=" + str(copy / Path(toolchain).resolve().relative_to(source)),
                    "-DCMAKE_BUILD_TYPE=" + build_type],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", target], check=True,
                   stdout=subprocess.DEVNULL)
    first, second = program.read_bytes(), (build / program.relative_to(binary)).read_bytes()
    if first != second:
        at = next((i for i, (a, b) in enumerate(zip(first, second)) if a != b), min(len(first), len(second)))
        print(f"FAIL: {program.name} differs between the two builds from byte {at:#x} "
              f"(sizes {len(first)} and {len(second)}); second build kept in {build}")
        return 1
    shutil.rmtree(work)
    print(f"{program.name}: {len(first)} bytes, the same in both builds")
    return 0


if __name__ == "__main__":
    sys.exit(main())
