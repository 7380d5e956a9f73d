#!/usr/bin/env bash
# Builds the Debian package from the build folder ($1) and checks what it installs.
# It unpacks into a temporary root instead of `dpkg -i`: a test must not change the
# machine it runs on (CI runs as root, in parallel, and a bench PC may have a real
# installation).
set -euo pipefail
build=$1
work=$(mktemp -d)
monitor_pid=
cleanup() {
  [ -n "$monitor_pid" ] && kill -KILL "$monitor_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/qtm-monitor_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single package in $(ls "$work/out")"
deb=${debs[0]}
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

# What the package holds: the two programs, the menu entry, the icon in every size; nothing else.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort >"$work/files"
expected=(/usr/bin/qtm-bench-sim /usr/bin/qtm-monitor /usr/share/applications/qtm-monitor.desktop)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/qtm-monitor.png")
done
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "file list"

[ "$(dpkg-deb -f "$deb" Package)" = qtm-monitor ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = 4.0.0.12 ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6charts6 libqt6serialbus6 libqt6serialport6 libqt6network6 libc6 qt6-qpa-plugins \
    libqt6sql6-sqlite libqt6sql6-psql; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/qtm-monitor.desktop"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop entry"
else
  echo "desktop-file-validate not installed (scripts/deps.sh test installs it)"
  exit 1
fi
grep -qx 'Name=Монитор ЦТМ-01' "$desktop" || fail "menu name"
grep -qx 'Exec=qtm-monitor' "$desktop" || fail "Exec"
grep -qx 'Icon=qtm-monitor' "$desktop" || fail "Icon"
for size in 16 22 24 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/qtm-monitor.png" | grep -q "PNG image data, $size x $size" \
    || fail "icon $size"
done

# Every library the installed programs need is found on this system.
for exe in qtm-monitor qtm-bench-sim; do
  ! ldd "$root/usr/bin/$exe" | grep -q 'not found' || fail "$exe: missing libraries"
done
# The stripped program still carries its version information.
version=$("$root/usr/bin/qtm-monitor" --version)
[ "$version" = "qtm-monitor 4.0.0.12" ] || fail "--version said: $version"

# Installed, the monitor keeps its settings in the user's folder, never beside itself.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen
unset QTM_CONFIG_DIR
mkdir -p "$HOME"
"$root/usr/bin/qtm-monitor" >"$work/monitor.log" 2>&1 &
monitor_pid=$!
# SIGTERM closes it normally once its handler is in place (bit 15 of SigCgt).
for _ in $(seq 1 300); do
  caught=$(awk '/^SigCgt:/ {print $2}' "/proc/$monitor_pid/status" 2>/dev/null || echo 0)
  (( (0x$caught >> 14) & 1 )) && break
  sleep 0.1
done
kill -TERM "$monitor_pid"
for _ in $(seq 1 200); do kill -0 "$monitor_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$monitor_pid" 2>/dev/null && fail "the installed monitor did not close on SIGTERM"
rc=0
wait "$monitor_pid" || rc=$?
[ "$rc" -eq 0 ] || { cat "$work/monitor.log"; fail "the installed monitor exited with $rc"; }
monitor_pid=
ini=$(find "$XDG_CONFIG_HOME" -name QTM.ini)
[ -n "$ini" ] || { cat "$work/monitor.log"; fail "no QTM.ini in the user's configuration folder"; }
[ ! -e "$root/usr/bin/QTM.ini" ] || fail "settings written into the installation"
echo "settings: ${ini#$work/}"
echo "package checks passed"
