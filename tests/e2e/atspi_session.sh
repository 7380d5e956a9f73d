#!/usr/bin/env bash
# Runs a command inside a private desktop session: an Xvfb display, a D-Bus
# session bus and the accessibility bus (activated by AT-SPI clients through the
# session bus). Everything started here is stopped on exit, whatever happens.
# Usage: atspi_session.sh SECONDS COMMAND...
set -euo pipefail
deadline=$1
shift

work=$(mktemp -d "${TMPDIR:-/tmp}/qtm-atspi.XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 124' INT TERM

# A free display number: Xvfb picks it and writes it to the descriptor.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

# A home of its own: the demo settings and the D-Bus runtime files stay here.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
unset QTM_CONFIG_DIR

# dbus-run-session ends the session bus, and with it the accessibility bus
# launcher and its registry, when the command ends. The accessibility bus is
# started first: Qt's bridge only waits for it and does not start it itself.
timeout -k 5 "$deadline" dbus-run-session -- sh -c \
  'dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress && exec "$@"' sh "$@"
