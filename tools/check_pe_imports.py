#!/usr/bin/env python3
"""Checks that Windows programs can load on Windows 95 and later of its line.

    check_pe_imports.py --allow tools/win95-imports.txt [--allow MORE.txt] [--gui] [--list] [--packed] PROGRAM.exe...

For each program: a PE32 image for i386, OS and subsystem version 4.0 (the
9x loader refuses higher ones), with --gui the Windows GUI subsystem, not
marked NO_SEH (the port fault handler must be allowed to run; NSIS marks its
own stubs and plug-ins so, and they handle no faults), no delay-load imports (they would escape this check), no imports by ordinal, and
imports only from the allowed DLLs and only of functions listed in the allow
list, one "DLL!Function" per line ("#" starts a comment; DLL names compare
case-insensitively, function names exactly). Prints the file size and the
number of imports of each program, then every problem; exits 1 when there is
any problem, 2 on bad usage.

Standard library only: the PE file is parsed here.
"""
import argparse
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nsis_packed  # noqa: E402

# OLE32: only the installer's shortcuts and plug-ins need it; COMDLG32: only
# the nsDialogs plug-in. Both ship with Windows 95.
ALLOWED_DLLS = ("KERNEL32", "USER32", "GDI32", "ADVAPI32", "SHELL32", "COMCTL32", "VERSION", "OLE32", "COMDLG32")
# DLLs that a MinGW program may pull in but that Windows 95 lacks, with why.
MISSING_ON_WINDOWS_95 = {
    "MSVCRT": "the C runtime DLL, which Windows 95 does not ship",
}

MACHINE_I386 = 0x014C
MAGIC_PE32 = 0x010B
SUBSYSTEM_GUI = 2
DLL_CHARACTERISTICS_NO_SEH = 0x0400
FILE_CHARACTERISTICS_DLL = 0x2000
IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13
ORDINAL_FLAG = 0x80000000


class PeError(Exception):
    pass


