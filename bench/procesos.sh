#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# vespalba-tabla as a whole process, as a user runs it: one day, one year and
# 1980-2040 at Valparaíso, in each format. Wall-clock, user and system time
# with hyperfine; peak resident memory with GNU time. Prints one table, then
# what a year adds to a day in CSV and JSON, from alternated runs.
#
# Usage: bench/procesos.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  where vespalba-tabla was built (default build)
#   RUNS       hyperfine runs of each command (default 20; 1980-2040 runs a
#              quarter as many, at least 3); RUNS * 4 alternated pairs
set -euo pipefail
cd "$(dirname "$0")/.."
guion=procesos.sh
# shellcheck source=bench/comun.sh
source bench/comun.sh
lugar="--lugar valparaiso --zona -4"
declare -A rangos=(
    [dia]="--fecha 2026-07-02"
    [anio]="--anio 2026"
    [1980-2040]="--desde 1980-01-01 --hasta 2040-12-31"
)

for rango in dia anio 1980-2040; do
    n=$corridas
    [ "$rango" = 1980-2040 ] && n=$(((corridas + 3) / 4)) && [ "$n" -lt 3 ] && n=3
    for formato in texto csv json; do
        mide "$rango-$formato" "$n" "$tabla $lugar ${rangos[$rango]} --formato $formato"
    done
done

python3 - "$tmp" "$(nproc)" <<'EOF'
import json, sys, os
tmp, cores = sys.argv[1], sys.argv[2]
print(f"vespalba-tabla, Valparaíso, zona -4; {cores} núcleos; "
      f"carga media al terminar: {os.getloadavg()[0]:.2f}")
print(f"| {'rango':<9} | {'formato':<7} | {'tiempo (media ± σ)':>19} | {'mínimo':>9} "
      f"| {'usuario':>9} | {'sistema':>9} | {'memoria pico':>12} |")
print(f"|{'-'*11}|{'-'*9}|{'-'*21}|{'-'*11}|{'-'*11}|{'-'*11}|{'-'*14}|")
for rango in ("dia", "anio", "1980-2040"):
    for formato in ("texto", "csv", "json"):
        r = json.load(open(f"{tmp}/{rango}-{formato}.json"))["results"][0]
        rss = int(open(f"{tmp}/{rango}-{formato}.rss").read())
        ms = lambda s: f"{s * 1000:.1f} ms"
        print(f"| {rango:<9} | {formato:<7} | {ms(r['mean']) + ' ± ' + ms(r['stddev']):>19} "
              f"| {ms(r['min']):>9} | {ms(r['user']):>9} | {ms(r['system']):>9} "
              f"| {rss / 1024:>9.1f} MB |")
EOF

# What a year adds to a day, CSV and JSON: the day and the year run one
# after the other, RUNS * 4 pairs, so that both meet the same moments of a
# machine whose speed drifts (a shared virtual machine can change by a
# fifth within a minute, which sequential hyperfine runs take as a
# difference between the commands).
python3 - "$tabla" "$((corridas * 4))" "$lugar" <<'EOF'
import os, shlex, statistics, sys, time
tabla, pares, lugar = sys.argv[1], int(sys.argv[2]), shlex.split(sys.argv[3])
nulo = os.open(os.devnull, os.O_WRONLY)

def corre(argumentos):
    orden = [tabla] + lugar + argumentos
    inicio = time.perf_counter()
    pid = os.posix_spawn(tabla, orden, os.environ, file_actions=[(os.POSIX_SPAWN_DUP2, nulo, 1)])
    _, estado = os.waitpid(pid, 0)
    if estado != 0:
        sys.exit(f"procesos.sh: {' '.join(orden)} terminó con estado {estado}")
    return (time.perf_counter() - inicio) * 1000

print()
print(f"Lo que un año añade a un día, {pares} pares alternados (día, año):")
print(f"| formato | día (media / mediana) | año (media / mediana) | año - día (media / mediana) |")
print(f"|---------|-----------------------|-----------------------|-----------------------------|")
for formato in ("csv", "json"):
    dia, anio = [], []
    for _ in range(pares):
        dia.append(corre(["--fecha", "2026-07-02", "--formato", formato]))
        anio.append(corre(["--anio", "2026", "--formato", formato]))
    m = lambda xs: f"{statistics.mean(xs):.2f} / {statistics.median(xs):.2f} ms"
    resta = [a - d for d, a in zip(dia, anio)]
    print(f"| {formato:<7} | {m(dia):>21} | {m(anio):>21} | {m(resta):>27} |")
EOF
