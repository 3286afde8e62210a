#!/usr/bin/env bash
# The administrator on the real wire. Three private network namespaces joined by veth pairs:
#
#   tool side  wire0 10.99.0.1/24, default route over it (so 255.255.255.255 leaves on it alone);
#              wire1 10.98.0.1/24 to the same controller side; wire2 10.97.0.1/24 to a second one
#   controller side  10.99.0.2 and 10.99.0.3 on wire0, 10.98.0.2 on wire1: kelvora-sim with two
#              controllers on the real ports (UDP 8001 on 0.0.0.0, TCP 1010, FTP 21), reached through both
#   second controller side  10.97.0.2 on wire2: kelvora-sim with one controller, which only the directed
#              broadcast of the tool's third interface reaches
#
# The test program runs on the tool side without any KELVORA_* variable and drives the window through
# search, login, load, save, activate, logbook read and backup; afterwards the simulator's log must show
# the exact datagrams and packets. Everything is created inside the two namespaces (the veth ends are
# made in them directly), nothing in the host's own, and everything goes on every path.
#
# Usage: run-wire-test.sh <kelvora-sim> <tst_wire>
#        run-wire-test.sh <kelvora-sim> <bench_idle> bench   (the benchmark's figures on the veth instead)
# Exit 77 (skipped) without root, iproute2 or namespace support, unless WIRE_TEST_REQUIRED=1 (CI): then 1.
set -uo pipefail

sim=${1:?kelvora-sim}
tool=${2:?tst_wire}
mode=${3:-test}
skipCode=77

skip() {
    echo "wire test skipped: $*"
    if [[ ${WIRE_TEST_REQUIRED:-0} == 1 ]]; then
        echo "wire test required here (WIRE_TEST_REQUIRED=1): failing"
        exit 1
    fi
    exit $skipCode
}

[[ $(id -u) == 0 ]] || skip "needs root to create network namespaces"
command -v ip >/dev/null 2>&1 || skip "needs iproute2 (ip)"
command -v timeout >/dev/null 2>&1 || skip "needs timeout (coreutils)"