class PeImage:
    """The parts of a PE32 image that decide whether Windows 95 can load it."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise PeError("not an MZ executable")
        pe = self._u32(0x3C)
        if self._bytes(pe, 4) != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe + 4
        self.machine, section_count = struct.unpack_from("<HH", self._bytes(coff, 4))
        self.characteristics = self._u16(coff + 18)
        optional_size = self._u16(coff + 16)
        optional = coff + 20
        self.magic = self._u16(optional)
        if self.magic != MAGIC_PE32:
            raise PeError(f"optional header magic 0x{self.magic:04X}, not PE32 (0x010B)")
        self.os_version = (self._u16(optional + 40), self._u16(optional + 42))
        self.subsystem_version = (self._u16(optional + 48), self._u16(optional + 50))
        self.subsystem = self._u16(optional + 68)
        self.dll_characteristics = self._u16(optional + 70)
        directory_count = self._u32(optional + 92)
        self.directories = []
        for index in range(min(directory_count, 16)):
            self.directories.append(struct.unpack_from("<II", self._bytes(optional + 96 + index * 8, 8)))
        self.sections = []
        self.section_names = []
        table = optional + optional_size
        for index in range(section_count):
            entry = self._bytes(table + index * 40, 40)
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", entry, 8)
            self.section_names.append(entry[:8].rstrip(b"\0").decode("latin-1"))
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer, raw_size))

    def _bytes(self, offset, count):
        if offset < 0 or offset + count > len(self.data):
            raise PeError(f"truncated at file offset 0x{offset:X}")
        return self.data[offset:offset + count]

    def _u16(self, offset):
        return struct.unpack("<H", self._bytes(offset, 2))[0]

    def _u32(self, offset):
        return struct.unpack("<I", self._bytes(offset, 4))[0]

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset_of(self, rva):
        for virtual_address, size, raw_pointer, raw_size in self.sections:
            if virtual_address <= rva < virtual_address + size:
                if rva - virtual_address >= raw_size:
                    raise PeError(f"RVA 0x{rva:X} lies in uninitialised section data")
                return raw_pointer + rva - virtual_address
        raise PeError(f"RVA 0x{rva:X} is in no section")

    def rva_u32(self, rva):
        return self._u32(self.offset_of(rva))

    def rva_string(self, rva):
        start = self.offset_of(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError(f"unterminated string at RVA 0x{rva:X}")
        return self.data[start:end].decode("ascii", "replace")

    def imports(self):
        """[(dll, function or None, ordinal or None)] from the import directory."""
        rva, size = self.directory(IMPORT_DIRECTORY)
        result = []
        if rva == 0 or size == 0:
            return result
        descriptor = rva
        while True:
            original_thunks, _, _, name, thunks = struct.unpack(
                "<IIIII", self._bytes(self.offset_of(descriptor), 20))
            if original_thunks == 0 and name == 0 and thunks == 0:
                return result
            dll = self.rva_string(name)
            thunk = original_thunks or thunks
            while True:
                entry = self.rva_u32(thunk)
                if entry == 0:
                    break
                if entry & ORDINAL_FLAG:
                    result.append((dll, None, entry & 0xFFFF))
                else:
                    result.append((dll, self.rva_string(entry + 2), None))
                thunk += 4
            descriptor += 20


def dll_key(name):
    name = name.upper()
    return name[:-4] if name.endswith(".DLL") else name


def load_allow_list(path):
    allowed = set()
    with open(path, encoding="ascii") as source:
        for number, line in enumerate(source, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            dll, sep, function = line.partition("!")
            if not sep or not dll or not function or " " in line:
                raise SystemExit(f"{path}:{number}: expected DLL!Function, got {line!r}")
            if dll_key(dll) not in ALLOWED_DLLS:
                raise SystemExit(f"{path}:{number}: {dll} is not one of the allowed DLLs")
            allowed.add((dll_key(dll), function))
    return allowed


def nsis_own_code(image):
    """An NSIS stub (its .ndata section holds the script's variables) or a DLL:
    the programs that ship are neither."""
    return ".ndata" in image.section_names or bool(image.characteristics & FILE_CHARACTERISTICS_DLL)


def check(path, allowed, gui):
    """Returns (summary line, [(dll, function, ordinal)], [problems])."""
    with open(path, "rb") as source:
        data = source.read()
    try:
        image = PeImage(data)
        imports = image.imports()
        problems = []
        if image.machine != MACHINE_I386:
            problems.append(f"machine 0x{image.machine:04X}, not i386 (0x014C)")
        if image.os_version != (4, 0):
            problems.append("OS version %d.%d, not 4.0" % image.os_version)
        if image.subsystem_version != (4, 0):
            problems.append("subsystem version %d.%d, not 4.0" % image.subsystem_version)
        if gui and image.subsystem != SUBSYSTEM_GUI:
            problems.append(f"subsystem {image.subsystem}, not Windows GUI (2)")
        if image.dll_characteristics & DLL_CHARACTERISTICS_NO_SEH and not nsis_own_code(image):
            # Later Windows would then refuse the handler that catches refused port I/O.
            problems.append("marked NO_SEH: its structured exception handlers would not run")
        if image.directory(DELAY_IMPORT_DIRECTORY) != (0, 0):
            problems.append("has delay-load imports")
        # A DLL that Windows 95 lacks is named once, not with each of its functions.
        missing = [dll for dll, _, _ in imports if dll_key(dll) in MISSING_ON_WINDOWS_95]
        for dll in sorted(set(missing)):
            problems.append(f"imports from {dll} ({missing.count(dll)} functions), "
                            + MISSING_ON_WINDOWS_95[dll_key(dll)])
        for dll, function, ordinal in imports:
            if dll in missing:
                continue
            if dll_key(dll) not in ALLOWED_DLLS:
                problems.append(f"imports from {dll}, which is not an allowed DLL"
                                + (f" ({function})" if function else ""))
            elif function is None:
                problems.append(f"imports {dll} ordinal {ordinal}: ordinals cannot be checked")
            elif (dll_key(dll), function) not in allowed:
                problems.append(f"imports {dll}!{function}, which is not in the Windows 95 allow list")
    except PeError as error:
        return f"{path}: {len(data)} bytes", [], [f"cannot read the PE image: {error}"]
    return f"{path}: {len(data)} bytes, {len(imports)} imports", imports, problems


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--allow", required=True, action="append",
                        help="an allow list, one DLL!Function a line; several add up")
    parser.add_argument("--gui", action="store_true", help="require the Windows GUI subsystem")
    parser.add_argument("--list", action="store_true", help="print every import as well")
    parser.add_argument("--packed", action="store_true",
                        help="the programs are NSIS setups: check what each packs as well")
    parser.add_argument("programs", nargs="+")
    options = parser.parse_args(argv)

    allowed = set()
    for path in options.allow:
        allowed |= load_allow_list(path)

    def report(path, shown=None):
        summary, imports, problems = check(path, allowed, options.gui)
        print(shown + summary[len(path):] if shown else summary)
        shown = shown or os.path.basename(path)
        if options.list:
            for dll, function, ordinal in imports:
                print(f"  {dll}!{function if function is not None else '#%d' % ordinal}")
        for problem in problems:
            print(f"{shown}: {problem}")
        return bool(problems)

    passed = nsis_packed.check_all(options.programs, lambda path, shown: not report(path, shown),
                                   options.packed)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
