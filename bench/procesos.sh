#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# vespalba-tabla as a whole process, as a user runs it: one day, one year and
# 1980-2040 at Valparaíso, in each format. Wall-clock, user and system time
# with hyperfine; peak resident memory with GNU time. Prints one table.
#
# Usage: bench/procesos.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  where vespalba-tabla was built (default build)
#   RUNS       hyperfine runs of each command (default 20; 1980-2040 runs a
#              quarter as many, at least 3)
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
        orden="$tabla $lugar ${rangos[$rango]} --formato $formato"
        if ! hyperfine -N --style none --warmup 2 --runs "$n" \
            --export-json "$tmp/$rango-$formato.json" "$orden" >/dev/null 2>"$tmp/avisos"; then
            cat "$tmp/avisos" >&2
            exit 1
        fi
        # Peak resident set, kB: the largest of three runs.
        pico=0
        for _ in 1 2 3; do
            # shellcheck disable=SC2086 # the command is split into its words on purpose
            kb=$(/usr/bin/time -f %M $orden 2>&1 >/dev/null | tail -1)
            [ "$kb" -gt "$pico" ] && pico=$kb
        done
        echo "$pico" >"$tmp/$rango-$formato.rss"
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
