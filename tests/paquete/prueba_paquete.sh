#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# prueba_paquete.sh [BUILD]
# Builds the Debian package with scripts/paquete, unpacks it into a scratch
# root with dpkg-deb -x and checks it as an installed program: the control
# fields, the file list, that the desktop entry's program and icon and the
# manual pages are where their names say, the AppStream metadata, and that
# the installed programs run on the machine's own Qt (LD_LIBRARY_PATH
# untouched). The installed vespalba-tabla must print exactly what the
# freshly built one in BUILD (default build/) prints, and the installed
# window must open and close as in the end-to-end test. Ends with lintian,
# failing on any error. Every check runs; the script fails if any did.
# Output is captured before grep -q reads it: grep -q stops at the first
# match, and under pipefail the writer's SIGPIPE would count as a failure.
set -euo pipefail
cd "$(dirname "$0")/../.."
referencia=${1:-build}
tabla_ref=$referencia/tabla/vespalba-tabla
cierra=$referencia/tests/cierra_ventana
for f in "$tabla_ref" "$cierra"; do
    [ -x "$f" ] || { echo "prueba_paquete: falta $f (compile antes $referencia/)" >&2; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
raiz=$tmp/raiz
inicio=$SECONDS
deb=$(timeout 900 scripts/paquete 2>"$tmp/paquete.log") || {
    tail -n 40 "$tmp/paquete.log" >&2
    echo "prueba_paquete: scripts/paquete falló" >&2
    exit 1
}
echo "paquete: $deb ($(stat -c %s "$deb") bytes, $((SECONDS - inicio)) s)"
mkdir "$raiz"
dpkg-deb -x "$deb" "$raiz"

fallos=0
falla() {
    echo "FALLO: $*" >&2
    fallos=$((fallos + 1))
}
bien() { echo "  bien: $*"; }

# --- Control fields: one version, from CMake, everywhere ---------------------
version=$("$tabla_ref" --version | awk '{print $2}')
arq=$(dpkg --print-architecture)
if [ "$(basename "$deb")" = "vespalba_${version}_${arq}.deb" ]; then
    bien "nombre $(basename "$deb")"
else
    falla "nombre $(basename "$deb"), se esperaba vespalba_${version}_${arq}.deb"
fi
[ "$(dpkg-deb -f "$deb" Package)" = vespalba ] || falla "Package: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || falla "Version: $(dpkg-deb -f "$deb" Version), vespalba-tabla dice $version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arq" ] || falla "Architecture: $(dpkg-deb -f "$deb" Architecture)"
depende=$(dpkg-deb -f "$deb" Depends)
echo "  Depends: $depende"
# Found by dpkg-shlibdeps in the binaries, each with a minimum version.
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -Eq "(^|, )${lib//+/\\+} \(>= [^)]+\)" <<<"$depende" || falla "Depends sin $lib (>= ...)"
done
# Named by hand: the gazetteer's library, opened with dlopen, and its names;
# the drawings' platform plugins and letters.
for paquete in libgeonames0 libgeonames-common qt6-qpa-plugins "fonts-liberation2 | fonts-dejavu-core"; do
    grep -Eq "(^|, )${paquete//|/\\|}(,|$| )" <<<"$depende" || falla "Depends sin $paquete"
done
# Found in the drawing module, opened with dlopen: Qt Svg.
grep -Eq "(^|, )libqt6svg6 \(>= [^)]+\)" <<<"$depende" || falla "Depends sin libqt6svg6 (>= ...)"

# No maintainer scripts: the drawing module is no library for ldconfig.
guiones=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'post|pre' || true)
[ -z "$guiones" ] || falla "el paquete trae guiones de mantenimiento: $guiones"

