#!/usr/bin/env python3
"""Checks a Windows program's PE header: the machine it was built for, GUI
subsystem, every imported DLL one the loader can take from nowhere but the
system (so a DLL planted beside a portable copy is never loaded before the
program's first line runs), the loader's protections on (address-space layout
randomisation with its relocations, high-entropy in a 64-bit program, data
execution prevention), a 32-bit program large-address aware, and no link time
stamped in, so that a build is reproducible, and the program within its size
budget, and the DLLs that a second start handing its query over never needs
loaded only at their first call.

  check_imports.py OBJDUMP PROGRAM.exe MACHINE      (MACHINE: x86_64 or i686)
"""
import os
import re
import struct
import subprocess
import sys

# The known DLLs that Windows 10 and 11 both list under HKLM\System\
# CurrentControlSet\Control\Session Manager\KnownDLLs (less the emulation
# layers of 32-bit and ARM programs). The loader maps these from the system
# folder whatever the search path; any other DLL a program imports is looked
# for in the program's own folder first, before the program can say otherwise.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll",
    "difxapi.dll", "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll",
    "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
    "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "wldap32.dll", "ws2_32.dll",
}
# Not a known DLL, but bound by the manifest to the side-by-side assembly of
# the common controls in the system's store, which the loader consults before
# the program's folder: allowed only when the manifest names that assembly.
SIDE_BY_SIDE = {"comctl32.dll": b'name="Microsoft.Windows.Common-Controls"'}
# Exports of known DLLs that forward to DLLs that are not known: importing one
# makes the loader look for its target beside the program, as for a direct
# import. advapi32 hands its random source and its memory encryption
# (SystemFunction036, 040, 041) to cryptbase.dll, its other SystemFunction
# entries and its Crypt* provider calls to cryptsp.dll. The other forwarders of
# the DLLs imported (kernel32 to kernelbase, gdi32 to gdi32full, ole32 to
# combase, user32 to ntdll) lead to DLLs the system maps with the known ones.
FORWARDED = [
    ("advapi32.dll", re.compile(r"SystemFunction0(36|40|41)$"), "cryptbase.dll"),
    ("advapi32.dll", re.compile(r"SystemFunction\d+$"), "cryptsp.dll"),
    ("advapi32.dll", re.compile(r"Crypt[A-Z]\w*$"), "cryptsp.dll"),
]
# Loaded at their first call instead of at start, through delay-load import
# libraries: a second start that only hands its query to the running copy
# never calls them and must not pay for loading them. The program restricts
# its DLL search to the system folder before any of them loads; the common
# controls still need the manifest that binds them to the system's copy.
# The 32-bit program imports them at start: this toolchain's 32-bit linker
# drops delay-load thunks.
DELAY_LOADED = {"x86_64": {"comctl32.dll", "ole32.dll"}, "i686": set()}
# The most bytes the stripped program may take per target processor; the
# 32-bit one carries its exception tables in the code.
SIZE_BUDGETS = {"x86_64": 350_000, "i686": 400_000}
# objdump's name of the file format per target processor.
FORMATS = {"x86_64": "pei-x86-64", "i686": "pei-i386"}


def link_time(program):
    """TimeDateStamp of the COFF file header, behind the PE signature."""
    with open(program, "rb") as f:
        data = f.read(4096)
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    (stamp,) = struct.unpack_from("<I", data, pe + 8)
    return stamp


def imports(header):
    """{dll: [function, ...]} from objdump's import tables, DLL names in lower case."""
    table = {}
    functions = None
    for line in header.splitlines():
        dll = re.match(r"\s*DLL Name: (\S+)", line)
        if dll:
            functions = table.setdefault(dll.group(1).lower(), [])
            continue
        entry = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if line.startswith("The "):
            functions = None  # past the import tables
        elif entry and functions is not None:
            functions.append(entry.group(1))
    return table


def planting_problems(table, program):
    """The imports the loader could take from beside the program."""
    with open(program, "rb") as f:
        image = f.read()
    problems = []
    for dll in sorted(table):
        side_by_side = SIDE_BY_SIDE.get(dll)
        # An API set resolves through the loader's schema, never a search.
        if dll in KNOWN_DLLS or dll.startswith("api-ms-win-"):
            continue
        if side_by_side is None:
            problems.append(f"imports {dll}, not a known DLL: a copy beside the program would load")
        elif side_by_side not in image:
            problems.append(f"imports {dll} without the manifest that binds it to the system's copy")
    for dll, functions in table.items():
        for function in functions:
            target = next((t for d, pattern, t in FORWARDED if d == dll and pattern.match(function)), None)
            if target:
                problems.append(f"imports {dll}!{function}, which forwards to {target}, not a known DLL")
    return problems


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

    table = imports(header)
    if not table:
        problems.append("no imports found: not a PE program?")
    problems += planting_problems(table | {dll: [] for dll in DELAY_LOADED[machine]}, program)
    for dll in sorted(DELAY_LOADED[machine] & table.keys()):
        problems.append(f"imports {dll} at start: a second start that only hands over its query loads it")

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
    size = os.path.getsize(program)
    if size >= SIZE_BUDGETS[machine]:
        problems.append(f"{size:,} bytes, not under the budget of {SIZE_BUDGETS[machine]:,}")
    if link_time(program) != 0:
        problems.append("link time stamped into the header: builds differ")

    print(f"{file_format}, imports:")
    for dll, functions in table.items():
        print(f"  {dll}: {', '.join(functions)}")
    for p in problems:
        print("FAIL:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
