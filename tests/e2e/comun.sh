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

# Process cleanup of the scripts that start a desktop: they keep every
# process they start in the array `pids` and their scratch folder in `dir`,
# and install `trap termina EXIT`.

# The pids of every descendant of $1, deepest first.
descendientes() {
    local hijo
    for hijo in $(ps -o pid= --ppid "$1" 2>/dev/null || true); do
        descendientes "$hijo"
        echo "$hijo"
    done
}

# Whether process $1 still runs (a child that has ended but is not yet
# reaped counts as gone).
vivo() {
    local estado
    estado=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $estado != Z* ]]
}

termina() {
    local todos=() p
    # shellcheck disable=SC2154 # pids and dir: the sourcing script's
    for p in "${pids[@]}"; do
        # shellcheck disable=SC2207 # pids: one word each, split on purpose
        todos+=($(descendientes "$p") "$p")
    done
    for p in "${todos[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    # Up to 5 s for them to go, then no more asking.
    for _ in $(seq 50); do
        local vivos=0
        for p in "${todos[@]}"; do
            vivo "$p" && vivos=1
        done
        [ "$vivos" -eq 0 ] && break
        sleep 0.1
    done
    for p in "${todos[@]}"; do
        kill -KILL "$p" 2>/dev/null || true
    done
    for p in "${pids[@]}"; do
        wait "$p" 2>/dev/null || true
    done
    # shellcheck disable=SC2154 # the sourcing script's scratch folder
    rm -rf "$dir"
}

# espera_archivo FILE WHAT: until FILE has a line (at most 20 s).
espera_archivo() {
    for _ in $(seq 200); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    echo "FALLO: $2 no arrancó" >&2
    exit 1
}