# --- The files, and nothing else ---------------------------------------------
esperados="./usr/bin/vespalba
./usr/bin/vespalba-almanaque
./usr/bin/vespalba-tabla
./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/vespalba/vespalba-tabla-dibujo.so
./usr/share/applications/vespalba-almanaque.desktop
./usr/share/applications/vespalba.desktop
./usr/share/doc/vespalba/changelog.gz
./usr/share/doc/vespalba/copyright
./usr/share/doc/vespalba/examples/vespalba-ocaso.service
./usr/share/doc/vespalba/examples/vespalba-ocaso.timer
./usr/share/icons/hicolor/64x64/apps/vespalba-almanaque.png
./usr/share/icons/hicolor/64x64/apps/vespalba.png
./usr/share/icons/hicolor/scalable/apps/vespalba-almanaque.svg
./usr/share/icons/hicolor/scalable/apps/vespalba.svg
./usr/share/man/es/man1/vespalba-almanaque.1.gz
./usr/share/man/es/man1/vespalba-tabla.1.gz
./usr/share/man/es/man1/vespalba.1.gz
./usr/share/metainfo/org.example.vespalba-almanaque.metainfo.xml
./usr/share/metainfo/org.example.vespalba.metainfo.xml
./usr/share/vespalba/poblados.idx
./usr/share/vespalba/zonas.idx"
hay=$(cd "$raiz" && find . -type f -o -type l | LC_ALL=C sort)
if [ "$hay" = "$esperados" ]; then
    bien "los $(wc -l <<<"$esperados") archivos esperados"
else
    falla "archivos del paquete:"$'\n'"$(diff <(echo "$esperados") <(echo "$hay") || true)"
fi

# --- Desktop entries: their programs and icons are the installed ones -------
for entrada in vespalba:calculadora/iconos:Vespalba "vespalba-almanaque:almanaque/iconos:Vespalba almanaque"; do
    IFS=: read -r nombre carpeta titulo <<<"$entrada"
    escritorio=$raiz/usr/share/applications/$nombre.desktop
    desktop-file-validate "$escritorio" || falla "desktop-file-validate $nombre.desktop"
    clave() { sed -n "s/^$1=//p" "$escritorio"; }
    programa=$(clave Exec | awk '{print $1}')
    if [ -x "$raiz/usr/bin/$programa" ]; then
        bien "$nombre.desktop: Exec=$programa está en usr/bin"
    else
        falla "$nombre.desktop: Exec=$programa no está en usr/bin"
    fi
    icono=$(clave Icon)
    if cmp -s "$raiz/usr/share/icons/hicolor/scalable/apps/$icono.svg" "$carpeta/$icono.svg"; then
        bien "Icon=$icono está en hicolor/scalable/apps"
    else
        falla "Icon=$icono: falta o difiere hicolor/scalable/apps/$icono.svg"
    fi
    [ -f "$raiz/usr/share/icons/hicolor/64x64/apps/$icono.png" ] || falla "Icon=$icono: falta hicolor/64x64/apps/$icono.png"
    [ "$(clave Name)" = "$titulo" ] || falla "Name=$(clave Name)"
done

# --- AppStream: the installed metadata and the desktop entries it launches ---
# (the same files as the metadatos_escritorio test checks; here as packaged,
# with the icons beside them).
if command -v appstreamcli >/dev/null; then
    if arbol=$(appstreamcli validate-tree --no-net "$raiz" 2>&1); then
        bien "appstreamcli validate-tree: $(tail -n 1 <<<"$arbol")"
    else
        falla "appstreamcli validate-tree:"$'\n'"$arbol"
    fi
else
    falla "appstreamcli no está instalado (scripts/deps instala appstream)"
fi

# --- Manual pages: one per program, named after it, readable by man ----------
for prog in vespalba vespalba-tabla vespalba-almanaque; do
    pagina=$raiz/usr/share/man/es/man1/$prog.1.gz
    [ -x "$raiz/usr/bin/$prog" ] || falla "la página $prog.1 no tiene programa en usr/bin"
    gzip -t "$pagina" || { falla "$prog.1.gz no es gzip"; continue; }
    fuente=$(zcat "$pagina")
    grep -q "^\.TH ${prog^^} 1 " <<<"${fuente//\\/}" || falla "$prog.1: sin .TH ${prog^^} 1"
    grep -qF "\"Vespalba $version\"" <<<"$fuente" || falla "$prog.1: no dice la versión $version"
    avisos=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$pagina" 2>&1 >/dev/null)
    [ -z "$avisos" ] || falla "$prog.1: avisos de man: $avisos"
