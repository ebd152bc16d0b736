#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole runs of vespalba-tabla, measured with hyperfine (wall and CPU time
# of each run, the process's start included): a year at a town of the world
# gazetteer (Concepción, which loads libgeonames and the places file), at a
# village of the places file (Hanga Roa, whose zone also opens the
# boundaries' index), at bare coordinates (the index alone) and at one of
# the forty places (Valparaíso, which must load none of them). Given a
# second program, the same forty-place run of it too, to compare two builds.
#   bench/lugares_proceso.sh [vespalba-tabla] [another vespalba-tabla]
set -euo pipefail
cd "$(dirname "$0")/.."
tabla=${1:-build/tabla/vespalba-tabla}
otra=${2:-}
anio=(--zona -4 --anio 2026)
comandos=(
    -n "Concepción (nomenclátor)" "$tabla --lugar Concepción ${anio[*]}"
    -n "Hanga Roa (pueblos de 1000 habitantes)" "$tabla --lugar 'Hanga Roa' ${anio[*]}"
    -n "coordenadas (zona por los límites)" "$tabla --lat -27.15 --lon -109.42 --anio 2026"
    -n "Valparaíso (40 lugares)" "$tabla --lugar Valparaíso ${anio[*]}"
)
if [ -n "$otra" ]; then
    comandos+=(-n "Valparaíso (40 lugares), $otra" "$otra --lugar Valparaíso ${anio[*]}")
fi
hyperfine -N --warmup 20 --runs "${RUNS:-300}" "${comandos[@]}"
