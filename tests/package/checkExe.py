#!/usr/bin/env python3
"""Checks a built program as a file: the processor it is for, its subsystem (GUI unless console
is given), the DLLs it imports (system DLLs only, and exactly the expected ones) and its version
resource.

usage: checkExe.py EXE x86|x64 VERSION DLL[,DLL...] [console]
Prints one line per finding and exits 1 when any check fails.
"""
import struct
import sys

MACHINES = {"x86": (0x14C, 0x10B), "x64": (0x8664, 0x20B)}
SUBSYSTEMS = {"gui": 2, "console": 3}
RT_VERSION = 16
IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, address, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((address, max(size, raw_size), raw_offset))

    def offset(self, rva):
        for address, size, raw_offset in self.sections:
            if address <= rva < address + size:
                return raw_offset + rva - address
        raise ValueError("address 0x%x is in no section" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        rva = self.directories[IMPORT_DIRECTORY][0]
        names = []
        entry = self.offset(rva)
        while True:
            fields = struct.unpack_from("<IIIII", self.data, entry)
            if fields == (0, 0, 0, 0, 0):
                return names
            names.append(self.text(fields[3]))
            entry += 20

    def version(self):
        """The fixed file version of the first RT_VERSION resource, or None."""
        root = self.offset(self.directories[RESOURCE_DIRECTORY][0])

        def entries(directory):
            named, ids = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, directory + 16 + 8 * i)

        for name, target in entries(root):
            if name != RT_VERSION:
                continue
            node = target
            while node & 0x80000000:  # a subdirectory: take its first entry
                node = next(entries(root + (node & 0x7FFFFFFF)))[1]
            data_rva = struct.unpack_from("<I", self.data, root + node)[0]
            block = self.offset(data_rva)
            fixed = block + 40  # after the "VS_VERSION_INFO" key, aligned to 4 bytes
            signature, _, ms, ls = struct.unpack_from("<IIII", self.data, fixed)
            if signature != 0xFEEF04BD:
                return None
            return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        return None


def main(argv):
    if len(argv) not in (5, 6) or argv[2] not in MACHINES or argv[5:] not in ([], ["console"]):
        print(__doc__.strip().splitlines()[-2], file=sys.stderr)
        return 2
    path, kind, version, expected = argv[1], argv[2], argv[3], argv[4]
    subsystem = SUBSYSTEMS[argv[5] if len(argv) == 6 else "gui"]
    expected_dlls = sorted(name.lower() for name in expected.split(","))
    with open(path, "rb") as file:
        exe = PeFile(file.read())
    machine, magic = MACHINES[kind]
    dlls = sorted(name.lower() for name in exe.imports())
    checks = [
        ("processor", exe.machine == machine and exe.magic == magic,
         "machine 0x%x, optional header 0x%x" % (exe.machine, exe.magic)),
        ("subsystem", exe.subsystem == subsystem, "subsystem %d" % exe.subsystem),
        ("imports", dlls == expected_dlls, ", ".join(dlls)),
        ("version", exe.version() == version, "version resource %s" % exe.version()),
    ]
    failed = 0
    for name, passed, found in checks:
        print("%s %s: %s" % ("ok  " if passed else "FAIL", name, found))
        failed += 0 if passed else 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
