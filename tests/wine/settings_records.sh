#!/usr/bin/env bash
# Run inside with-wine.sh, from the build folder:
#   settings_records.sh PATH/velkor_settings_tests.exe
# Has the test program leave a first save and a kept-clock store (newer
# display driver) in the registry, then checks them from outside the program:
# with reg.exe in the 32-bit view the utility sees, and in the registry file
# the wineserver saves, where a REG_DWORD is written as dword:XXXXXXXX only
# when it has exactly 4 bytes and a REG_SZ as a quoted string only when it
# ends with its NUL. Removes the records again at the end, so later programs
# in this prefix start from a machine that never ran the utility.
set -euo pipefail
exe=$1
failures=0

settings='HKLM\Software\Ostrane\Velkor'
tweak='HKLM\Software\NVIDIA Corporation\RIVA TNT\NVTweak\Hardware'
run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

cleanup() {
    timeout 120 wine reg delete 'HKLM\Software\Ostrane' /f /reg:32 >/dev/null 2>&1 || true
    timeout 120 wine reg delete 'HKLM\Software\NVIDIA Corporation' /f /reg:32 >/dev/null 2>&1 || true
    timeout 120 wine reg delete "$run" /v NvInitialize /f /reg:32 >/dev/null 2>&1 || true
}
trap cleanup EXIT

if ! timeout 600 wine "$exe" --gtest_also_run_disabled_tests --gtest_filter='DISABLED_LeaveRecords.*' \
        >settings_records_leave.log 2>&1; then
    cat settings_records_leave.log
    echo "settings_records: the test program could not leave its records" >&2
    exit 1
fi

# Output goes to files: a wineserver started here would hold a pipe open.
expect_query() {  # KEY, then the value lines reg.exe must print for it
    local key=$1
    shift
    timeout 120 wine reg query "$key" /reg:32 >settings_records_query.txt 2>&1 || true
    tr -d '\r' <settings_records_query.txt | sed 's/^ *//; s/ \{2,\}/|/g' >settings_records_query.lines
    for line in "$@"; do
        if ! grep -qxF "$line" settings_records_query.lines; then
            echo "reg query $key: no line \"$line\"; it printed:" >&2
            cat settings_records_query.lines >&2
            failures=$((failures + 1))
        fi
    done
}

expect_query "$settings" \
    'Device|REG_DWORD|0x2' 'Reboot|REG_DWORD|0x0' \
    'GFX Min|REG_DWORD|0x73' 'GFX Max|REG_DWORD|0x8c' 'MEM Min|REG_DWORD|0x8c' 'MEM Max|REG_DWORD|0xa6' \
    'Gracie|REG_DWORD|0x8c' 'George|REG_DWORD|0xa6' 'Path|REG_SZ|C:\Program Files\Velkor'
# Seed 0x12345678, 140 and 166 MHz, device 0x0028.
expect_query "$tweak" 'Homer|REG_DWORD|0x12345678' 'Krusty|REG_DWORD|0x4a75d6c2'
expect_query "$run" 'NvInitialize|REG_SZ|C:\PROGRA~1\VELKOR\ARBOLT.EXE'

# The wineserver writes the registry file when it ends.
timeout 120 wineserver -w || true
python3 - "$WINEPREFIX/system.reg" <<'PY' || failures=$((failures + 1))
import re, sys

sections = {}
current = None
with open(sys.argv[1], encoding="utf-8", errors="replace") as f:
    for line in f:
        line = line.rstrip("\n")
        m = re.match(r"^\[(.*)\] \d+$", line)
        if m:
            # 32-bit programs see HKLM\Software under Wow6432Node in a 64-bit prefix.
            current = m.group(1).lower().replace("software\\\\wow6432node\\\\", "software\\\\")
            sections.setdefault(current, [])
        elif current is not None and line.startswith('"'):
            sections[current].append(line)

expected = {
    r"software\\ostrane\\velkor": [
        '"Device"=dword:00000002', '"Reboot"=dword:00000000',
        '"GFX Min"=dword:00000073', '"GFX Max"=dword:0000008c',
        '"MEM Min"=dword:0000008c', '"MEM Max"=dword:000000a6',
        '"Gracie"=dword:0000008c', '"George"=dword:000000a6',
    ],
    r"software\\nvidia corporation\\riva tnt\\nvtweak\\hardware": [
        '"Homer"=dword:12345678', '"Krusty"=dword:4a75d6c2',
    ],
    r"software\\microsoft\\windows\\currentversion\\run": [
        r'"NvInitialize"="C:\\PROGRA~1\\VELKOR\\ARBOLT.EXE"',
    ],
}
bad = 0
for section, lines in expected.items():
    have = sections.get(section)
    if have is None:
        print(f"system.reg: no section {section}", file=sys.stderr)
        bad += 1
        continue
    for line in lines:
        if line not in have:
            print(f"system.reg [{section}]: no line {line}; it holds {have}", file=sys.stderr)
            bad += 1
# The first save wrote exactly its six numbers beside "Path", "Gracie" and "George".
names = sorted(l.split('"=')[0].strip('"') for l in sections.get(r"software\\ostrane\\velkor", []))
if names != sorted(["Device", "Reboot", "GFX Min", "GFX Max", "MEM Min", "MEM Max", "Gracie", "George", "Path"]):
    print(f"system.reg: settings key holds {names}", file=sys.stderr)
    bad += 1
sys.exit(1 if bad else 0)
PY

if [ "$failures" -ne 0 ]; then
    echo "settings_records: $failures check(s) failed" >&2
    exit 1
fi
echo "settings_records: reg.exe and the saved registry show what the utility wrote"
