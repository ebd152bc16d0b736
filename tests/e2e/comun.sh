# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Shared by the end-to-end scripts; source it, don't run it.

# termina_solo PID QUE: the program PID, started by this shell, must end by
# itself within 20 s with status 0. Prints "FALLO: ..." naming QUE and
# returns 1 otherwise.
termina_solo() {
    local pid=$1 que=$2 estado=0
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "FALLO ($que): el programa sigue en marcha" >&2
        return 1
    fi
    wait "$pid" || estado=$?
    if [ "$estado" -ne 0 ]; then
        echo "FALLO ($que): el programa terminó con estado $estado" >&2
        return 1
    fi
}
