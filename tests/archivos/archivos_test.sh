#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The project's checks from a tree without git: the last commit unpacked as
# git archive makes it (as release tarballs and distribution source
# packages are made), with this checkout's scripts/archivos, formato,
# guiones and arquitectura (and the README whose map it reads) laid over
# it, and git out of reach on PATH. scripts/archivos must list there
# exactly what git ls-files lists for the commit, in its order,
# with and without the patterns scripts/formato and scripts/guiones pass,
# before and after a build folder is configured in the tree; then
# scripts/formato, scripts/guiones and scripts/arquitectura must pass there.
#   tests/archivos/archivos_test.sh CARPETA_DEL_PROYECTO
# Exits 77 (skipped) when that folder is not a git checkout, as in a tree
# unpacked from an archive: there is no commit to compare with.
set -euo pipefail
fuente=$(cd "${1:?uso: archivos_test.sh CARPETA_DEL_PROYECTO}" && pwd -P)

if ! command -v git >/dev/null; then
    echo "archivos_test: sin git no hay con qué comparar: se salta" >&2
    exit 77
fi
cima=$(git -C "$fuente" rev-parse --show-toplevel 2>/dev/null || true)
if [ -z "$cima" ] || [ "$(cd "$cima" && pwd -P)" != "$fuente" ]; then
    echo "archivos_test: $fuente no es una copia de trabajo de git: se salta" >&2
    exit 77
fi

temporal=$(mktemp -d)
trap 'rm -rf "$temporal"' EXIT
arbol=$temporal/arbol
mkdir "$arbol"
git -C "$fuente" archive HEAD | tar -x -C "$arbol"
propios=(scripts/archivos scripts/formato scripts/guiones scripts/arquitectura README.md)
for f in "${propios[@]}"; do
    cp -p "$fuente/$f" "$arbol/$f"
done

# git ls-files of the commit with the three scripts as they are here, from
# an index of this test's own (the checkout's may hold other changes); no
# object is written to the repository.
indice=$temporal/indice
GIT_INDEX_FILE=$indice git -C "$fuente" read-tree HEAD
GIT_INDEX_FILE=$indice git -C "$fuente" update-index --add --info-only -- "${propios[@]}"
esperado() { GIT_INDEX_FILE=$indice git -C "$fuente" ls-files -z -- "$@"; }

# A PATH with every command of this one but git.
sin_git=$temporal/sin-git
mkdir "$sin_git"
IFS=: read -ra carpetas <<<"$PATH"
declare -A vistos
enlazados=()
for carpeta in "${carpetas[@]}"; do
    if [ -z "$carpeta" ] || [ ! -d "$carpeta" ]; then continue; fi
    for programa in "$carpeta"/*; do
        nombre=${programa##*/}
        case $nombre in git | git-*) continue ;; esac
        # The first of a name on PATH, as the shell finds it.
        if [ -x "$programa" ] && [ -z "${vistos[$nombre]:-}" ]; then
            vistos[$nombre]=1
            enlazados+=("$programa")
        fi
    done
done
ln -s -t "$sin_git" -- "${enlazados[@]}"
if PATH=$sin_git command -v git >/dev/null; then
    echo "archivos_test: git sigue al alcance en $sin_git" >&2
    exit 1
fi
if [ -e "$arbol/.git" ]; then
    echo "archivos_test: el árbol de git archive tiene .git" >&2
    exit 1
fi

fallos=0
# compara MOMENTO PATRÓN...: the list without git against git's.
compara() {
    local momento=$1
    shift
    if ! cmp -s <(PATH=$sin_git "$arbol/scripts/archivos" -- "$@") <(esperado "$@"); then
        echo "archivos_test: $momento, patrones «$*»: distinto de git ls-files (< sin git, > git):" >&2
        diff <(PATH=$sin_git "$arbol/scripts/archivos" -n -- "$@") \
            <(esperado "$@" | tr '\0' '\n') >&2 || true
        fallos=$((fallos + 1))
    fi
}
comprueba() {
    compara "$1"
    compara "$1" '*.cpp' '*.h'
    compara "$1" scripts .ci tests bench
    # With git installed but no work tree, the same list.
    if ! cmp -s <("$arbol/scripts/archivos") <(esperado); then
        echo "archivos_test: $1, con git en PATH: distinto de git ls-files" >&2
        fallos=$((fallos + 1))
    fi
}

total=$(esperado | tr -cd '\0' | wc -c)
if [ "$total" -lt 50 ]; then
    echo "archivos_test: git ls-files da solo $total archivos" >&2
    exit 1
fi
comprueba "antes de compilar"

# A build folder configured as scripts/build does (its generated files and
# the linked public headers), a second folder as the sanitizers' build
# leaves it, and an IDE's file: all ignored by .gitignore.
cmake -S "$arbol" -B "$arbol/build" -DVESPALBA_TESTS=OFF -DVESPALBA_BENCH=OFF >/dev/null
mkdir -p "$arbol/build-san/tests/ventana_test_autogen"
echo "// generado" >"$arbol/build-san/tests/ventana_test_autogen/mocs_compilation.cpp"
echo "<qtcreator/>" >"$arbol/CMakeLists.txt.user"
hechos=$(find "$arbol/build" -type f | wc -l)
if [ "$hechos" -lt 10 ]; then
    echo "archivos_test: la configuración dejó solo $hechos archivos en build/" >&2
    exit 1
fi
comprueba "después de configurar build/"

# The README's checks, run in the tree without git.
for orden in scripts/guiones scripts/formato scripts/arquitectura; do
    if ! (cd "$arbol" && PATH=$sin_git "$orden" >/dev/null); then
        echo "archivos_test: $orden falla sin git" >&2
        fallos=$((fallos + 1))
    fi
done

if [ "$fallos" -ne 0 ]; then
    exit 1
fi
echo "archivos_test: $total archivos, los mismos que git ls-files, antes y después de configurar"
