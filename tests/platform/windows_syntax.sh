#!/usr/bin/env bash
# Compiles every .cpp of src/ and sim/ for Windows (x86_64, MinGW-w64, syntax only)
# with the defines a Qt build for Windows uses. Set by CTest: QTM_SOURCE_DIR,
# QTM_BINARY_DIR (for the moc and uic output), QTM_QT_INCLUDES (folders, ":"-separated).
set -euo pipefail
cxx=${QTM_MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
if ! command -v "$cxx" >/dev/null; then
  echo "$cxx not found: install g++-mingw-w64-x86-64-posix (bash scripts/deps.sh test)"
  exit 1
fi
src=${QTM_SOURCE_DIR:?} bin=${QTM_BINARY_DIR:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Werror
       -DUNICODE -D_UNICODE -DWIN32 -DWIN64 -D_WIN64 -DMINGW_HAS_SECURE_API=1
       -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB -DQT_SERIALBUS_LIB
       -DQT_SERIALPORT_LIB -DQT_PRINTSUPPORT_LIB -DQT_SQL_LIB -DQT_CHARTS_LIB -DQT_NO_DEBUG
       '-DQTM_VERSION=\"0\"' -I"$src/src" -I"$src")
IFS=: read -ra qt <<<"${QTM_QT_INCLUDES:?}"
for d in "${qt[@]}"; do flags+=(-isystem "$d"); done
# libxlsxwriter's headers alone: the rest of /usr/include is Linux's own.
mkdir "$work/xlsx"
ln -s /usr/include/xlsxwriter.h /usr/include/xlsxwriter "$work/xlsx/"
flags+=(-isystem "$work/xlsx")
# The forms (uic) and the moc output of every library of src/ and sim/.
while IFS= read -r d; do flags+=(-I"$d"); done \
  < <(find "$bin/src" "$bin/sim" -type d -path '*_autogen/include' 2>/dev/null | sort)
printf '"%s"\n' "${flags[@]}" >"$work/flags"

mapfile -t sources < <(cd "$src" && find src sim -name '*.cpp' | sort)
if [ ${#sources[@]} -eq 0 ]; then
  echo "no sources under $src/src and $src/sim"
  exit 1
fi

export cxx src work
check() {
  local log="$work/$(echo "$1" | tr / _).log"
  if "$cxx" @"$work/flags" "$src/$1" >"$log" 2>&1; then rm -f "$log"; fi
}
export -f check
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} bash -c 'check "$1"' _ {}

failed=0
for s in "${sources[@]}"; do
  log="$work/$(echo "$s" | tr / _).log"
  if [ -f "$log" ]; then
    failed=$((failed + 1))
    echo "== $s does not compile for Windows:"
    head -n 40 "$log"
  fi
done
echo "$(( ${#sources[@]} - failed )) of ${#sources[@]} sources of src/ and sim/ compile for Windows"
[ "$failed" -eq 0 ]
