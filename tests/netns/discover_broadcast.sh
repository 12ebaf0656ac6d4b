#!/bin/sh
# Broadcast discovery as it runs on a real network, in two network namespaces of its own
# joined by a veth pair: matrixctl broadcasts on its side, the simulated network module
# answers from the other. Nothing leaves this machine. Skipped (exit 77) where the machine
# cannot make namespaces.
#   discover_broadcast.sh MATRIXCTL MATRIX-SIM
set -u
matrixctl=$1
sim=$2
tag=$$
control=mtxctl$tag
module=mtxmod$tag
near=vc$tag
far=vm$tag

if ! ip netns add "$control" 2>/dev/null; then
    echo "SKIP: cannot make a network namespace here (needs root and iproute2)"
    exit 77
fi
simulator=
cleanup() {
    [ -n "$simulator" ] && kill "$simulator" 2>/dev/null
    ip netns del "$control" 2>/dev/null
    ip netns del "$module" 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

ip netns add "$module" || fail "second namespace"
ip link add "$near" type veth peer name "$far" || fail "veth pair"
ip link set "$near" netns "$control" && ip link set "$far" netns "$module" || fail "move veth"
ip -n "$control" addr add 10.77.0.1/24 dev "$near"
ip -n "$module" addr add 10.77.0.2/24 dev "$far"
for ns in "$control" "$module"; do ip -n "$ns" link set lo up; done
ip -n "$control" link set "$near" up
ip -n "$module" link set "$far" up

ip netns exec "$module" "$sim" --network 10.77.0.2 --allow-non-loopback --hear-broadcasts \
    2>/dev/null &
simulator=$!
sleep 0.3

out=$(ip netns exec "$control" "$matrixctl" module discover --broadcast "$near" --json)
code=$?
echo "$out"
[ "$code" -eq 0 ] || fail "matrixctl exited with $code"
echo "$out" | grep -q '"mac": *"00-1A-2B-3C-4D-5E"' || fail "the module was not found"
echo "$out" | grep -q '"ip": *"10.77.0.2"' || fail "the module's address is not 10.77.0.2"
echo "PASS: the module answered the broadcast on $near"
