#!/usr/bin/env python3
"""Checks a Windows module from its file, without running it: machine type,
module name and exports (names, and ordinals where given), imported DLLs.

  check_module.py MODULE --machine i386 [--module-name NAME]
                  [--exports Name=1,Other,...] --imports a.dll,b.dll,...

--imports lists the DLLs the module may import; it must import at least one."""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_file import PeFile  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("module")
    parser.add_argument("--machine", required=True)
    parser.add_argument("--module-name")
    parser.add_argument("--exports")
    parser.add_argument("--imports", required=True)
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

    for fault in faults:
        print(f"{name}: {fault}")
    if faults:
        return 1
    print(f"{name}: {pe.machine}, module name {module_name}, {len(ordinals)} exports, imports {', '.join(imports)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
