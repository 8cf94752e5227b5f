#!/usr/bin/env bash
# Runs velkor-sim.exe, the utility on a simulated PC, under Wine in Windows 98
# mode. The machine is VELKOR_SIM (default: a TNT2 at its default clocks);
# arguments go to the program (for example -q to start in the tray).
#
# With an X display the window appears there and the script returns when the
# program ends ("E&xit" in the tray menu). Without one it starts a virtual
# display, waits for the window, saves a screenshot as velkor-sim.png in the
# build folder and ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELKOR_BUILD:-$root/build/cross}
if [ ! -e "$build/velkor-sim.exe" ]; then
    echo "run-sim: $build/velkor-sim.exe is missing; ./run.sh builds it" >&2
    exit 1
fi
export VELKOR_SIM=${VELKOR_SIM-board=TNT2}
cd "$build"

interactive=0
[ -n "${DISPLAY:-}" ] && interactive=1
export VELKOR_RUN_INTERACTIVE=$interactive

echo "velkor-sim: VELKOR_SIM='$VELKOR_SIM'"
"$root/tests/wine/with-wine.sh" bash -c '
    set -uo pipefail
    # Windows that Wine frames and places itself: with no window manager they
    # still get captions, and hiding them does not wait for one.
    timeout 120 wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
    if [ "$VELKOR_RUN_INTERACTIVE" = 1 ]; then
        wine ./velkor-sim.exe "$@" >velkor-sim.log 2>&1
        echo "velkor-sim: ended with exit code $?"
        exit 0
    fi
    wine ./velkor-sim.exe "$@" >velkor-sim.log 2>&1 &
    program=$!
    window=""
    for _ in $(seq 300); do
        window=$(xdotool search --name "^ZuvoVuzozuzo for" 2>/dev/null | head -1 || true)
        [ -n "$window" ] && break
        kill -0 "$program" 2>/dev/null || break
        sleep 0.2
    done
    if [ -z "$window" ]; then
        wait "$program"
        echo "velkor-sim: ended with exit code $? before its window appeared"
        exit 1
    fi
    # The window shows once the program has nothing left to do; give it a moment to paint.
    sleep 2
    import -window root velkor-sim.png
    echo "velkor-sim: running; no display here, so the screen is saved as $PWD/velkor-sim.png"
' run-sim "$@"
