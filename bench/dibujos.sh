#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# vespalba-tabla's drawings as whole processes, as a user runs them without a
# display: a year at Valparaíso as PDF (the chart and twelve month pages), as
# SVG and as PNG of 1600 x 900, each written with --salida. Wall-clock, user
# and system time with hyperfine; peak resident memory with GNU time; the
# size of each file. Then a text run of one day, whose start-up must not
# carry the drawings' libraries. Prints one table.
#
# Usage: bench/dibujos.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  where vespalba-tabla was built (default build)
#   RUNS       hyperfine runs of each command (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
guion=dibujos.sh
# shellcheck source=bench/comun.sh
source bench/comun.sh
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
anio="--lugar valparaiso --anio 2026"
declare -A ordenes=(
    [pdf]="$tabla $anio --formato pdf --salida $tmp/anio.pdf"
    [svg]="$tabla $anio --formato svg --salida $tmp/anio.svg"
    [png]="$tabla $anio --formato png --salida $tmp/anio.png"
    [texto]="$tabla --lugar valparaiso --zona -4 --fecha 2026-07-02 --salida $tmp/dia.texto"
)
for formato in pdf svg png texto; do
    mide "$formato" "$corridas" "${ordenes[$formato]}"
done

python3 - "$tmp" "$(nproc)" <<'PY'
import json, os, sys
tmp, cores = sys.argv[1], sys.argv[2]
print(f"vespalba-tabla --lugar valparaiso --anio 2026 (texto: un día); {cores} núcleos; "
      f"carga media al terminar: {os.getloadavg()[0]:.2f}")
print(f"| {'formato':<7} | {'tiempo (media ± σ)':>19} | {'mínimo':>9} | {'usuario':>9} "
      f"| {'sistema':>9} | {'memoria pico':>12} | {'archivo':>9} |")
print(f"|{'-'*9}|{'-'*21}|{'-'*11}|{'-'*11}|{'-'*11}|{'-'*14}|{'-'*11}|")
archivos = {"pdf": "anio.pdf", "svg": "anio.svg", "png": "anio.png", "texto": "dia.texto"}
for formato in ("pdf", "svg", "png", "texto"):
    r = json.load(open(f"{tmp}/{formato}.json"))["results"][0]
    rss = int(open(f"{tmp}/{formato}.rss").read())
    kb = os.path.getsize(f"{tmp}/{archivos[formato]}") / 1024
    ms = lambda s: f"{s * 1000:.1f} ms"
    print(f"| {formato:<7} | {ms(r['mean']) + ' ± ' + ms(r['stddev']):>19} | {ms(r['min']):>9} "
          f"| {ms(r['user']):>9} | {ms(r['system']):>9} | {rss / 1024:>9.1f} MB "
          f"| {kb:>6.0f} kB |")
PY
