#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Memory of the real window over long use, on the offscreen platform:
#  1. 100 and 1000 calculations under valgrind's massif: the peak heap must
#     not grow with the number of calculations (printed for the record);
#  2. one start, one calculation and "Salir" under memcheck: no definite
#     leak whose stack passes through the project's code.
# Usage: memoria.sh path/to/uso_ventana
set -euo pipefail
programa=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen

echo "-- heap de glibc, sin valgrind"
"$programa" 1000

pico() {  # peak heap bytes (useful heap + extra) of a massif output file
    grep -E '^mem_heap_(B|extra_B)=' "$1" | awk -F= '
        /mem_heap_B/ {b=$2} /mem_heap_extra_B/ {t=b+$2; if (t>max) max=t} END {print max}'
}
for n in 100 1000; do
    timeout 600 valgrind --tool=massif --massif-out-file="$dir/massif.$n" \
        "$programa" "$n" >/dev/null 2>&1
done
p100=$(pico "$dir/massif.100")
p1000=$(pico "$dir/massif.1000")
echo "-- massif: pico del heap con 100 cálculos: $p100 bytes; con 1000: $p1000 bytes"
# Flat: ten times the calculations may not add more than 64 KiB of peak heap.
if [ $((p1000 - p100)) -gt 65536 ]; then
    echo "La memoria crece con el número de cálculos"
    exit 1
fi

timeout 600 valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
    --num-callers=40 --log-file="$dir/memcheck" "$programa" 1 >/dev/null
grep -E 'definitely lost:|ERROR SUMMARY' "$dir/memcheck" | sed 's/^==[0-9]*== /-- memcheck: /'
# Leak records are separated by blank lines; keep the definite ones that
# pass through project code.
propias=$(awk -v RS='==[0-9]+== \n' '/definitely lost/ &&
    /(Vespalba::|Vespalba::ModuloVespalba::|FormVespalbaCivilNautico|uso_ventana\.cpp)/' "$dir/memcheck")
if [ -n "$propias" ]; then
    echo "Fugas definitivas en el código del proyecto:"
    echo "$propias"
    exit 1
fi
echo "-- memcheck: ninguna fuga definitiva del código del proyecto"
