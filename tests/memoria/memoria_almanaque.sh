#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Memory of the real almanac window over long use, on the offscreen
# platform: 100 and 400 place changes (tests/memoria/uso_almanaque.cpp)
# under valgrind's massif, the two runs side by side. The peak heap (useful
# heap plus allocator overhead) of the 400 may exceed the 100's by at most
# 512 KiB, 1.7 kB a change: the heap must not grow with the number of
# changes. (The 100 go through every place and search of the cycle at least
# once, so that what is kept once per place, the villages' regions and
# zones, is in both.) Both figures are printed for the record, after one run without
# valgrind that prints glibc's heap in use after 100 changes and after 1000.
# (Each change costs about a third of a second under massif, so the counts
# are kept to what shows a growth.)
# Usage: memoria_almanaque.sh path/to/uso_almanaque
set -euo pipefail
programa=$1
dir=$(mktemp -d)
pids=()
termina() {
    local p
    for p in "${pids[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    for p in "${pids[@]}"; do
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$dir"
}
trap termina EXIT
export QT_QPA_PLATFORM=offscreen

echo "-- heap de glibc, sin valgrind"
"$programa" 1000

pico() {  # peak heap bytes (useful heap + extra) of a massif output file
    grep -E '^mem_heap_(B|extra_B)=' "$1" | awk -F= '
        /mem_heap_B/ {b=$2} /mem_heap_extra_B/ {t=b+$2; if (t>max) max=t} END {print max}'
}
for n in 100 400; do
    timeout 900 valgrind --tool=massif --massif-out-file="$dir/massif.$n" \
        "$programa" "$n" >"$dir/salida.$n" 2>&1 &
    pids+=($!)
done
for i in 0 1; do
    if ! wait "${pids[$i]}"; then
        n=$([ "$i" -eq 0 ] && echo 100 || echo 400)
        echo "uso_almanaque $n falló bajo massif:"
        tail -n 20 "$dir/salida.$n"
        exit 1
    fi
done
pids=()
# (glibc's figures read zero under valgrind, whose allocator replaces it.)
grep -h '^cambios' "$dir/salida.100" "$dir/salida.400" | sed -E 's/^/-- massif: /; s/;.*//'
p100=$(pico "$dir/massif.100")
p400=$(pico "$dir/massif.400")
echo "-- massif: pico del heap con 100 cambios de lugar: $p100 bytes; con 400: $p400 bytes"
# Flat: four times the changes may not add more than 512 KiB of peak heap.
if [ $((p400 - p100)) -gt 524288 ]; then
    echo "La memoria crece con el número de cambios de lugar"
    exit 1
fi
echo "-- massif: el pico crece $((p400 - p100)) bytes de 100 a 400 cambios (límite 524288)"
