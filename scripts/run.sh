#!/usr/bin/env bash
# Builds the controller (in build/, as scripts/test.sh does) and starts it. It opens a window,
# so it needs a display. The window starts disconnected: press "Connect".
#   scripts/run.sh              --hardware when a USB serial adapter is attached
#                               (/dev/ttyUSB*, /dev/ttyACM*), --simulator otherwise
#   scripts/run.sh --simulator  against the bundled switcher simulator: matrix-sim listens on
#                               127.0.0.2:8000 and the controller starts in TCP control mode
#                               with the simulator selected; closing the window stops both
#   scripts/run.sh --hardware   against a real switcher (no simulator), in serial control mode
set -euo pipefail
cd "$(dirname "$0")/.."

mode=auto
for arg in "$@"; do
    case "$arg" in
        --hardware) mode=hardware ;;
        --simulator) mode=simulator ;;
        -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
        *) echo "run.sh: unknown option $arg" >&2; exit 2 ;;
    esac
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'EOF'
run.sh: no display. The controller opens a window: run this in a desktop session (DISPLAY or
WAYLAND_DISPLAY set), or over "ssh -X". Nothing was built.
EOF
    exit 1
fi

shopt -s nullglob
adapters=(/dev/ttyUSB* /dev/ttyACM*)
shopt -u nullglob
if [ "$mode" = auto ]; then
    if [ "${#adapters[@]}" -gt 0 ]; then
        mode=hardware
        echo "run.sh: found ${adapters[*]}: starting for the switcher on that serial port," \
            "without the simulator (scripts/run.sh --simulator to use it)."
    else
        mode=simulator
        echo "run.sh: no USB serial adapter (/dev/ttyUSB*, /dev/ttyACM*): starting the bundled" \
            "simulator (scripts/run.sh --hardware for a switcher on the network)."
    fi
fi

"$(dirname "$0")/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target hdmi-matrix-controller matrix-sim

# The controller reads Settings.ini beside its executable. Keep what an earlier run saved
# (port, tags, presets, EDID choices) and replace only the sections this run chooses.
#   write_settings <mode 0 serial, 1 TCP> [TCP device]
write_settings() {
    local settings=build/Settings.ini kept=""
    if [ -f "$settings" ]; then
        kept=$(awk -v device="${2:-}" '
            /^[ \t]*\[/ {
                name = tolower($0)
                gsub(/^[ \t]*\[|\][ \t\r]*$/, "", name)
                skip = (name == "control mode") || (device != "" && \
                    (name == "tcp control device" || name == "tcp control device list"))
            }
            !skip { print }
        ' "$settings")
    fi
    {
        printf '[Control mode]\r\nMode=%s\r\n' "$1"
        if [ -n "${2:-}" ]; then
            printf '[TCP control device]\r\nName=%s\r\n' "$2"
            printf '[TCP control device list]\r\nDevice No.1=%s\r\n' "$2"
        fi
        if [ -n "$kept" ]; then
            printf '%s\n' "$kept"
        fi
    } >"$settings.new"
    mv "$settings.new" "$settings"
}

if [ "$mode" = hardware ]; then
    for adapter in "${adapters[@]}"; do
        if [ ! -r "$adapter" ] || [ ! -w "$adapter" ]; then
            echo "run.sh: you may not open $adapter: join the dialout group" \
                "(sudo usermod -aG dialout \$USER), then log in again." >&2
        fi
    done
    write_settings 0
    echo "Pick the serial port on the \"General\" page and press \"Connect\"."
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

write_settings 1 "$device"
echo "Simulator on ${sim_address}:8000 (log: $sim_log). The window starts disconnected:" \
    "press \"Connect\". Close the window to stop both."
build/hdmi-matrix-controller
