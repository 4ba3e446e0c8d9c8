#!/usr/bin/env python3
"""Writes the export list (.def) and the type-library description (.idl)
from the public header, the one table of entry points.

Entry points come from boundary/VORNEXDO1M.h, with their parameter names,
types and directions (VX_IN marks [in], VX_NODIR no direction, every other
pointer is [in, out]). The .def also lists the core functions that the
subsystem headers declare with VX_CORE. Run from the project root:

    python3 tools/gen_exports.py
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
HEADER = ROOT / "boundary" / "VORNEXDO1M.h"
DEF = ROOT / "boundary" / "VORNEXDO1M.def"
IDL = ROOT / "boundary" / "VORNEXDO1M.idl"
SUBSYSTEMS = ["services", "classical", "optimal", "response", "sensory", "mixture"]

IDL_TYPES = {"int32_t": "int", "double": "double", "VARIANT_BOOL": "VARIANT_BOOL", "BSTR": "BSTR", "void": "void"}

ENTRY = re.compile(r"VX_API\s+(\w+)\s+VX_CALL\s+(Cpp_\w+)\s*\(([^)]*)\)\s*;", re.S)
PARAM = re.compile(r"^(VX_IN\s+|VX_NODIR\s+)?(\w+)\s*(\*?)\s*(\w+)$")
CORE = re.compile(r"^VX_CORE\s+[\w:<>*&\s]+?\b(\w+)\s*\(", re.M)


def entry_points():
    text = HEADER.read_text()
    for result, name, params in ENTRY.findall(text):
        parsed = []
        for p in " ".join(params.split()).split(","):
            m = PARAM.match(p.strip())
            if not m:
                sys.exit(f"cannot read parameter '{p}' of {name}")
            mark, ctype, ptr, pname = m.groups()
            mark = (mark or "").strip()
            direction = "[in] " if mark == "VX_IN" else "" if mark == "VX_NODIR" or not ptr else "[in, out] "
            if not mark and not ptr:
                sys.exit(f"scalar {pname} of {name} needs VX_IN or VX_NODIR")
            parsed.append(f"{direction}{IDL_TYPES[ctype]}{'*' if ptr else ''} {pname}")
        yield IDL_TYPES[result], name, parsed


def core_functions():
    names = []
    for sub in SUBSYSTEMS:
        for header in sorted((ROOT / sub).rglob("*.h")):
            names += CORE.findall(header.read_text())
    return names


def write_def(entries):
    lines = ["LIBRARY VORNEXDO1M.dll", "EXPORTS", "; entry points"]
    lines += [f"    {name}" for _, name, _ in entries]
    lines += ["; core functions"]
    lines += [f"    {name}" for name in core_functions()]
    DEF.write_text("\n".join(lines) + "\n")


def write_idl(entries):
    out = [
        "// Type library of VORNEXDO1M: the entry points with their parameter",
        "// names, types and directions. Written by tools/gen_exports.py.",
        "typedef short VARIANT_BOOL;",
        "typedef unsigned short* BSTR;",
        "",
        "[",
        "    uuid(6a1f3c52-9d47-4e0b-8c21-5b7d0e9a4f13),",
        "    version(1.0),",
        '    helpstring("VORNEXDO1M design-of-experiments library")',
        "]",
        "library VORNEXDO1M",
        "{",
        '    [dllname("VORNEXDO1M.dll"), helpstring("Functions exported by VORNEXDO1M.dll")]',
        "    module DO",
        "    {",
    ]
    for result, name, params in entries:
        out.append(f'        [entry("{name}")]')
        out.append(f"        {result} __stdcall {name}({', '.join(params)});")
    out += ["    };", "};", ""]
    IDL.write_text("\n".join(out))


def main():
    entries = list(entry_points())
    write_def(entries)
    write_idl(entries)


if __name__ == "__main__":
    main()
