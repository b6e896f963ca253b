#!/bin/sh
# Runs a command on a simulated network of TORVANE gateways, inside private network
# namespaces that vanish when the command ends: nothing can leave them.
#
#   scripts/testnet.sh tier1|tier2 --devices FILE [--other-devices FILE] [--log FILE]
#                      [--output FILE] [--sim PATH] [--firewall drop|allow] -- COMMAND [ARG]...
#
# tier1 (no root needed): loopback only; the PC's adapter is 127.0.0.1, device addresses of
#       other subnets are put on lo as /32.
# tier2 (root): PC adapters tvpc0a 10.77.0.1/24 and tvpc0b 10.78.0.1/24, each joined by a
#       veth pair to a namespace of its own where the devices live (link tvseg0, .254).
#       --devices go behind the first adapter, --other-devices behind the second.
# --firewall (tier2) loads scripts/desktop-firewall.nft into the PC's namespace: input policy
#       drop as a desktop firewall has it, so the gateways' answers are dropped; "allow" adds
#       the rule the manual pages give (udp dport 55808 accept), which lets them in.
# COMMAND runs in the PC's namespace with TORVANE_TESTNET_ADAPTER set to the adapter
# address; its exit status is the script's. --log is the simulator's traffic log (the second
# segment's goes to the same name with ".other" added), --output its report (default: this
# script's stderr). Details: docs/simulator.md.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

usage() {
    sed -n '4,7p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

# Everything below needs a namespace of its own; re-enter through netns-run.sh once.
if [ "${TORVANE_TESTNET_INSIDE:-}" != 1 ]; then
    TORVANE_TESTNET_INSIDE=1 exec "$here/netns-run.sh" "$0" "$@"
fi
unset TORVANE_TESTNET_INSIDE

[ "$#" -ge 1 ] || usage
tier=$1
shift
case "$tier" in tier1 | tier2) ;; *) usage ;; esac
devices=""
other_devices=""
log=""
output=""
sim="$here/../build/bin/torvane-sim"
firewall=""
while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
    [ "$#" -ge 2 ] || usage
    case "$1" in
    --devices) devices=$2 ;;
    --other-devices) other_devices=$2 ;;
    --log) log=$2 ;;
    --output) output=$2 ;;
    --sim) sim=$2 ;;
    --firewall) firewall=$2 ;;
    *) usage ;;
    esac
    shift 2
done
[ "$#" -ge 2 ] && [ -n "$devices" ] || usage
case "$firewall" in "" | drop | allow) ;; *) usage ;; esac
[ -z "$firewall" ] || [ "$tier" = tier2 ] ||
    { echo "testnet: --firewall needs tier2 (loopback passes any firewall)" >&2; exit 2; }
shift
[ -x "$sim" ] || { echo "testnet: no simulator at $sim (build it first)" >&2; exit 1; }

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    for pid in $pids; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A namespace kept alive by a sleeping holder that dies with this script; prints its pid.
new_namespace() {
    setpriv --pdeathsig KILL -- unshare --net -- sleep infinity &
    holder=$!
    pids="$pids $holder"
    tries=0
    own=$(readlink /proc/self/ns/net)
    until [ "$(readlink "/proc/$holder/ns/net" 2>/dev/null || echo "$own")" != "$own" ]; do
        tries=$((tries + 1))
        if [ "$tries" -ge 200 ] || ! kill -0 "$holder" 2>/dev/null; then
            echo "testnet: cannot create a network namespace (tier2 needs root)" >&2
            exit 1
        fi
        sleep 0.01
    done
}

in_ns() { # PID COMMAND...
    ns=$1
    shift
    nsenter -t "$ns" -n -- "$@"
}

quiet_ipv6() { # [PID] INTERFACE: the devices speak IPv4 only
    if [ "$#" -eq 2 ]; then
        in_ns "$1" sh -c "echo 1 >/proc/sys/net/ipv6/conf/$2/disable_ipv6" 2>/dev/null || true
    else
        sh -c "echo 1 >/proc/sys/net/ipv6/conf/$1/disable_ipv6" 2>/dev/null || true
    fi
}

wait_running() { # INTERFACE [PID]
    tries=0
    until { if [ "$#" -eq 2 ]; then in_ns "$2" ip link show dev "$1"; else ip link show dev "$1"; fi; } |
        grep -q LOWER_UP; do
        tries=$((tries + 1))
        [ "$tries" -lt 500 ] || { echo "testnet: link $1 does not come up" >&2; exit 1; }
        sleep 0.01
    done
}

# Joins a new segment namespace to the PC by PC_INTERFACE with SUBNET (a.b.c); sets segment.
make_segment() { # PC_INTERFACE SUBNET
    new_namespace
    segment=$holder
    in_ns "$segment" ip link set lo up
    ip link add "$1" type veth peer name tvseg0 netns "$segment"
    quiet_ipv6 "$1"
    quiet_ipv6 "$segment" tvseg0
    ip addr add "$2.1/24" dev "$1"
    ip link set "$1" up
    in_ns "$segment" ip addr add "$2.254/24" dev tvseg0
    in_ns "$segment" ip link set tvseg0 up
    wait_running "$1"
    wait_running tvseg0 "$segment"
}

# Starts the simulator in the namespace of PID (empty: here) and waits until it listens.
start_simulator() { # PID LINK DEVICES LOG
    fifo="$work/ready.$$.$(date +%s%N)"
    mkfifo "$fifo"
    enter=""
    [ -n "$1" ] && enter="nsenter -t $1 -n --"
    log_option=""
    [ -n "$4" ] && log_option="--log $4"
    if [ -n "$output" ]; then exec 4>>"$output"; else exec 4>&2; fi
    # shellcheck disable=SC2086
    setpriv --pdeathsig KILL -- $enter "$sim" --assign-addresses "$2" $log_option --ready-fd 3 \
        "$3" 3>"$fifo" 2>&4 &
    pids="$pids $!"
    exec 4>&-
    ready=""
    read -r ready <"$fifo" || true
    [ "$ready" = ready ] || { echo "testnet: the simulator did not start (see its report)" >&2; exit 1; }
}

if [ "$tier" = tier1 ]; then
    adapter=127.0.0.1
    start_simulator "" lo "$devices" "$log"
else
    make_segment tvpc0a 10.77.0
    devices_segment=$segment
    make_segment tvpc0b 10.78.0
    other_segment=$segment
    adapter=10.77.0.1
    start_simulator "$devices_segment" tvseg0 "$devices" "$log"
    if [ -n "$other_devices" ]; then
        other_log=""
        [ -n "$log" ] && other_log="$log.other"
        start_simulator "$other_segment" tvseg0 "$other_devices" "$other_log"
    fi
fi

if [ -n "$firewall" ]; then
    nft -f "$here/desktop-firewall.nft"
    [ "$firewall" = drop ] || nft insert rule inet torvane_desktop input udp dport 55808 accept
fi

status=0
TORVANE_TESTNET_ADAPTER=$adapter "$@" || status=$?
exit "$status"
