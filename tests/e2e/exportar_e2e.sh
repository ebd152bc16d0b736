#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# exportar_e2e.sh ALMANAQUE TABLA
# The almanac window's year, printing and export on a desktop, driven with
# the keyboard and read through the accessibility bus (exportar_e2e.py):
#   - Archivo › Imprimir el mes and el año open Qt's print preview with as
#     many pages as TABLA's PDF of that month and year, and Escape closes it;
#   - Exportar writes the month as PDF (the same text and page sizes as
#     TABLA's) and the year's chart as PNG (the same bytes as TABLA's);
#   - an export into a folder the program may not write gives a message
#     naming the file, and no file;
#   - the year view: the chart says the chosen day, Right moves it, Return
#     chooses it; photographed under the light and the dark desktop theme.
# The program runs as an unprivileged user, as a desktop user runs it: when
# this script runs as root (as CI does) it prepares a scratch folder, then
# runs the desktop and the program as "nobody" with setpriv, since root
# writes in any folder. The scratch folder holds a copy of the program and
# the reader, so that a source or build tree in a private home does not
# matter. The pictures go to $ALMANAQUE_E2E_CAPTURAS (else /tmp):
# anio-claro.png and anio-oscuro.png. Every wait is bounded; on any exit
# every process started here, and every process those started, is ended by
# its pid.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=comun.sh
. "$(dirname "$0")/comun.sh"

if [ "${1:-}" = "--escritorio" ]; then
    # The second half, run as the unprivileged user: $2 the scratch folder.
    raiz=$2
    dir=$raiz/escritorio
    mkdir -m 700 "$dir"
    pids=()
    trap termina EXIT
    trap 'exit 124' TERM INT HUP

    escritorio_accesible 1280x1024

    fallidos=()
    # una_vez TEMA [VAR=VALUE...]: the program under that theme, from
    # Valparaíso on 2026-09-06 15:00 in Chile (libfaketime), driven and
    # read by exportar_e2e.py, which ends it with Ctrl+Q.
    una_vez() {
        local tema=$1
        shift
        # Valparaíso as vespalba-tabla's --lugar Valparaíso has it (the
        # table's 33:16S 71:34W, the doubles written to round-trip), so that
        # the exports are the same request as the references.
        cat >"$XDG_CONFIG_HOME/vespalba/vespalba-almanaque.conf" <<'CONF'
[ultimo]
nombre=Valparaíso
nombre_completo=Valparaíso
latitud=-33.266666666666666
longitud=-71.56666666666666
zona=America/Santiago

[ventana]
geometria=
CONF
        local pid ventana
        abre_almanaque "$raiz/bin/vespalba-almanaque" "$dir/programa-$tema.log" "$@"

        local exportar=()
        # The exports under the light theme only: under the GTK theme the
        # file dialog is GTK's own.
        if [ "$tema" = claro ]; then
            exportar=(--referencias "$raiz/referencias" --salida "$raiz/salida"
                --solo-lectura "$raiz/solo-lectura")
        fi
        timeout 180 /usr/bin/python3 "$raiz/lector/exportar_e2e.py" --tema "$tema" \
            --pid "$pid" --captura "$dir/pantalla-$tema.ppm" \
            --png "$raiz/capturas/anio-$tema.png" "${exportar[@]}" &
        local lector=$!
        pids+=("$lector")
        local estado=0
        wait "$lector" || estado=$?
        if [ "$estado" -ne 0 ]; then
            echo "--- el lector terminó con estado $estado; salida del programa ($tema)" >&2
            cat "$dir/programa-$tema.log" >&2
            fallidos+=("$tema")
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            return
        fi
        if ! termina_solo "$pid" "Ctrl+Q, tema $tema"; then
            cat "$dir/programa-$tema.log" >&2
            fallidos+=("$tema")
        fi
        # Qt's complaints (a printer's layout changed mid-job, say) count.
        if grep -E '^(QPrinter|QPainter|QWidget|QObject)[:]' "$dir/programa-$tema.log" >&2; then
            echo "FALLO ($tema): el programa se quejó en stderr" >&2
            fallidos+=("$tema")
        fi
    }
    una_vez claro
    una_vez oscuro QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
    if [ "${#fallidos[@]}" -gt 0 ]; then
        echo "FALLO: tema ${fallidos[*]}" >&2
        exit 1
    fi
    exit 0
fi

programa=$1
tabla=$2
inicio=$(date +%s.%N)
capturas=${ALMANAQUE_E2E_CAPTURAS:-/tmp}
mkdir -p "$capturas"
capturas=$(cd "$capturas" && pwd)

dir=$(mktemp -d)
pids=()
trap termina EXIT
trap 'exit 124' TERM INT HUP

# Under AddressSanitizer: libxkbcommon-x11 (see ventana_e2e.sh) needs the
# strict string check off; libfaketime, preloaded, comes before the
# sanitizer's runtime; and the leak suppressions are read from the scratch
# folder, which the unprivileged user can read.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0:verify_asan_link_order=0"
fi
if [ -n "${LSAN_OPTIONS:-}" ]; then
    cp "$(dirname "$0")/../lsan.supp" "$dir/lsan.supp"
    export LSAN_OPTIONS="suppressions=$dir/lsan.supp:print_suppressions=0"
fi

# The references, by vespalba-tabla: September 2026 and the year 2026 as
# PDF, and the year's chart as PNG, at Valparaíso.
mkdir -p "$dir/referencias" "$dir/salida" "$dir/capturas" "$dir/bin" "$dir/lector" \
    "$dir/solo-lectura"
valpo=(--lugar Valparaíso --tz America/Santiago)
"$tabla" "${valpo[@]}" --mes 2026-09 --formato pdf --salida "$dir/referencias/mes.pdf"
"$tabla" "${valpo[@]}" --anio 2026 --formato pdf --salida "$dir/referencias/anio.pdf"
"$tabla" "${valpo[@]}" --anio 2026 --formato png --salida "$dir/referencias/anio.png"
cp "$programa" "$dir/bin/vespalba-almanaque"
for f in exportar_e2e.sh comun.sh exportar_e2e.py atspi_comun.py; do
    cp "$(dirname "$0")/$f" "$dir/lector/"
done
chmod -R a+rX "$dir"

if [ "$(id -u)" -eq 0 ]; then
    # The scratch folder becomes nobody's, but for the folder it may not
    # write in, which stays root's (rwxr-xr-x).
    chown -R nobody:nogroup "$dir"
    chown root:root "$dir/solo-lectura"
    chmod 755 "$dir/solo-lectura"
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        /bin/bash "$dir/lector/exportar_e2e.sh" --escritorio "$dir" &
else
    chmod 555 "$dir/solo-lectura"
    /bin/bash "$dir/lector/exportar_e2e.sh" --escritorio "$dir" &
fi
pids+=($!)
estado=0
wait "${pids[0]}" || estado=$?
for tema in claro oscuro; do
    if [ -s "$dir/capturas/anio-$tema.png" ]; then
        cp "$dir/capturas/anio-$tema.png" "$capturas/"
        echo "captura ($tema): $capturas/anio-$tema.png"
    fi
done
[ "$estado" -eq 0 ] || exit "$estado"
awk -v desde="$inicio" -v hasta="$(date +%s.%N)" \
    'BEGIN { printf "prueba completa en %.1f s\n", hasta - desde }'
