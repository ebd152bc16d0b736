#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# accesibilidad_e2e.sh PROGRAMA
# The real program on the desktop's accessibility bus, read as a screen
# reader reads it. Starts, each in its own scratch folder and each recorded
# by its pid: a virtual X server, a private D-Bus session bus, the
# accessibility bus launcher (which starts the accessibility bus and its
# registry), and PROGRAMA with Qt's accessibility bridge on. Then
# accesibilidad_e2e.py, beside this script, finds the day box by its name,
# reads the message box, runs "Ejemplo" and "Calcular", reads the sunrise and
# moon boxes, and chooses "Salir"; the program must then end by itself with
# status 0. Every wait is bounded; on any exit every process started here,
# and every process those started, is ended by its pid.
set -euo pipefail
programa=$1
sonda="$(cd "$(dirname "$0")" && pwd)/accesibilidad_e2e.py"
# shellcheck source-path=SCRIPTDIR source=comun.sh
. "$(dirname "$0")/comun.sh"
inicio=$(date +%s.%N)

dir=$(mktemp -d)
pids=()  # every process started here, in start order
pid_programa=

trap termina EXIT
trap 'exit 124' TERM INT HUP

# Under AddressSanitizer: libxkbcommon-x11, which Qt's X11 platform uses to
# read the keyboard map, calls strndup on a counted, unterminated buffer (see
# ventana_e2e.sh); the strict string check is off for this test only.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

# Nothing from the caller's desktop: this test's own display, buses and
# runtime folder only.
unset AT_SPI_BUS_ADDRESS NO_AT_BRIDGE WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export XDG_RUNTIME_DIR="$dir/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

pantalla_virtual 1024x768
buses_accesibles

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
    "$programa" >"$dir/programa.log" 2>&1 &
pid_programa=$!
pids+=("$pid_programa")

# In the background, so that a signal to this script reaches the trap at
# once and the reader too is ended by its pid.
timeout 60 /usr/bin/python3 "$sonda" &
pid_sonda=$!
pids+=("$pid_sonda")
if ! wait "$pid_sonda"; then
    echo "--- salida del programa" >&2
    cat "$dir/programa.log" >&2
    exit 1
fi

# "Salir" was chosen: the program must end by itself within 20 s, with
# status 0.
if ! termina_solo "$pid_programa" "Salir"; then
    cat "$dir/programa.log" >&2
    exit 1
fi
awk -v desde="$inicio" -v hasta="$(date +%s.%N)" \
    'BEGIN { printf "programa terminado con estado 0; prueba completa en %.1f s\n", hasta - desde }'
