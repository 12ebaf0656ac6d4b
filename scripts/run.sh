#!/usr/bin/env bash
# Builds the controller (in build/, as scripts/test.sh does) and starts it.
#   scripts/run.sh              against the switcher simulator: matrix-sim listens on
#                               127.0.0.2:8000 and the controller starts in TCP control mode
#                               with the simulator selected
#   scripts/run.sh --hardware   against a real switcher on a serial port (no simulator)
set -euo pipefail
cd "$(dirname "$0")/.."

hardware=0
for arg in "$@"; do
    case "$arg" in
        --hardware) hardware=1 ;;
        -h|--help) sed -n '2,6p' "$0"; exit 0 ;;
        *) echo "run.sh: unknown option $arg" >&2; exit 2 ;;
    esac
done

"$(dirname "$0")/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target hdmi-matrix-controller matrix-sim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display found (set DISPLAY or WAYLAND_DISPLAY)" >&2
    exit 1
fi

if [ "$hardware" -eq 1 ]; then
    exec build/hdmi-matrix-controller
fi

sim_address=127.0.0.2
device="[Simulator]-[Static IP]-[${sim_address}]-[00-1A-2B-3C-4D-5E]-[Same Subnet]"
sim_log=build/matrix-sim.log

build/matrix-sim --tcp "$sim_address" >"$sim_log" 2>&1 &
sim_pid=$!
stop_sim() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
}
trap stop_sim EXIT INT TERM

for _ in $(seq 50); do
    grep -q "listening on" "$sim_log" 2>/dev/null && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "run.sh: the simulator did not start:" >&2
        cat "$sim_log" >&2
        exit 1
    fi
    sleep 0.1
done

# The controller reads Settings.ini beside its executable. Keep what an earlier run saved
# (tags, presets, EDID choices) and replace only the control mode and the device choice.
settings=build/Settings.ini
kept=""
if [ -f "$settings" ]; then
    kept=$(awk '
        /^[ \t]*\[/ {
            name = tolower($0)
            gsub(/^[ \t]*\[|\][ \t\r]*$/, "", name)
            skip = (name == "control mode" || name == "tcp control device" \
                    || name == "tcp control device list")
        }
        !skip { print }
    ' "$settings")
fi
{
    printf '[Control mode]\r\nMode=1\r\n'
    printf '[TCP control device]\r\nName=%s\r\n' "$device"
    printf '[TCP control device list]\r\nDevice No.1=%s\r\n' "$device"
    if [ -n "$kept" ]; then
        printf '%s\n' "$kept"
    fi
} >"$settings.new"
mv "$settings.new" "$settings"

echo "Simulator on ${sim_address}:8000 (log: $sim_log); starting the controller."
build/hdmi-matrix-controller
