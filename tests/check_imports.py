#!/usr/bin/env python3
"""Checks a Windows program's PE header: GUI subsystem, every imported DLL part
of the system, so the program runs without anything beside it, and the
loader's protections on: address-space layout randomisation (high-entropy in a
64-bit program) and data execution prevention.

  check_imports.py OBJDUMP PROGRAM.exe
"""
import re
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "comctl32.dll",
    "advapi32.dll", "ole32.dll", "oleaut32.dll", "shlwapi.dll", "uxtheme.dll",
    "comdlg32.dll", "msvcrt.dll", "version.dll",
}


def main():
    objdump, program = sys.argv[1], sys.argv[2]
    header = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                            check=True).stdout
    dlls = [name.lower() for name in re.findall(r"DLL Name: (\S+)", header)]
    foreign = [d for d in dlls if d not in SYSTEM_DLLS and not d.startswith("api-ms-win-")]
    subsystem = re.search(r"^Subsystem\s+\S+\s+\((.*)\)", header, re.M)
    problems = []
    if not dlls:
        problems.append("no imports found: not a PE program?")
    if foreign:
        problems.append("imports DLLs that are not part of the system: " + ", ".join(foreign))
    flags = set(re.findall(r"^\t+([A-Z_]+)$", header.split("DllCharacteristics", 1)[-1].split("SizeOf", 1)[0], re.M))
    wanted = {"DYNAMIC_BASE", "NX_COMPAT"} | ({"HIGH_ENTROPY_VA"} if "PE32+" in header or "pei-x86-64" in header else set())
    if wanted - flags:
        problems.append("loader protections off: " + ", ".join(sorted(wanted - flags)))
    if not subsystem or subsystem.group(1) != "Windows GUI":
        problems.append("subsystem is %s, not Windows GUI" % (subsystem.group(1) if subsystem else "unknown"))
    print("imports:", ", ".join(dlls))
    for p in problems:
        print("FAIL:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
