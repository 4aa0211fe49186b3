#!/usr/bin/env python3
"""Checks a Windows program's PE header: the machine it was built for, GUI
subsystem, every imported DLL part of the system, so the program runs without
anything beside it, the loader's protections on (address-space layout
randomisation with its relocations, high-entropy in a 64-bit program, data
execution prevention), a 32-bit program large-address aware, and no link time
stamped in, so that a build is reproducible.

  check_imports.py OBJDUMP PROGRAM.exe MACHINE      (MACHINE: x86_64 or i686)
"""
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "comctl32.dll",
    "advapi32.dll", "ole32.dll", "oleaut32.dll", "shlwapi.dll", "uxtheme.dll",
    "comdlg32.dll", "msvcrt.dll", "version.dll",
}
# objdump's name of the file format per target processor.
FORMATS = {"x86_64": "pei-x86-64", "i686": "pei-i386"}


def link_time(program):
    """TimeDateStamp of the COFF file header, behind the PE signature."""
    with open(program, "rb") as f:
        data = f.read(4096)
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    (stamp,) = struct.unpack_from("<I", data, pe + 8)
    return stamp


def main():
    objdump, program, machine = sys.argv[1:4]
    header = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                            check=True).stdout
    problems = []
    file_format = re.search(r"file format (\S+)", header)
    file_format = file_format.group(1) if file_format else "unknown"
    if file_format != FORMATS[machine]:
        problems.append(f"file format {file_format}, not {FORMATS[machine]} ({machine})")
    wide = machine == "x86_64"

    dlls = [name.lower() for name in re.findall(r"DLL Name: (\S+)", header)]
    foreign = [d for d in dlls if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-")]
    if not dlls:
        problems.append("no imports found: not a PE program?")
    if foreign:
        problems.append("imports DLLs that are not part of the system: " + ", ".join(foreign))

    flags = set(re.findall(r"^\t+([A-Z_]+)$", header.split("DllCharacteristics", 1)[-1].split("SizeOf", 1)[0], re.M))
    wanted = {"DYNAMIC_BASE", "NX_COMPAT"} | ({"HIGH_ENTROPY_VA"} if wide else set())
    if wanted - flags:
        problems.append("loader protections off: " + ", ".join(sorted(wanted - flags)))
    relocations = re.search(r"^Entry 5 [0-9a-f]+ ([0-9a-f]+) Base Relocation", header, re.M)
    if not relocations or int(relocations.group(1), 16) == 0:
        problems.append("no relocations: the loader cannot move the program")
    characteristics = header.split("Characteristics", 1)[-1].split("Time/Date", 1)[0]
    if not wide and "large address aware" not in characteristics:
        problems.append("32-bit program not large-address aware")

    subsystem = re.search(r"^Subsystem\s+\S+\s+\((.*)\)", header, re.M)
    if not subsystem or subsystem.group(1) != "Windows GUI":
        problems.append("subsystem is %s, not Windows GUI" % (subsystem.group(1) if subsystem else "unknown"))
    if link_time(program) != 0:
        problems.append("link time stamped into the header: builds differ")

    print(f"{file_format}, imports:", ", ".join(dlls))
    for p in problems:
        print("FAIL:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
