#!/usr/bin/env bash
# Installs what building needs on Debian 12; "test" adds what the tests need, "fuzz"
# what the libFuzzer build of fuzz/ needs. Run as root.
set -euo pipefail
pkgs=(cmake ninja-build g++ qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-serialbus-dev
      qt6-serialport-dev libsimpleini-dev libgl-dev libxlsxwriter-dev pkg-config fonts-dejavu-core)
if [ "${1:-}" = test ]; then
  pkgs+=(python3-pymodbus python3-serial-asyncio mbpoll socat xvfb xauth poppler-utils python3-openpyxl)
  # the package test: cpack's DEB generator, the desktop entry check, the resource compiler
  pkgs+=(dpkg-dev file desktop-file-utils g++-mingw-w64-x86-64-posix)
  pkgs+=(python3-pymodbus python3-serial-asyncio mbpoll socat xvfb xauth
        python3-pyatspi at-spi2-core dbus dbus-x11 xdotool imagemagick)
  pkgs+=(python3-pymodbus python3-serial-asyncio mbpoll socat xvfb xauth g++-mingw-w64-x86-64-posix)
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
