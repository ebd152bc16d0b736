#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# escritorio_e2e.sh PROGRAMA UI
# The real program on a desktop: a virtual X server of 1280 x 1024 pixels
# with a window manager (openbox), each started here and recorded by its pid.
#  1. At twice the scale (QT_SCALE_FACTOR=2) the window does not fit: the
#     window manager's frame must lie inside the available area (the desktop's
#     work area), its top-left corner first of all.
#  2. Under a dark desktop theme (Qt's GTK 3 platform theme with Adwaita
#     dark) the window's key texts, after "Ejemplo" and "Calcular", must read
#     as well as under the light theme: the X server's own pixels are
#     measured by contraste_e2e.py, beside this script, against UI (the
#     window's description, for where each text stands).
# Every wait is bounded; on any exit every process started here is ended by
# its pid.
set -euo pipefail
programa=$1
ui=$2
medidor="$(cd "$(dirname "$0")" && pwd)/contraste_e2e.py"

dir=$(mktemp -d)
pids=()
# shellcheck source-path=SCRIPTDIR source=comun.sh
. "$(dirname "$0")/comun.sh"
trap termina EXIT
trap 'exit 124' TERM INT HUP

# See ventana_e2e.sh: libxkbcommon-x11 under AddressSanitizer.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

# Nothing of the caller's desktop; no session bus, so that nothing starts one.
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME GTK_THEME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
unset QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_STYLE_OVERRIDE
export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/sin-bus"
export NO_AT_BRIDGE=1
export XDG_RUNTIME_DIR="$dir/run"
export HOME="$dir"
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"

pantalla_virtual 1280x1024
gestor_de_ventanas

pid=
# abre [VAR=VALUE...]: starts the program with those variables, waits for
# its window and sets $ventana.
abre() {
    env "$@" "$programa" >"$dir/programa.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    ventana=$(timeout 40 xdotool search --sync --onlyvisible --name '^Vespalba del Sol' | head -n 1)
    if [ -z "$ventana" ]; then
        echo "FALLO: no apareció la ventana" >&2
        cat "$dir/programa.log" >&2
        exit 1
    fi
    # The window manager has framed it once it publishes the frame's size.
    for _ in $(seq 100); do
        xprop -id "$ventana" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' && break
        sleep 0.1
    done
    sleep 0.5  # the placing after the frame is known, and the first paint
}
cierra() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
# campo N TEXT: the Nth number of TEXT (1-based).
campo() { tr -c '0-9\n' ' ' <<<"$2" | awk -v n="$1" '{ print $n }'; }
# cliente: "X Y WIDTH HEIGHT" of the window's client area on the screen.
cliente() {
    xwininfo -id "$ventana" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

# ---- 1. Twice the scale: the frame inside the work area.
abre QT_SCALE_FACTOR=2
read -r x y w h <<<"$(cliente)"
extremos=$(xprop -id "$ventana" _NET_FRAME_EXTENTS)
izq=$(campo 1 "${extremos#*=}")
der=$(campo 2 "${extremos#*=}")
arr=$(campo 3 "${extremos#*=}")
aba=$(campo 4 "${extremos#*=}")
trabajo=$(xprop -root _NET_WORKAREA)
trabajo=${trabajo#*=}
zx=$(campo 1 "$trabajo")
zy=$(campo 2 "$trabajo")
zw=$(campo 3 "$trabajo")
zh=$(campo 4 "$trabajo")
mx=$((x - izq))
my=$((y - arr))
mw=$((w + izq + der))
mh=$((h + arr + aba))
echo "escala 2: marco ${mw}x${mh} en ($mx, $my); área disponible ${zw}x${zh} en ($zx, $zy)"
if [ "$mx" -lt "$zx" ] || [ "$my" -lt "$zy" ]; then
    echo "FALLO: la esquina del marco queda fuera del área disponible" >&2
    exit 1
fi
if [ $((mx + mw)) -gt $((zx + zw)) ] || [ $((my + mh)) -gt $((zy + zh)) ]; then
    echo "FALLO: el marco sale del área disponible" >&2
    exit 1
fi
if [ "$w" -ge 1578 ] || [ "$h" -ge 1110 ]; then
    echo "FALLO: la ventana no tomó el tamaño disponible (${w}x${h})" >&2
    exit 1
fi
cierra

# ---- 2. Light and dark desktop themes, after "Ejemplo" and "Calcular".
# retrata FILE [VAR=VALUE...]: the X server's pixels of the whole screen in
# FILE (PPM) and, on stdout, the client area's top-left corner (below the
# menu bar).
retrata() {
    local archivo=$1
    shift
    abre "$@"
    xdotool windowactivate --sync "$ventana" >/dev/null 2>&1 || true
    # "Ejemplo" is the menu bar's first item: Alt alone opens the bar on it.
    xdotool key --delay 100 alt Return
    sleep 0.5
    local x y w h menu
    read -r x y w h <<<"$(cliente)"
    menu=$((h - 533))
    # "Calcular": the centre of Command1 (200, 296, 81 x 33 in the client area).
    xdotool mousemove --window "$ventana" 240 $((menu + 312)) click 1
    xdotool mousemove 0 0
    sleep 1
    import -window root -depth 8 "ppm:$archivo"
    cierra
    echo "$x $((y + menu))"
}
read -r cx cy <<<"$(retrata "$dir/clara.ppm")"
read -r ox oy <<<"$(retrata "$dir/oscura.ppm" QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark)"
/usr/bin/python3 "$medidor" "$ui" "$dir/clara.ppm" "$cx" "$cy" "$dir/oscura.ppm" "$ox" "$oy"
echo "tema oscuro: los textos se leen como con el claro"
