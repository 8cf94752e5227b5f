"""What an NSIS setup program packs: its uninstaller, its plug-ins and the
programs it installs, unpacked with 7-Zip (Debian package p7zip-full), which
reads the setup's data block and rebuilds the uninstaller from it.

Both checks of what ships (imports, instructions) look at these too: a
plug-in runs on the user's machine as much as the setup's own stub does.
"""
import os
import shutil
import subprocess
import tempfile

PROGRAM_SUFFIXES = (".exe", ".dll")


def unpack(setup, folder):
    """Unpacks SETUP into FOLDER; returns the packed programs' paths, sorted.

    Raises OSError when 7-Zip is missing or cannot read the setup: a check
    that silently looked at nothing would pass everything.
    """
    seven_zip = shutil.which("7z")
    if seven_zip is None:
        raise OSError(f"cannot unpack {setup}: 7z not found (Debian package p7zip-full)")
    result = subprocess.run([seven_zip, "x", "-y", "-bd", "-o" + folder, setup],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        raise OSError(f"cannot unpack {setup}: 7z says {result.stdout.strip().splitlines()[-1:]}")
    found = []
    for root, _, names in os.walk(folder):
        found += [os.path.join(root, name) for name in names if name.lower().endswith(PROGRAM_SUFFIXES)]
    if not found:
        raise OSError(f"cannot unpack {setup}: it packs no program (not an NSIS setup?)")
    return sorted(found)


def shown_name(path, folder, setup):
    """How a packed program is named in a report: SETUP!$PLUGINSDIR/System.dll."""
    return os.path.basename(setup) + "!" + os.path.relpath(path, folder).replace(os.sep, "/")


def check_all(paths, check, packed):
    """Runs CHECK(path, shown) on each of PATHS and, with PACKED, on every
    program each setup packs; True when every check passed. A setup that
    cannot be unpacked fails."""
    passed = True
    for path in paths:
        passed = check(path, os.path.basename(path)) and passed
        if not packed:
            continue
        with tempfile.TemporaryDirectory() as folder:
            try:
                programs = unpack(path, folder)
            except OSError as error:
                print(f"{os.path.basename(path)}: {error}")
                passed = False
                continue
            for program in programs:
                passed = check(program, shown_name(program, folder, path)) and passed
    return passed
