#!/usr/bin/env bash
# The figures of docs/network-ports.md (a drive behind a serial device server): a full
# read (veld-para read) of veld-drive-sim on a local pseudo-terminal, and of the
# same through a real ser2net on 127.0.0.1 over raw TCP and over RFC 2217,
# timed with hyperfine.
# usage: net-figures.sh [FIRST_PORT]  (ser2net takes it and the next; default 24001)
set -euo pipefail
cd "$(dirname "$0")/.."
first=${1:-24001}
raw=$first rfc2217=$((first + 1))
scripts/install-deps.sh hyperfine ser2net
cmake --preset default >/dev/null
cmake --build --preset default --target veld-para veld-drive-sim >/dev/null

work=$(mktemp -d)
build/default/tools/veld-drive-sim >"$work/sim.out" &
sim=$!
trap 'kill "$sim" "${server:-}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/sim.out" ] && break; sleep 0.05; done
pty=$(head -n 1 "$work/sim.out")

cat >"$work/ser2net.yaml" <<YAML
%YAML 1.1
---
connection: &raw
  accepter: tcp,127.0.0.1,$raw
  connector: serialdev,$pty,115200n81,local
connection: &rfc2217
  accepter: telnet(rfc2217),tcp,127.0.0.1,$rfc2217
  connector: serialdev,$pty,115200n81,local
YAML
/usr/sbin/ser2net -n -u -c "$work/ser2net.yaml" -P "$work/ser2net.pid" 2>/dev/null &
server=$!
listening() { grep -q "0100007F:$(printf '%04X' "$1") 00000000:0000 0A" /proc/net/tcp; }
for _ in $(seq 100); do listening "$raw" && listening "$rfc2217" && break; sleep 0.05; done

para=build/default/tools/veld-para
# ser2net lets go of the line a moment after a client leaves; the pause keeps
# the next run from being turned away and is not timed.
hyperfine --warmup 3 --runs "${RUNS:-30}" --prepare 'sleep 0.1' -N \
    -n "pseudo-terminal" "$para -q -p $pty read" \
    -n "ser2net, raw TCP" "$para -q -p tcp://127.0.0.1:$raw read" \
    -n "ser2net, RFC 2217" "$para -q -p rfc2217://127.0.0.1:$rfc2217 read"
