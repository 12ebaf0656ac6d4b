#!/usr/bin/env bash
# Runs a command on an X screen of its own. Xvfb chooses a free display number itself and
# writes it once it accepts clients, so neither the number nor the moment is guessed. The
# server never resets: by default it does whenever its last client leaves, and a client that
# connects just then (the program, right after the accessibility bus launcher has set its
# property and gone) finds no server.
#   with-xvfb.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGUMENT ...]
set -euo pipefail
screen=$1
shift
folder=$(mktemp -d)
mkfifo "$folder/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$folder/display" 2>"$folder/log" &
server=$!
finish() {
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    rm -rf "$folder"
}
trap finish EXIT
trap 'exit 143' TERM INT
if ! read -r -t 30 number <"$folder/display"; then
    echo "Xvfb did not start:" >&2
    cat "$folder/log" >&2
    exit 1
fi
status=0
DISPLAY=":$number" "$@" || status=$?
exit "$status"