# Namespaces of an earlier run that was killed before its clean-up (its shell is gone) go first.
for ns in $(ip netns list 2>/dev/null | grep -oE '^kvw[0-9]+-[a-z0-9]+'); do
    owner=${ns#kvw}
    owner=${owner%%-*}
    kill -0 "$owner" 2>/dev/null || ip netns del "$ns" 2>/dev/null
done

tag="kvw$$"
toolNs="$tag-tool"
ctlNs="$tag-ctl"
ctl2Ns="$tag-ctl2"
work=$(mktemp -d /tmp/kelvora-wire.XXXXXX)
simLog="$work/sim.log"
sim2Log="$work/sim2.log"
simPid=
sim2Pid=
created=()

cleanup() {
    local rc=$?
    trap - EXIT INT TERM HUP
    for pid in $simPid $sim2Pid; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    for ns in "${created[@]}"; do
        # Whatever still runs in our namespaces (and only there) goes with them.
        for pid in $(ip netns pids "$ns" 2>/dev/null); do
            kill -9 "$pid" 2>/dev/null
        done
        ip netns del "$ns" 2>/dev/null || echo "wire test: could not remove namespace $ns"
    done
    rm -rf "$work"
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

in_tool() { ip netns exec "$toolNs" "$@"; }
in_ctl() { ip netns exec "$ctlNs" "$@"; }
in_ctl2() { ip netns exec "$ctl2Ns" "$@"; }

if ! ip netns add "$toolNs" 2>"$work/err"; then
    skip "network namespaces not permitted here: $(cat "$work/err")"
fi
created+=("$toolNs")
ip netns add "$ctlNs" || exit 1
created+=("$ctlNs")
ip netns add "$ctl2Ns" || exit 1
created+=("$ctl2Ns")

# Both ends are made inside their namespaces: the host's own namespace never holds either.
if ! ip -n "$toolNs" link add wire0 type veth peer name wire0 netns "$ctlNs" 2>"$work/err"; then
    skip "cannot create a veth pair between namespaces: $(cat "$work/err")"
fi
set -e
ip -n "$toolNs" link add wire1 type veth peer name wire1 netns "$ctlNs"
ip -n "$toolNs" link add wire2 type veth peer name wire2 netns "$ctl2Ns"
ip -n "$toolNs" addr add 10.99.0.1/24 dev wire0
ip -n "$toolNs" addr add 10.98.0.1/24 dev wire1
ip -n "$toolNs" addr add 10.97.0.1/24 dev wire2
ip -n "$ctlNs" addr add 10.99.0.2/24 dev wire0
ip -n "$ctlNs" addr add 10.99.0.3/24 dev wire0
ip -n "$ctlNs" addr add 10.98.0.2/24 dev wire1
ip -n "$ctl2Ns" addr add 10.97.0.2/24 dev wire2
for ns in "$toolNs" "$ctlNs" "$ctl2Ns"; do
    ip -n "$ns" link set lo up
done
for link in wire0 wire1 wire2; do
    ip -n "$toolNs" link set "$link" up
done
ip -n "$ctlNs" link set wire0 up
ip -n "$ctlNs" link set wire1 up
ip -n "$ctl2Ns" link set wire2 up
ip -n "$toolNs" route add default via 10.99.0.2 dev wire0
set +e

mkdir -p "$work/data" "$work/data2"
in_ctl timeout -k 5 240 "$sim" --controllers 2 --first-address 10.99.0.2 --discovery 0.0.0.0:8001 \
    --data-dir "$work/data" --log-packets --lifetime 200 >"$simLog" 2>&1 &
simPid=$!
in_ctl2 timeout -k 5 240 "$sim" --controllers 1 --first-address 10.97.0.2 --serial 12AC0 --name Werkstatt \
    --discovery 0.0.0.0:8001 --data-dir "$work/data2" --lifetime 200 >"$sim2Log" 2>&1 &
sim2Pid=$!
for log in "$simLog" "$sim2Log"; do
    for _ in $(seq 1 100); do
        grep -q "search service on" "$log" 2>/dev/null && break
        sleep 0.1
    done
    if ! grep -q "search service on 0.0.0.0:8001" "$log"; then
        echo "wire test: a simulator did not come up"
        cat "$log"
        exit 1
    fi
done

# The program under test with the product's own targets: every KELVORA_* variable removed.
unsetArgs=()
while IFS= read -r name; do
    [[ $name == KELVORA_* ]] && unsetArgs+=(-u "$name")
done < <(compgen -e)
toolArgs=(--netns "$toolNs" --sim-data "$work/data")
[[ $mode == bench ]] && toolArgs=(--wire "${toolArgs[@]}")
in_tool timeout -k 5 180 env "${unsetArgs[@]}" QT_QPA_PLATFORM=offscreen "$tool" "${toolArgs[@]}"
toolRc=$?
[[ $mode == bench ]] && exit "$toolRc"

# The command line's search, with the product's targets too: every controller once, whichever
# interfaces reached it.
cliRc=0
if [[ -n ${WIRE_CLI:-} ]]; then
    in_tool timeout -k 5 30 env "${unsetArgs[@]}" "$WIRE_CLI" find >"$work/find.out" 2>"$work/find.err"
    cliRc=$?
fi

for pid in $simPid $sim2Pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done
simPid=
sim2Pid=

echo "---- simulator log (search, packets, FTP) ----"
grep -E '^discovery: |packet |login |activate |ftp (USER|PORT|RETR|STOR|QUIT|TYPE|sent|stored)' "$simLog" |
    cut -c1-200
echo "---- second simulator's log (search) ----"
grep -E '^discovery: ' "$sim2Log" | cut -c1-200
echo "----"

failures=0
expect() { # <extended regex> <what it shows>
    if ! grep -qE -- "$1" "$simLog"; then
        echo "wire test: missing in the simulator's log: $2"
        failures=$((failures + 1))
    fi
}
absent() {
    if grep -qE -- "$1" "$simLog"; then
        echo "wire test: unexpected in the simulator's log: $2"
        failures=$((failures + 1))
    fi
}

zeros() { printf '0%.0s' $(seq 1 $(($1 * 2))); }
admin=61646d696e
loginPacket="0000${admin}$(zeros 15)${admin} \+997 zero"

expect '^discovery: received 4 bytes from 10\.99\.0\.1:[0-9]+ to 255\.255\.255\.255:8001: "0 1 "$' \
    'the search "0 1 " as a broadcast to 255.255.255.255:8001'
expect '^discovery: sent ([0-9]+) of \1 bytes to 10\.99\.0\.1:[0-9]+: "12AB3 0 10\.99\.0\.2 255\.255\.255\.0 10\.99\.0\.1 Haupteingang"$' \
    'the first controller'"'"'s search reply'
expect '^discovery: sent ([0-9]+) of \1 bytes to 10\.99\.0\.1:[0-9]+: "12AB4 0 10\.99\.0\.3 255\.255\.255\.0 10\.99\.0\.1 Lager Tor 2"$' \
    'the second controller'"'"'s search reply'
for address in 10.99.0.2 10.99.0.3; do
    expect "^${address//./\\.}: packet 1024: ${loginPacket}\$" "login request of 1024 bytes to $address"
    expect "^${address//./\\.}: login ok admin\$" "login accepted by $address"
    expect "^${address//./\\.}: packet 1024: 01 \+1023 zero\$" "device information request to $address"
done
c1='^10\.99\.0\.2: '
expect "${c1}packet 1024: 040001 \+1021 zero\$" 'file-access request (code 4, value 1)'
expect "${c1}packet 1024: 6a \+1023 zero\$" 'logbook information request (code 106)'
expect "${c1}packet 1024: 6c \+1023 zero\$" 'activation phase 0 (code 108, value 0)'
expect "${c1}packet 1024: 6c0001 \+1021 zero$" \
    'activation phase 1 (code 108, value 1)'
expect "${c1}ftp USER kelvora\$" 'FTP login with the fixed account'
expect "${c1}ftp PORT 10,99,0,1,[0-9]+,[0-9]+\$" 'an active data connection to the tool side'
for step in 'RETR module.dat' 'RETR trans.dat' 'STOR module.dat' 'STOR trans.dat' 'RETR kelvora.log' 'QUIT'; do
    expect "${c1}ftp ${step}\$" "FTP $step"
done
expect "${c1}ftp stored trans\.dat 89000\$" 'the transponder table uploaded whole'
absent "ftp TYPE" 'a TYPE command (the tool sends none)'
absent "ftp PASV" 'a passive data connection'

# Every interface: the directed broadcast of each, besides 255.255.255.255 on the default route's.
expect '^discovery: received 4 bytes from 10\.99\.0\.1:[0-9]+ to 10\.99\.0\.255:8001: "0 1 "$' \
    'the search to the directed broadcast of the first interface'
expect '^discovery: received 4 bytes from 10\.98\.0\.1:[0-9]+ to 10\.98\.0\.255:8001: "0 1 "$' \
    'the search to the directed broadcast of the second interface'
if ! grep -qE '^discovery: received 4 bytes from 10\.97\.0\.1:[0-9]+ to 10\.97\.0\.255:8001: "0 1 "$' "$sim2Log"; then
    echo "wire test: missing in the second simulator's log: the search to the third interface's broadcast"
    failures=$((failures + 1))
fi
if grep -qE 'to 255\.255\.255\.255' "$sim2Log"; then
    echo "wire test: 255.255.255.255 left through an interface that is not the default route's"
    failures=$((failures + 1))
fi
if [[ -n ${WIRE_CLI:-} ]]; then
    printf '%s\n' "12AB3 0 10.99.0.2 255.255.255.0 10.99.0.1 Haupteingang" \
        "12AB4 0 10.99.0.3 255.255.255.0 10.99.0.1 Lager Tor 2" \
        "12AC0 0 10.97.0.2 255.255.255.0 10.97.0.1 Werkstatt" >"$work/find.expected"
    if [[ $cliRc != 0 ]] || ! sort "$work/find.out" | cmp -s - "$work/find.expected"; then
        echo "wire test: kelvora-cli find (exit $cliRc) did not list each controller once:"
        cat "$work/find.out" "$work/find.err"
        failures=$((failures + 1))
    fi
fi

if [[ $toolRc != 0 ]]; then
    echo "wire test: the program under test failed (exit $toolRc)"
    failures=$((failures + 1))
fi
if [[ $failures != 0 ]]; then
    echo "---- full simulator log ----"
    cut -c1-300 "$simLog"
    exit 1
fi
echo "wire test passed: search by broadcast through every interface, login, load, save, activate, logbook, backup on the real ports"
exit 0
