#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes vespalba-tabla's outputs for a fixed set of requests into a folder,
# one file per request (its standard output, then its standard error and
# exit status in a .err file), so that two builds can be compared byte for
# byte after a change that must not alter what users see (a move of code
# between libraries, a new build option):
#   tests/referencia/salidas.sh BUILD/tabla/vespalba-tabla antes/
#   tests/referencia/salidas.sh OTRO/tabla/vespalba-tabla despues/
#   diff -r antes/ despues/
# The PDF's creation date is masked; the present instant is fixed with
# faketime (2026-12-11 15:30 UT) and the calendar's stamp with
# SOURCE_DATE_EPOCH; the stored default place is read from an empty
# configuration folder, and the gazetteer's cache is made in one of its own
# (the first run that opens the gazetteer writes it, the later ones read it).
set -euo pipefail
programa=$(realpath "${1:?uso: salidas.sh VESPALBA-TABLA CARPETA}")
carpeta=${2:?uso: salidas.sh VESPALBA-TABLA CARPETA}
mkdir -p "$carpeta"
configuracion=$(mktemp -d)
trap 'rm -rf "$configuracion"' EXIT
export XDG_CONFIG_HOME=$configuracion
export XDG_CACHE_HOME=$configuracion/cache
export SOURCE_DATE_EPOCH=1765400000
export LC_ALL=C.UTF-8
export TZ=UTC
# Qt orders the PDF's fonts by a hash seeded at random in each process.
export QT_HASH_SEED=0

# uno NOMBRE ARGUMENTOS...: one request, at the fixed instant.
uno() {
    local nombre=$1
    shift
    local estado=0
    faketime -f '@2026-12-11 15:30:00' "$programa" "$@" >"$carpeta/$nombre" 2>"$carpeta/$nombre.err" ||
        estado=$?
    echo "estado $estado" >>"$carpeta/$nombre.err"
}

for formato in texto csv json ics; do
    uno "dia.$formato" --lugar Valparaíso --fecha 2003-07-02 --zona -4 --formato "$formato"
    uno "mes.$formato" --lugar 'Punta Arenas' --mes 2026-12 --formato "$formato"
    uno "anio.$formato" --lat 33:16S --lon 71:36W --tz America/Santiago --anio 2026 \
        --formato "$formato" --eventos orto,ocaso,civil,nautico,astronomico,luna,fases,mediodia,dorada,azul
    uno "pueblo.$formato" --lugar Concepción --desde 2025-03-25 --hasta 2025-04-10 --formato "$formato"
    uno "apia.$formato" --lat -13.83 --lon -171.76 --tz Pacific/Apia --mes 2011-12 --formato "$formato"
    uno "polar.$formato" --lat 69.65 --lon 18.96 --mes 2026-06 --formato "$formato"
done
uno todo.csv --lugar Arica --desde 1980-01-01 --hasta 2040-12-31 --formato csv
uno todo.json --lugar Arica --desde 1980-01-01 --hasta 2040-12-31 --formato json
uno grafico.svg --lugar Valparaíso --anio 2026 --formato svg --luna --dorada
uno grafico.png --lugar 'Isla de Pascua' --anio 2026 --formato png --tamano 800x500
uno paginas.pdf --lugar Valparaíso --anio 2026 --formato pdf --papel carta
uno mes.pdf --lugar Tromsø --mes 2026-06 --formato pdf
sed -i -E 's/(CreationDate|ModDate) ?\(D:[0-9+Z'"'"'-]*\)/\1 (masked)/g' "$carpeta"/*.pdf
uno ahora.txt --lugar Valparaíso --ahora
uno ahora.json --lugar Valparaíso --ahora --formato json
uno si-dia --lugar Valparaíso --si dia
uno si-noche --lugar Tromsø --si noche
uno proximo-ocaso --lugar Valparaíso --proximo ocaso
uno proximo-sube --lat 40.4 --lon -3.7 --proximo sube --altura 30 --margen -30m
uno proximo-acotado --lugar 'Punta Arenas' --proximo fin-civil --margen 1h --no-despues 23:00
uno proximo-fase --lugar Valparaíso --proximo llena
uno lugares --lugares
uno buscar-valpa --buscar valpa
uno buscar-tumbes --buscar Tumbes
uno buscar-nada --buscar xqzwv
uno ayuda --help
uno version --version
uno error-lat --lat 80 --lon 0 --fecha 2026-01-01
uno error-fecha --lugar Arica --fecha 2041-01-01
uno error-formato --lugar Arica --fecha 2026-01-01 --formato doc
uno error-lugar --lugar Valparaso --fecha 2026-01-01
uno error-terminal --lugar Arica --anio 2026 --formato png --salida /dev/tty
