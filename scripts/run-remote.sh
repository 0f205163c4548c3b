#!/usr/bin/env bash
# The whole remote road on one machine: starts platform-sim (the cloud
# platform: HTTPS REST, a mosquitto broker, simulated remote DTUs), points the
# window at it through the environment, opens the window on a local
# pseudo-terminal and runs serial-term on the other end of it in this
# terminal: what is typed here goes out of the tool's local port to the remote
# device, and the device's answers come back here. Everything started is
# stopped (by process id) when this script ends.
# Usage: run-remote.sh BUILD_DIR [more options for the window]
set -euo pipefail
BUILD=${1:-build}
shift || true
BUILD=$(cd "$BUILD" && pwd)
APP="$BUILD/app/varnok-configure-tool"
PLATFORM="$BUILD/sim/platform-sim"
TERM_PROG="$BUILD/sim/serial-term"
for tool in "$APP" "$PLATFORM" "$TERM_PROG"; do
  [ -x "$tool" ] || { echo "run-remote: $tool is missing; build first" >&2; exit 1; }
done
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run-remote: no display (DISPLAY and WAYLAND_DISPLAY are unset); the window needs one." >&2
  echo "run-remote: without a window, see README 'varnokctl bridge' for the same road." >&2
  exit 1
fi

# The window keeps its configuration file and log in a folder of its own.
DEMO_DIR="$BUILD/remote-demo"
mkdir -p "$DEMO_DIR"
LOCAL_PORT="$DEMO_DIR/local-port"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT INT TERM

"$PLATFORM" > "$DEMO_DIR/platform-sim.out" 2>&1 &
pids+=($!)
source "$(dirname "$0")/wait-for-line.sh"
exports=$(wait_for_line "$DEMO_DIR/platform-sim.out" '^  export VARNOK_API_BASE=' "${pids[0]}" 300 \
  "$DEMO_DIR/platform-sim.out") || { echo "run-remote: platform-sim did not start" >&2; exit 1; }
eval "$exports"
sed -n '2,/remote DTUs/p' "$DEMO_DIR/platform-sim.out"

# The demo account and product, so that Login and Refresh work at once
# (only when the folder has no configuration file yet).
if [ ! -e "$DEMO_DIR/Zev_DtuConfig.txt" ]; then
  printf '[iotInfo]\r\nusername = engineer\r\npassword = varnok-demo\r\nproductKey = pk-demo\r\nproductSecret = ps-demo\r\n' \
    > "$DEMO_DIR/Zev_DtuConfig.txt"
fi

# The window starts once serial-term has made the local port.
rm -f "$LOCAL_PORT"
(
  for _ in $(seq 1 100); do
    [ -e "$LOCAL_PORT" ] && break
    sleep 0.05
  done
  cd "$DEMO_DIR"
  exec "$APP" --port "$LOCAL_PORT" "$@"
) &
pids+=($!)

cat <<EOT

In the window: "Open Port" on Config Port (the local port is $LOCAL_PORT),
then Virtual Serial: Login, Refresh Device List, tick a device, Connect.
Then type device commands here, for example  AT+ZEVCFG=get|imei
(Ctrl-D or Ctrl-C here ends the demo and closes the window.)

EOT
"$TERM_PROG" --link "$LOCAL_PORT"
