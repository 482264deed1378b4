"""Reads a Windows module (PE32 or PE32+) from its file, without running it:
machine type, export directory, imported DLLs, resources, the version record and
the time stamps."""

import struct

MACHINES = {0x014C: "i386", 0x8664: "x86-64"}

EXPORT_DIRECTORY, IMPORT_DIRECTORY, RESOURCE_DIRECTORY, DEBUG_DIRECTORY = 0, 1, 2, 6
RT_VERSION = 16


class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path}: not a Windows module")
        pe = self.u32(0x3C)
        if self.data[pe : pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE header")
        coff = self.coff = pe + 4
        machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", self.data, coff)
        self.machine = MACHINES.get(machine, hex(machine))
        optional = coff + 20
        magic = self.u16(optional)
        directories = optional + (96 if magic == 0x10B else 112)
        count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<8xIIII", self.data, table + 40 * i) for i in range(sections)]

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError(f"address {rva:#x} is in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start : self.data.index(b"\0", start)].decode("ascii")

    def directory(self, index):
        rva, size = self.directories[index] if index < len(self.directories) else (0, 0)
        return self.offset(rva) if rva and size else None

    def exports(self):
        """(module name, {export name: ordinal})"""
        at = self.directory(EXPORT_DIRECTORY)
        if at is None:
            return None, {}
        name, base, _, names, _, name_table, ordinal_table = struct.unpack_from("<12xIIIIIII", self.data, at)
        ordinals = {}
        for i in range(names):
            export = self.text(self.u32(self.offset(name_table) + 4 * i))
            ordinals[export] = base + self.u16(self.offset(ordinal_table) + 2 * i)
        return self.text(name), ordinals

    def imports(self):
        """Names of the imported DLLs, in table order."""
        at = self.directory(IMPORT_DIRECTORY)
        names = []
        while at is not None:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name or thunks):
                break
            names.append(self.text(name))
            at += 20
        return names

    def time_stamps(self):
        """[(where, value)] of every time stamp field: the file header's, the
        export directory's, each import descriptor's, each resource table's and
        each debug directory entry's."""
        stamps = [("file header", self.u32(self.coff + 4))]
        at = self.directory(EXPORT_DIRECTORY)
        if at is not None:
            stamps.append(("export directory", self.u32(at + 4)))
        at = self.directory(IMPORT_DIRECTORY)
        while at is not None and any(struct.unpack_from("<IIIII", self.data, at)):
            stamps.append((f"import descriptor of {self.text(self.u32(at + 12))}", self.u32(at + 4)))
            at += 20
        root = self.directory(RESOURCE_DIRECTORY)
        tables = [0] if root is not None else []
        while tables:
            table = tables.pop()
            stamps.append((f"resource table at {table:#x}", self.u32(root + table + 4)))
            named, numbered = struct.unpack_from("<12xHH", self.data, root + table)
            for i in range(named + numbered):
                target = self.u32(root + table + 16 + 8 * i + 4)
                if target & 0x80000000:
                    tables.append(target & 0x7FFFFFFF)
        at = self.directory(DEBUG_DIRECTORY)
        if at is not None:
            for i in range(self.directories[DEBUG_DIRECTORY][1] // 28):
                stamps.append((f"debug directory entry {i}", self.u32(at + 28 * i + 4)))
        return stamps

    def resources(self):
        """{(type, name): bytes} of the first language of each resource; ids are
        ints, names strings."""
        root = self.directory(RESOURCE_DIRECTORY)
        found = {}
        if root is None:
            return found

        def entries(at):
            named, numbered = struct.unpack_from("<12xHH", self.data, root + at)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, root + at + 16 + 8 * i)
                if key & 0x80000000:
                    start = root + (key & 0x7FFFFFFF)
                    key = self.data[start + 2 : start + 2 + 2 * self.u16(start)].decode("utf-16-le")
                yield key, target

        for kind, names in entries(0):
            for name, languages in entries(names & 0x7FFFFFFF):
                _, leaf = next(entries(languages & 0x7FFFFFFF))
                rva, size = struct.unpack_from("<II", self.data, root + leaf)
                start = self.offset(rva)
                found[(kind, name)] = self.data[start : start + size]
        return found

    def version(self):
        """{key: value} of the version record's string tables, plus "\\" (the
        fixed file info, bytes) and "Translation" (bytes); None without a record."""
        data = self.resources().get((RT_VERSION, 1))
        if data is None:
            return None
        found = {}

        def aligned(at):
            return at + (-at % 4)

        def node(at):
            length, value_length, kind = struct.unpack_from("<HHH", data, at)
            end = data.index(b"\0\0", at + 6)
            while (end - at) % 2:
                end = data.index(b"\0\0", end + 1)
            key = data[at + 6 : end].decode("utf-16-le")
            value = aligned(end + 2)
            if kind == 1:  # text, counted in characters
                found[key] = data[value : value + 2 * value_length].decode("utf-16-le").rstrip("\0")
                child = aligned(value + 2 * value_length)
            else:
                found[key] = data[value : value + value_length]
                child = aligned(value + value_length)
            while child < at + length:
                child = aligned(node(child))
            return at + length

        node(0)
        found["\\"] = found.pop("VS_VERSION_INFO")
        return found
