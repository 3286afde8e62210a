# Sourced by the package checks: a listener on a loopback UDP port that takes the first search datagram
# of the kelvora-admin under test. Nothing is sent anywhere but 127.0.0.1.

# start_search_listener PORT LOG: starts the listener in the background (its PID in $listener) and
# returns once it is bound.
start_search_listener() {
  python3 - "$1" >"$2" <<'PY' &
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", int(sys.argv[1])))
s.settimeout(30)
print("ready", flush=True)
data, _ = s.recvfrom(2048)
print(repr(data), flush=True)
PY
  listener=$!
  for _ in $(seq 100); do grep -q ready "$2" && break; sleep 0.1; done
}

# expect_search LOG ADMIN_LOG WHERE: the listener got exactly the search "0 1 " from kelvora-admin.
expect_search() {
  wait "$listener" || { cat "$2"; fail "no search from kelvora-admin $3"; }
  [ "$(tail -n 1 "$1")" = "b'0 1 '" ] || fail "search datagram: $(cat "$1")"
}
