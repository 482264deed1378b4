#!/usr/bin/env python3
"""Checks a Windows module from its file, without running it: machine type,
module name and exports (names, and ordinals where given), imported DLLs and
the version record, the time stamps.

  check_module.py MODULE --machine i386 [--module-name NAME]
                  [--exports Name=1,Other,...] --imports a.dll,b.dll,...
                  [--version 1.2.3] [--time-stamp SECONDS]

--imports lists the DLLs the module may import; it must import at least one.
--version: file and product version 1.2.3 (1.2.3.0 in numbers), the module's own
file name as OriginalFilename and a FileDescription.
--time-stamp: every time stamp field of the module is 0 or SECONDS (the build's
source date), never the time of the link."""

import argparse
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_file import PeFile  # noqa: E402


def version_faults(record, version, file_name):
    if record is None:
        return ["no version record"]
    numbers = [int(n) for n in version.split(".")] + [0, 0, 0, 0]
    most, least = numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", record["\\"])
    faults = []
    if (signature, file_ms, file_ls, product_ms, product_ls) != (0xFEEF04BD, most, least, most, least):
        faults.append(f"fixed version {file_ms >> 16}.{file_ms & 0xFFFF}.{file_ls >> 16}.{file_ls & 0xFFFF}, expected {version}")
    expected = {"FileVersion": version, "ProductVersion": version, "OriginalFilename": file_name}
    faults += [f"{key} {record.get(key)!r}, expected {value!r}" for key, value in expected.items() if record.get(key) != value]
    if not record.get("FileDescription"):
        faults.append("no FileDescription")
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("module")
    parser.add_argument("--machine", required=True)
    parser.add_argument("--module-name")
    parser.add_argument("--exports")
    parser.add_argument("--imports", required=True)
    parser.add_argument("--version")
    parser.add_argument("--time-stamp", type=int)
    args = parser.parse_args()

    pe = PeFile(args.module)
    name = os.path.basename(args.module)
    faults = []
    if pe.machine != args.machine:
        faults.append(f"machine {pe.machine}, expected {args.machine}")

    module_name, ordinals = pe.exports()
    if args.module_name is not None and module_name != args.module_name:
        faults.append(f"module name {module_name}, expected {args.module_name}")
    if args.exports is not None:
        expected = [e.split("=") for e in args.exports.split(",")]
        if sorted(ordinals) != sorted(e[0] for e in expected):
            faults.append(f"exports {sorted(ordinals)}, expected {sorted(e[0] for e in expected)}")
        for export, *ordinal in expected:
            if ordinal and ordinals.get(export) != int(ordinal[0]):
                faults.append(f"{export} has ordinal {ordinals.get(export)}, expected {ordinal[0]}")

    allowed = {dll.lower() for dll in args.imports.split(",")}
    imports = pe.imports()
    if not imports:
        faults.append("no import table")
    faults += [f"imports {dll}, which is not allowed" for dll in imports if dll.lower() not in allowed]

    if args.version is not None:
        faults += version_faults(pe.version(), args.version, name)

    if args.time_stamp is not None:
        faults += [f"time stamp of the {where} is {value}, expected 0 or {args.time_stamp}"
                   for where, value in pe.time_stamps() if value not in (0, args.time_stamp)]

    for fault in faults:
        print(f"{name}: {fault}")
    if faults:
        return 1
    print(f"{name}: {pe.machine}, module name {module_name}, {len(ordinals)} exports, imports {', '.join(imports)}"
          + (f", version {args.version}" if args.version else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
