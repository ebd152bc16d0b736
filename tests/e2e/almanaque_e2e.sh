#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# almanaque_e2e.sh ALMANAQUE TABLA
# The almanac window on a desktop, read as a screen reader reads it. Starts,
# each in its own scratch folder and each recorded by its pid: a virtual X
# server of 1280 x 1024 pixels, a window manager (openbox), a private D-Bus
# session bus, the accessibility bus launcher (which starts the
# accessibility bus and its registry). Then, once under the light desktop
# theme and once under a dark one (Qt's GTK 3 platform theme with Adwaita
# dark), ALMANAQUE with Qt's accessibility bridge on, its clock set to
# 2026-09-06 15:00 in America/Santiago (libfaketime preloaded into the
# program) and Valparaíso as the last place in a settings file of its own;
# almanaque_e2e.py, beside this script, drives it with the keyboard, reads
# it through the accessibility bus, compares its Sun hours with TABLA's,
# photographs the screen and measures the contrast of its key texts, and
# ends it with Ctrl+Q; the program must then end by itself with status 0.
# A failure under one theme is reported and the other theme still run. The
# two pictures, for a person to look at, go to the folder
# $ALMANAQUE_E2E_CAPTURAS (CTest sets it to one in the build's tests
# folder), else, run by hand, to /tmp: almanaque-claro.png and
# almanaque-oscuro.png, their paths printed. Every wait is bounded; on any
# exit every process started here, and every process those started, is
# ended by its pid.
set -euo pipefail
programa=$1
tabla=$2
sonda="$(cd "$(dirname "$0")" && pwd)/almanaque_e2e.py"
# shellcheck source-path=SCRIPTDIR source=comun.sh
. "$(dirname "$0")/comun.sh"
inicio=$(date +%s.%N)

capturas=${ALMANAQUE_E2E_CAPTURAS:-/tmp}
mkdir -p "$capturas"
capturas=$(cd "$capturas" && pwd)

dir=$(mktemp -d)
pids=()  # every process started here, in start order

trap termina EXIT
trap 'exit 124' TERM INT HUP

# Under AddressSanitizer: libxkbcommon-x11 (see ventana_e2e.sh) needs the
# strict string check off; and libfaketime, preloaded, comes before the
# sanitizer's runtime in the list of libraries, which is harmless here.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0:verify_asan_link_order=0"
fi

# The references: vespalba-tabla's day at Concepción on the day the window
# opens, and a month later.
for fecha in 2026-09-06 2026-10-06; do
    if ! "$tabla" --lugar "Concepción, Chile" --fecha "$fecha" --formato json \
        >"$dir/referencia-$fecha.json"; then
        echo "FALLO: vespalba-tabla no dio el día $fecha en Concepción" >&2
        exit 1
    fi
done

# Nothing from the caller's desktop: this test's own display, buses, runtime
# folder, home and settings only.
escritorio_accesible 1280x1024

# una_vez TEMA [VAR=VALUE...]: the program under that theme, driven and
# measured by the reader, then ended by it; the picture saved as
# $capturas/almanaque-TEMA.png.
una_vez() {
    local tema=$1
    shift
    # Every run starts from the same settings: Valparaíso, no saved window
    # geometry (the window's own 1100 x 720).
    cat >"$XDG_CONFIG_HOME/vespalba/vespalba-almanaque.conf" <<'CONF'
[ultimo]
nombre=Valparaíso
nombre_completo="Valparaíso, Chile"
latitud=-33.033333333333331
longitud=-71.566666666666663
zona=America/Santiago

[ventana]
geometria=
CONF
    rm -f "$XDG_CONFIG_HOME/vespalba/vespalba.conf"

    local pid ventana
    abre_almanaque "$programa" "$dir/programa-$tema.log" "$@"

    # In the background, so that a signal to this script reaches the trap at
    # once and the reader too is ended by its pid.
    timeout 120 /usr/bin/python3 "$sonda" --tema "$tema" --pid "$pid" \
        --referencia "$dir/referencia-2026-09-06.json" \
        --referencia-mes "$dir/referencia-2026-10-06.json" \
        --captura "$dir/pantalla-$tema.ppm" --png "$capturas/almanaque-$tema.png" &
    local sonda_pid=$!
    pids+=("$sonda_pid")
    local estado=0
    wait "$sonda_pid" || estado=$?
    if [ "$estado" -ne 0 ]; then
        echo "--- el lector terminó con estado $estado; salida del programa ($tema)" >&2
        cat "$dir/programa-$tema.log" >&2
        if [ -s "$capturas/almanaque-$tema.png" ]; then
            echo "captura ($tema): $capturas/almanaque-$tema.png"
        fi
        fallidos+=("$tema")
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        return
    fi
    echo "captura ($tema): $capturas/almanaque-$tema.png"

    # Ctrl+Q was pressed: the program must end by itself within 20 s, with
    # status 0.
    if ! termina_solo "$pid" "Ctrl+Q, tema $tema"; then
        cat "$dir/programa-$tema.log" >&2
        exit 1
    fi
}

fallidos=()
rm -f "$capturas/almanaque-claro.png" "$capturas/almanaque-oscuro.png"
una_vez claro
una_vez oscuro QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
if [ "${#fallidos[@]}" -gt 0 ]; then
    echo "FALLO: tema ${fallidos[*]}" >&2
    exit 1
fi
awk -v desde="$inicio" -v hasta="$(date +%s.%N)" \
    'BEGIN { printf "prueba completa en %.1f s\n", hasta - desde }'
