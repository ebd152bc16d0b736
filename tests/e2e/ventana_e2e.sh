#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ventana_e2e.sh PROGRAMA CIERRA_VENTANA
# Runs the real program twice on a virtual X server (its own, with -noreset
# so it outlives each client). Each run finds the window by its exact
# caption and ends the program the user's way: the first by the close box
# (a window manager's WM_DELETE_WINDOW, sent by CIERRA_VENTANA), the second
# by choosing "Salir" in the menu bar with the keyboard (Alt, then Right
# twice past "Ejemplo" and "Nuevo Cálculo", then Return). Each time the
# program must end by itself with status 0. Bounded in time; every process
# it starts ends.
set -euo pipefail
programa=$1
cierra=$2
# shellcheck source-path=SCRIPTDIR source=comun.sh
. "$(dirname "$0")/comun.sh"

if [ -z "${VESPALBA_EN_XVFB:-}" ]; then
    export VESPALBA_EN_XVFB=1
    exec timeout 100 xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$0" "$@"
fi

# Under AddressSanitizer: libxkbcommon-x11, which Qt's X11 platform uses to
# read the keyboard map, calls strndup on a counted, unterminated buffer; a
# strict string check reads past it. That check is off for this test only
# (a later option in ASAN_OPTIONS overrides an earlier one).
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

titulo='Vespalba del Sol y de la Luna, Comienzo Aurora y Fin Crepúsculo.'
pid=
trap '[ -n "$pid" ] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }' EXIT

# una_vez MODO: starts the program, ends it by MODO (cierre or salir) and
# checks that it ends by itself with status 0.
una_vez() {
    local modo=$1 ventana nombre
    "$programa" &
    pid=$!

    ventana=$(timeout 40 xdotool search --sync --onlyvisible --name '^Vespalba del Sol' | head -n 1)
    if [ -z "$ventana" ]; then
        echo "FALLO ($modo): no apareció la ventana" >&2
        exit 1
    fi
    nombre=$(xdotool getwindowname "$ventana")
    if [ "$nombre" != "$titulo" ]; then
        echo "FALLO ($modo): título '$nombre', se esperaba '$titulo'" >&2
        exit 1
    fi

    case $modo in
        cierre)
            "$cierra" "$ventana"
            ;;
        salir)
            # No window manager here: give the window the keyboard focus
            # directly. The menu bar takes the keyboard when Alt is pressed
            # and released alone; its first item is then highlighted.
            xdotool windowfocus --sync "$ventana"
            xdotool key --delay 100 alt
            xdotool key --delay 100 Right Right Return
            ;;
    esac

    # The program must end by itself within 20 s, with status 0.
    termina_solo "$pid" "$modo"
    pid=
    echo "ventana '$nombre' abierta y terminada ($modo); estado 0"
}

una_vez cierre
una_vez salir
