#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/arquitectura on small trees of its own (no git, so scripts/archivos
# lists their files): a tree that follows its README's map passes; an
# include the map does not allow, a folder of code missing from the map and
# a row of the map without code each fail with a line that names them.
#   tests/arquitectura/arquitectura_test.sh CARPETA_DEL_PROYECTO
set -euo pipefail
fuente=$(cd "${1:?uso: arquitectura_test.sh CARPETA_DEL_PROYECTO}" && pwd -P)
temporal=$(mktemp -d)
trap 'rm -rf "$temporal"' EXIT
fallos=0
falla() {
    echo "FALLA: $*" >&2
    fallos=$((fallos + 1))
}

# arbol DIR: a tree with three folders and a map that lets prog/ use both
# libraries and medio/ use base/.
arbol() {
    local d=$1
    mkdir -p "$d/scripts" "$d/base" "$d/medio" "$d/prog" "$d/tests"
    cp "$fuente/scripts/arquitectura" "$fuente/scripts/archivos" "$d/scripts/"
    printf 'build/\n' >"$d/.gitignore"
    cat >"$d/README.md" <<'FIN'
# Prueba

### Qué usa cada carpeta

| carpeta | puede usar |
|---------|------------|
| `base/` | (nada) |
| `medio/` | `base/` |
| `prog/` | `base/`, `medio/` |

## Después
FIN
    printf '#pragma once\n' >"$d/base/base.h"
    printf '#pragma once\n#include "base/base.h"\n' >"$d/medio/medio.h"
    printf '#include "medio/medio.h"\n#include "base/base.h"\n#include <vector>\n' >"$d/prog/main.cpp"
    printf '#include "prog/x.h"\n' >"$d/tests/t.cpp"
}

# espera NOMBRE ESTADO TEXTO DIR: the check in DIR ends with ESTADO and its
# output holds TEXTO.
espera() {
    local nombre=$1 estado=$2 texto=$3 d=$4 salida real=0
    salida=$(cd "$d" && scripts/arquitectura 2>&1) || real=$?
    [ "$real" -eq "$estado" ] || falla "$nombre: estado $real, se esperaba $estado: $salida"
    grep -qF -- "$texto" <<<"$salida" || falla "$nombre: la salida no dice «$texto»: $salida"
}

arbol "$temporal/bien"
espera "el árbol que sigue el mapa" 0 "3 carpetas de código" "$temporal/bien"

arbol "$temporal/cruza"
printf '#pragma once\n#include "prog/main.h"\n' >"$temporal/cruza/base/otro.h"
espera "una inclusión hacia arriba" 1 \
    "base/otro.h:2: base/ incluye prog/main.h, y el mapa de README.md no deja que base/ use prog/" \
    "$temporal/cruza"

arbol "$temporal/nueva"
mkdir "$temporal/nueva/suelta"
printf 'int x;\n' >"$temporal/nueva/suelta/x.cpp"
espera "una carpeta fuera del mapa" 1 "suelta/ tiene código y no está en el mapa" "$temporal/nueva"

arbol "$temporal/vacia"
rm "$temporal/vacia/prog/main.cpp"
espera "una fila sin código" 1 "el mapa de README.md nombra prog/, que no tiene código" \
    "$temporal/vacia"

# And the project itself follows its own map.
espera "el proyecto" 0 "usan solo lo que permite el mapa" "$fuente"

[ "$fallos" -eq 0 ] || exit 1
echo "arquitectura_test: bien"
