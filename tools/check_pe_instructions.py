#!/usr/bin/env python3
"""Checks that Windows programs run on a 486, the oldest processor of their line.

    check_pe_instructions.py [--objdump PROGRAM] [--packed] FILE...

Disassembles the code sections of each FILE (objdump -d) and fails on any
instruction that a 486 does not have, naming the file, the address and the
instruction. With --packed each FILE is an NSIS setup: besides its own stub,
every program and plug-in it packs (the uninstaller included) is unpacked
with 7-Zip and checked too. Prints per file how many instructions it holds
and how many of each kind are newer than the 486; exits 1 when any is found
or a file cannot be read, 2 on bad usage.

CPUID is not listed: late 486s have it, and code that uses it tests for it
first (the EFLAGS ID bit), as libgcc's processor probe does. Nor is UD2: it
is there to fault, and faults on a 486 just the same.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nsis_packed  # noqa: E402

# What a 486 lacks, one row per kind: the pattern matches objdump's AT&T
# mnemonic (a look-ahead finds the register files among the operands), then
# the kind's name and the first processor that had it. The Pentium, Pentium
# MMX, K5, K6, 6x86 and WinChip lack everything from the Pentium Pro on.
NEWER_THAN_486 = (
    (r"cmov\w+", "CMOVcc", "Pentium Pro"),
    (r"fcmov\w+", "FCMOVcc", "Pentium Pro"),
    (r"fu?comip?", "FCOMI/FCOMIP/FUCOMI/FUCOMIP", "Pentium Pro"),
    (r"nop[wl]?(?=\s+\S)", "long NOP (0F 1F)", "Pentium Pro"),
    (r"rdpmc", "RDPMC", "Pentium Pro"),
    (r"rdtscp?", "RDTSC", "Pentium"),
    (r"cmpxchg8b", "CMPXCHG8B", "Pentium"),
    (r"rdmsr|wrmsr|rsm", "RDMSR/WRMSR/RSM", "Pentium"),
    (r"sysenter|sysexit", "SYSENTER/SYSEXIT", "Pentium II"),
    (r"fxsave|fxrstor", "FXSAVE/FXRSTOR", "Pentium II"),
    (r"femms|pf\w+|pi2f\w|pf2i\w|pavgusb|pmulhrw|prefetchw?", "3DNow!", "AMD K6-2"),
    (r"emms|\S+(?=.*%mm\d)", "MMX", "Pentium MMX"),
    (r"[ls]dmxcsr|[slm]fence|clflush|prefetch(nta|t0|t1|t2)|movnti|fisttp\w*|\S+(?=.*%[xy]mm\d)", "SSE to SSE3",
     "Pentium III"),
)
KINDS = [(re.compile(f"(?:{pattern})(?:\\s|$)"), kind, since) for pattern, kind, since in NEWER_THAN_486]
# Prefixes objdump prints as words of their own before the instruction.
PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "data32", "addr16", "addr32",
            "cs", "ds", "es", "fs", "gs", "ss", "notrack", "bnd"}
# "  401000:\tcmovne %edx,%eax": address, then the instruction (--no-show-raw-insn).
LINE = re.compile(r"^\s*([0-9a-f]+):\s+(.*\S)\s*$")


def default_objdump():
    for name in ("i686-w64-mingw32-objdump", "objdump"):
        if shutil.which(name):
            return name
    return "objdump"


def disassemble(objdump, path):
    """(address, instruction text) of every instruction in PATH's code sections."""
    result = subprocess.run([objdump, "-d", "-w", "--no-show-raw-insn", path],
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise OSError(result.stderr.strip() or f"{objdump} failed on {path}")
    for line in result.stdout.splitlines():
        match = LINE.match(line)
        if match:
            yield int(match.group(1), 16), match.group(2)


def kind_of(instruction):
    """The row of NEWER_THAN_486 an instruction falls under, or None."""
    words = instruction.split()
    while len(words) > 1 and words[0] in PREFIXES:
        words.pop(0)
    text = " ".join(words)
    for pattern, kind, since in KINDS:
        if pattern.match(text):
            return kind, since
    return None


def check(objdump, path, shown):
    """Prints PATH's summary and problems; returns True when it has none."""
    try:
        listing = list(disassemble(objdump, path))
    except OSError as error:
        print(f"{shown}: cannot disassemble: {error}")
        return False
    if not listing:
        print(f"{shown}: no code found to check")
        return False
    counts = {}
    problems = []
    for address, instruction in listing:
        found = kind_of(instruction)
        if found:
            counts[found[0]] = counts.get(found[0], 0) + 1
            problems.append(f"{shown}: 0x{address:08X}: {instruction} ({found[0]}, {found[1]} and later)")
    newer = ", ".join(f"{kind} {count}" for kind, count in counts.items()) or "none"
    print(f"{shown}: {len(listing)} instructions; newer than the 486: {newer}")
    for problem in problems:
        print(problem)
    return not problems


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--objdump", default=default_objdump(), help="the objdump to use")
    parser.add_argument("--packed", action="store_true",
                        help="the files are NSIS setups: check what each packs as well")
    parser.add_argument("files", nargs="+")
    options = parser.parse_args(argv)

    passed = nsis_packed.check_all(options.files, lambda path, shown: check(options.objdump, path, shown),
                                   options.packed)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
