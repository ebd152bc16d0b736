#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Memory of the real almanac window over long use, on the offscreen
# platform: 100 and 1000 place changes (tests/memoria/uso_almanaque.cpp)
# under valgrind's massif, the two runs side by side. The peak heap (useful
# heap plus allocator overhead) of the 1000 may exceed the 100's by at most
# 1 MiB: the heap must not grow with the number of changes. Both figures are
# printed for the record, after one run without valgrind that prints glibc's
# heap in use after 100 changes and after 1000.
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
for n in 100 1000; do
    timeout 900 valgrind --tool=massif --massif-out-file="$dir/massif.$n" \
        "$programa" "$n" >"$dir/salida.$n" 2>&1 &
    pids+=($!)
done
for i in 0 1; do
    if ! wait "${pids[$i]}"; then
        n=$([ "$i" -eq 0 ] && echo 100 || echo 1000)
        echo "uso_almanaque $n falló bajo massif:"
        tail -n 20 "$dir/salida.$n"
        exit 1
    fi
done
pids=()
# (glibc's figures read zero under valgrind, whose allocator replaces it.)
grep -h '^cambios' "$dir/salida.100" "$dir/salida.1000" | sed -E 's/^/-- massif: /; s/;.*//'
p100=$(pico "$dir/massif.100")
p1000=$(pico "$dir/massif.1000")
echo "-- massif: pico del heap con 100 cambios de lugar: $p100 bytes; con 1000: $p1000 bytes"
# Flat: ten times the changes may not add more than 1 MiB of peak heap.
if [ $((p1000 - p100)) -gt 1048576 ]; then
    echo "La memoria crece con el número de cambios de lugar"
    exit 1
fi
echo "-- massif: el pico crece $((p1000 - p100)) bytes de 100 a 1000 cambios (límite 1048576)"
