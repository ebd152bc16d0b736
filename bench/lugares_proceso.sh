#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole runs of vespalba-tabla, measured with hyperfine (wall and CPU time
# of each run, the process's start included): a year at a town of the world
# gazetteer (Concepción, which reads the gazetteer's cache and the places
# file), at a village of the places file (Hanga Roa, whose zone also opens
# the boundaries' index), at bare coordinates (the index alone) and at one
# of the forty places (Valparaíso, which must load none of them). Given a
# second program, the same forty-place run of it too, to compare two builds.
# Then the goal of the gazetteer's cache: a day at a town by name
# (`--si dia --lugar Concepción`, and Hanga Roa) against the same at one of
# the forty places, runs alternated, as the ratio of their median CPU time
# (user + system, from each child's rusage) and, when valgrind is there, of
# their instructions (callgrind). The cache is a temporary folder's,
# written by one run before the timed ones (a first run, which loads
# libgeonames and writes it, is timed once apart).
#   bench/lugares_proceso.sh [vespalba-tabla] [another vespalba-tabla]
# RUNS: hyperfine's runs (300); PARES: alternated pairs for the ratio (300).
set -euo pipefail
cd "$(dirname "$0")/.."
tabla=${1:-build/tabla/vespalba-tabla}
otra=${2:-}
cache=$(mktemp -d)
trap 'rm -rf "$cache"' EXIT
export XDG_CACHE_HOME=$cache
echo "carga: $(cut -d' ' -f1-3 /proc/loadavg)"
anio=(--zona -4 --anio 2026)
/usr/bin/time -o "$cache/primera" -f '%e s, %U s usuario, %S s sistema' \
    "$tabla" --si dia --lugar Concepción >/dev/null 2>&1
echo "primera corrida (sin caché: carga libgeonames y escribe la caché): $(cat "$cache/primera")"
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

echo
echo "un día por nombre contra uno de los 40 lugares, corridas alternadas:"
python3 - "$tabla" "${PARES:-300}" <<'EOF'
import os
import statistics
import sys

tabla, pares = sys.argv[1], int(sys.argv[2])
casos = {
    "Valparaíso": [tabla, "--si", "dia", "--lugar", "Valparaíso"],
    "Concepción": [tabla, "--si", "dia", "--lugar", "Concepción"],
    "Hanga Roa": [tabla, "--si", "dia", "--lugar", "Hanga Roa"],
}
nulo = os.open(os.devnull, os.O_WRONLY)


def cpu_ms(args):
    pid = os.posix_spawn(args[0], args, os.environ,
                         file_actions=[(os.POSIX_SPAWN_DUP2, nulo, 1),
                                       (os.POSIX_SPAWN_DUP2, nulo, 2)])
    _, estado, uso = os.wait4(pid, 0)
    if estado != 0:
        sys.exit(f"falló: {' '.join(args)}")
    return (uso.ru_utime + uso.ru_stime) * 1000


for _ in range(10):
    for a in casos.values():
        cpu_ms(a)
tiempos = {n: [] for n in casos}
for _ in range(pares):
    for n, a in casos.items():
        tiempos[n].append(cpu_ms(a))
base = statistics.median(tiempos["Valparaíso"])
for n, t in tiempos.items():
    m = statistics.median(t)
    print(f"  {n:<11} mediana usuario+sistema {m:6.2f} ms  (p90 "
          f"{statistics.quantiles(t, n=10)[-1]:6.2f} ms)  razón {m / base:5.2f}")
EOF

if command -v valgrind >/dev/null; then
    # Debian's valgrind sets LD_LIBRARY_PATH, part of the cache's key: the
    # cache written once under it first.
    valgrind --tool=none "$tabla" --si dia --lugar Concepción >/dev/null 2>&1
    declare -A instrucciones
    for lugar in Valparaíso Concepción "Hanga Roa"; do
        instrucciones[$lugar]=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null \
            "$tabla" --si dia --lugar "$lugar" 2>&1 >/dev/null |
            sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
    done
    for lugar in Valparaíso Concepción "Hanga Roa"; do
        python3 -c "import sys; n, b = int(sys.argv[2]), int(sys.argv[3]); \
print(f'  {sys.argv[1]:<11} {n / 1e6:7.2f} M instrucciones (callgrind)  razón {n / b:5.2f}')" \
            "$lugar" "${instrucciones[$lugar]}" "${instrucciones[Valparaíso]}"
    done
fi