done
# Every option the installed vespalba-tabla's --help names is in its page.
texto_pagina=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$raiz/usr/share/man/es/man1/vespalba-tabla.1.gz" 2>/dev/null)
opciones=$("$raiz/usr/bin/vespalba-tabla" --help | grep -oE -- '(^|[ ,])--?[a-z]+' | tr -d ' ,' | sort -u)
faltan=$(for o in $opciones; do grep -qF -- "$o" <<<"$texto_pagina" || echo "$o"; done)
if [ -z "$faltan" ]; then
    bien "la página de vespalba-tabla nombra sus $(wc -w <<<"$opciones") opciones"
else
    falla "opciones de --help que no están en la página: $faltan"
fi

# --- Binaries: stripped, no RUNPATH, every library found ---------------------
for prog in vespalba vespalba-tabla vespalba-almanaque "../lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/vespalba/vespalba-tabla-dibujo.so"; do
    b=$raiz/usr/bin/$prog
    tipo=$(file -b "$b")
    grep -q ', stripped' <<<"$tipo" || falla "$prog sin despojar: $tipo"
    if grep -Eq 'RPATH|RUNPATH' <<<"$(readelf -d "$b")"; then falla "$prog lleva RPATH/RUNPATH"; fi
    bibliotecas=$(ldd "$b")
    if grep -q 'not found' <<<"$bibliotecas"; then falla "$prog: $(grep 'not found' <<<"$bibliotecas")"; fi
done

# --- The installed vespalba-tabla --------------------------------------------
tabla=$raiz/usr/bin/vespalba-tabla
[ "$("$tabla" --version)" = "vespalba-tabla $version" ] || falla "--version: $("$tabla" --version)"
# Worked example, 2 July 2003 at 33° 16' S, 71° 36' W, zone 4 h west: sunrise
# 7:50, sunset 17:50, moonrise 10:15 before moonset 20:41, 9:59 hours of
# daylight. The place table's Valparaíso lies 2' of longitude further east
# (71° 34' W), which moves every event 8 s earlier: the minutes stay the same
# (the example's times fall 0.76 min or more after their minute, the
# hours of daylight do not move); solar noon is 12:50:25 there, 12:50:17 at
# the table's Valparaíso. Then 26 s more daylight than the day before and a
# Moon 9 % lit, three days after the new moon.
esperado='Orto 10:15  Ocaso 20:41  7:50  17:50  12:50:'
luz='  9:59  [+]0 m 26 s  9 % Cre'  # the last columns (no notice that day)
for args in "--fecha 2003-07-02 --lat 33:16S --lon 71:36W --zona -4" \
            "--fecha 2003-07-02 --lugar valparaiso --zona -4"; do
    # shellcheck disable=SC2086 # $args: a list of options, split on purpose
    salida=$("$tabla" $args) || falla "vespalba-tabla $args: estado $?"
    # shellcheck disable=SC2086 # $args: a list of options, split on purpose
    ref=$("$tabla_ref" $args)
    [ "$salida" = "$ref" ] || falla "vespalba-tabla $args difiere de $tabla_ref:"$'\n'"$(diff <(echo "$ref") <(echo "$salida") || true)"
    fila=$(grep '^2003-07-02' <<<"$salida" || true)
    if grep -qF -- "$esperado" <<<"$fila" && grep -qE -- "$luz\$" <<<"$fila"; then
        bien "vespalba-tabla $args: $(tr -s ' ' <<<"$fila" | cut -c1-60)..."
    else
        falla "vespalba-tabla $args: fila «$fila», se esperaba «$esperado» y «$luz»"
    fi
done
grep -q '^Lugar: Valparaíso (33° 16. S, 71° 34. W)$' <<<"$("$tabla" --fecha 2003-07-02 --lugar valparaiso --zona -4)" \
    || falla "vespalba-tabla --lugar valparaiso: cabecera del lugar"
estado=0
"$tabla" --lugar valpo --zona -4 --hoy >/dev/null 2>&1 || estado=$?
[ "$estado" -eq 2 ] || falla "vespalba-tabla con un lugar desconocido: estado $estado, se esperaba 2"
# A town of the world gazetteer, through the machine's libgeonames.
args="--lugar Concepción,CL --fecha 2026-04-04"
# shellcheck disable=SC2086
if salida=$("$tabla" $args) && [ "$salida" = "$("$tabla_ref" $args)" ] \
    && grep -q '^Lugar: Concepción, Región del Biobío, Chile' <<<"$salida"; then
    bien "vespalba-tabla $args: $(head -n 1 <<<"$salida")"
