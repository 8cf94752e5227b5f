#!/usr/bin/env python3
"""The import checker must name every reason a program cannot load on Windows 95,
and the instruction checker every instruction a 486 lacks.

    pe_imports_test.py CHECKER ALLOW_LIST BAD_PROGRAM INSTRUCTION_CHECKER

BAD_PROGRAM (pe_imports_bad.exe) is a console program with subsystem and OS
version 5.1 that imports a W function, a DLL outside the allowed set and,
through MinGW's start-up code, the C runtime DLL that Windows 95 lacks. Built
for the Pentium Pro, it compares doubles with FCOMI and picks a maximum with
CMOVcc.
"""
import os
import re
import subprocess
import sys
import tempfile


def run(checker, allow, *arguments):
    result = subprocess.run([sys.executable, checker, "--allow", allow, *arguments],
                            capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def main():
    checker, allow, bad, instructions = sys.argv[1:5]
    failures = []

    def expect(condition, message, output):
        if not condition:
            failures.append(f"{message}\n--- output:\n{output}")

    code, output = run(checker, allow, "--gui", bad)
    expect(code == 1, f"exit code {code} for a program Windows 95 cannot load, expected 1", output)
    for problem in ("subsystem 3, not Windows GUI (2)",
                    "subsystem version 5.1, not 4.0",
                    "OS version 5.1, not 4.0",
                    "imports KERNEL32.dll!LoadLibraryW, which is not in the Windows 95 allow list",
                    "which Windows 95 does not ship",
                    "imports from WINMM.dll, which is not an allowed DLL (timeGetTime)"):
        expect(problem.lower() in output.lower(), f"missing problem: {problem}", output)
    expect("imports from msvcrt.dll (" in output.lower(), "the C runtime DLL was not named", output)
    # What the bad program imports that is allowed must not be reported.
    expect("KERNEL32.dll!GetModuleHandleA" not in output, "an allowed import was reported", output)

    # Any damage to the file is a failure, never a pass with nothing checked.
    with open(bad, "rb") as source:
        data = source.read()
    with tempfile.TemporaryDirectory() as folder:
        for name, damaged in (("truncated.exe", data[:0x200]), ("no-pe.exe", b"MZ" + b"\0" * 0x3E)):
            path = os.path.join(folder, name)
            with open(path, "wb") as target:
                target.write(damaged)
            code, output = run(checker, allow, path)
            expect(code == 1 and "cannot read the PE image" in output, f"{name}: exit code {code}", output)

    # Every instruction a 486 lacks is named with its file and address.
    name = os.path.basename(bad)
    result = subprocess.run([sys.executable, instructions, bad], capture_output=True, text=True)
    output = result.stdout + result.stderr
    expect(result.returncode == 1, f"instruction check: exit code {result.returncode}, expected 1", output)
    for kind in ("CMOVcc", "FCOMI/FCOMIP/FUCOMI/FUCOMIP"):
        expect(re.search(rf"^{re.escape(name)}: 0x[0-9A-F]{{8}}: \S+ .*\({re.escape(kind)}, ", output, re.M),
               f"instruction check: no {kind} named with its address", output)

    # Nothing to look at is a failure too: a damaged file, or a setup that packs nothing.
    with tempfile.TemporaryDirectory() as folder:
        empty = os.path.join(folder, "empty.exe")
        open(empty, "wb").close()
        for arguments, message in (([empty], "cannot disassemble"), (["--packed", bad], "cannot unpack")):
            result = subprocess.run([sys.executable, instructions, *arguments], capture_output=True, text=True)
            output = result.stdout + result.stderr
            expect(result.returncode == 1 and message in output, f"{arguments}: exit code {result.returncode}", output)
        code, output = run(checker, allow, "--packed", bad)
        expect(code == 1 and "cannot unpack" in output, f"import check --packed: exit code {code}", output)

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("PASS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
