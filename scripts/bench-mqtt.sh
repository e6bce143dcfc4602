#!/usr/bin/env bash
# Measures the MQTT sink of qx7ctl watch against Debian's mosquitto on a free loopback port:
# messages per second from one transmitter and from sixteen at once, and what a poll pays to
# hand its message over. Prints figures; asserts nothing.
#   bench-mqtt.sh [NATIVE_BUILD_DIR] [POLLS-EACH]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
polls=${2:-20000}
cmake --build "$build" -j2 --target qx7-mqtt-bench >/dev/null

tmp=$(mktemp -d)
broker=
cleanup() {
    if [ -n "$broker" ]; then
        kill "$broker" 2>/dev/null || true
        wait "$broker" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
{
    echo "listener $port 127.0.0.1"
    echo "allow_anonymous true"
    echo "persistence false"
    # The subscriber that counts must not lose what it cannot read at once.
    echo "max_queued_messages 0"
    [ "$(id -u)" -eq 0 ] && echo "user root"
} >"$tmp/mosquitto.conf"
mosquitto -c "$tmp/mosquitto.conf" 2>"$tmp/mosquitto.log" &
broker=$!
for _ in $(seq 200); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        break
    fi
    sleep 0.05
done

echo "== one transmitter"
"$build/tools/qx7-mqtt-bench" "$port" 1 "$polls"
echo "== sixteen transmitters"
"$build/tools/qx7-mqtt-bench" "$port" 16 "$((polls / 16))"