else
    falla "vespalba-tabla $args: «$(head -n 1 <<<"$salida")», o difiere de $tabla_ref"
fi
# A village of the places file, with the zone of its point.
if salida=$("$tabla" --lugar "Hanga Roa" --fecha 2026-04-04) \
    && grep -q '^Lugar: Hanga Roa, Región de Valparaíso, Chile' <<<"$salida" \
    && grep -q 'Pacific/Easter' <<<"$salida"; then
    bien "vespalba-tabla --lugar 'Hanga Roa': $(head -n 1 <<<"$salida")"
else
    falla "vespalba-tabla --lugar 'Hanga Roa': «$(head -n 2 <<<"$salida")»"
fi

# The drawings, through the installed module, with no display: a year's PDF
# of 13 pages and a PNG of the asked size.
if (unset DISPLAY QT_QPA_PLATFORM WAYLAND_DISPLAY
    "$tabla" --lugar valparaiso --anio 2026 --formato pdf --salida "$tmp/anio.pdf" &&
    "$tabla" --lugar valparaiso --anio 2026 --formato png --tamano 800x450 --salida "$tmp/anio.png") 2>"$tmp/dibujo.log" &&
    [ "$(pdfinfo "$tmp/anio.pdf" | sed -n 's/^Pages: *//p')" = 13 ] &&
    grep -q 'PNG image data, 800 x 450' <<<"$(file -b "$tmp/anio.png")"; then
    bien "vespalba-tabla --formato pdf y png sin pantalla"
else
    falla "vespalba-tabla --formato pdf o png: $(cat "$tmp/dibujo.log")"
fi

# --- The README's systemd units, against the installed program ---------------
# They are the package's examples, shown whole in the README; systemd-analyze
# verify loads them as user units and checks that ExecStart's programs run.
ejemplos=$raiz/usr/share/doc/vespalba/examples
leeme=$(cat README.md)
for u in vespalba-ocaso.service vespalba-ocaso.timer; do
    [[ "$leeme" == *"$(cat "$ejemplos/$u")"* ]] || falla "README.md no muestra $u tal como se instala"
done
if command -v systemd-analyze >/dev/null; then
    unidades=$tmp/unidades
    mkdir -p "$unidades" "$tmp/run"
    sed "s#/usr/bin/vespalba-tabla#$tabla#" "$ejemplos/vespalba-ocaso.service" >"$unidades/vespalba-ocaso.service"
    cp "$ejemplos/vespalba-ocaso.timer" "$unidades/"
    if verificado=$(XDG_RUNTIME_DIR=$tmp/run systemd-analyze verify --user \
        "$unidades/vespalba-ocaso.service" "$unidades/vespalba-ocaso.timer" 2>&1); then
        bien "systemd-analyze verify: vespalba-ocaso.service y .timer con el programa instalado"
    else
        falla "systemd-analyze verify de las unidades de ejemplo: $verificado"
    fi
else
    echo "  (sin systemd-analyze: las unidades de ejemplo no se verifican en esta máquina)"
fi

# --- The installed window opens and closes -----------------------------------
if registro=$(tests/e2e/ventana_e2e.sh "$raiz/usr/bin/vespalba" "$cierra" 2>&1); then
    bien "la ventana instalada se abre y se cierra"
else
    falla "la ventana instalada (tests/e2e/ventana_e2e.sh):"$'\n'"$registro"
fi

# --- lintian: no errors; warnings and notes are printed ----------------------
if command -v lintian >/dev/null; then
    echo "  lintian:"
    lint_estado=0
    timeout 300 lintian --display-info --fail-on error "$deb" 2>/dev/null | sed 's/^/    /' || lint_estado=$?
    [ "$lint_estado" -eq 0 ] || falla "lintian encontró errores (estado $lint_estado)"
else
    falla "lintian no está instalado (scripts/deps lo instala)"
fi

echo "paquete: $((SECONDS - inicio)) s en total"
if [ "$fallos" -ne 0 ]; then
    echo "prueba_paquete: $fallos fallos" >&2
    exit 1
fi
echo "prueba_paquete: todo bien"
