#!/usr/bin/env bash
# Installs what building needs on Debian 12; "test" adds what the tests need, "fuzz"
# what the libFuzzer build of fuzz/ needs. Run as root.
set -euo pipefail
# qt6-charts-dev needs libqt6opengl6-dev for its CMake package but does not pull it in
pkgs=(cmake ninja-build g++ qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-serialbus-dev
      qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libxlsxwriter-dev pkg-config
      fonts-dejavu-core qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql)
if [ "${1:-}" = test ]; then
  # Modbus peers and a pseudo-terminal pair for the link and simulator tests
  pkgs+=(python3-pymodbus python3-serial-asyncio mbpoll socat)
  # libmodbus: the reference master and the peers of the link benchmark (perf/bench_line), nothing else
  pkgs+=(libmodbus-dev)
  # the protocol documents read back: PDF text, the spreadsheet
  pkgs+=(poppler-utils python3-openpyxl)
  # the journal's tests start a throwaway PostgreSQL server of their own
  pkgs+=(postgresql)
  # the accessibility road: a private X display, session and accessibility buses, a pointer, a screenshot
  pkgs+=(xvfb xauth python3-pyatspi at-spi2-core dbus dbus-x11 xdotool imagemagick)
  # the package test: cpack's DEB generator, the desktop entry check; the Windows build and resource compiler
  pkgs+=(dpkg-dev file desktop-file-utils g++-mingw-w64-x86-64-posix)
fi
if [ "${1:-}" = fuzz ]; then
  pkgs+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
