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

# The pieces of a test desktop, each started here and recorded in `pids`,
# its log in `dir`. Every wait is bounded; a piece that does not start ends
# the script with status 1.

# pantalla_virtual ANCHOxALTO: a virtual X server of that size on a free
# display (Xvfb writes its number on fd 3); exports DISPLAY.
pantalla_virtual() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$dir/pantalla" \
        >"$dir/xvfb.log" 2>&1 &
    pids+=($!)
    espera_archivo "$dir/pantalla" "Xvfb"
    DISPLAY=":$(head -n 1 "$dir/pantalla")"
    export DISPLAY
}

# gestor_de_ventanas: openbox, ready once it publishes its check window.
gestor_de_ventanas() {
    openbox --config-file /dev/null >"$dir/openbox.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "FALLO: openbox no arrancó" >&2
    cat "$dir/openbox.log" >&2
    exit 1
}

# buses_accesibles: a private D-Bus session bus (exports
# DBUS_SESSION_BUS_ADDRESS), the accessibility bus launcher, and the
# accessibility registry.
buses_accesibles() {
    dbus-daemon --session --nofork --address="unix:path=$dir/bus" --print-address=3 \
        3>"$dir/direccion" >"$dir/dbus.log" 2>&1 &
    pids+=($!)
    espera_archivo "$dir/direccion" "el bus de sesión"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$dir/direccion")
    export DBUS_SESSION_BUS_ADDRESS

    # Started here rather than by the bus on first call, so that its pid is
    # known; nothing asks for it by name before it owns that name.
    /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$dir/atspi.log" 2>&1 &
    pids+=($!)
    local en_bus=
    for _ in $(seq 200); do
        if dbus-send --session --print-reply --reply-timeout=2000 --dest=org.freedesktop.DBus \
            /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus \
            2>/dev/null | grep -q 'boolean true'; then
            en_bus=1
            break
        fi
        sleep 0.1
    done
    if [ -z "$en_bus" ]; then
        echo "FALLO: el bus de accesibilidad no arrancó" >&2
        cat "$dir/atspi.log" >&2
        exit 1
    fi

    # The accessibility bus starts its registry on first call, through a
    # process that leaves it to init; start it here instead, and ask the bus
    # for its pid.
    local a11y pid_registro
    a11y=$(dbus-send --session --print-reply=literal --reply-timeout=5000 --dest=org.a11y.Bus \
        /org/a11y/bus org.a11y.Bus.GetAddress | tr -d '[:space:]')
    dbus-send --bus="$a11y" --print-reply --reply-timeout=10000 --dest=org.freedesktop.DBus \
        /org/freedesktop/DBus org.freedesktop.DBus.StartServiceByName \
        string:org.a11y.atspi.Registry uint32:0 >/dev/null
    pid_registro=$(dbus-send --bus="$a11y" --print-reply=literal --reply-timeout=5000 \
        --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID string:org.a11y.atspi.Registry |
        awk '{ print $2 }')
    if [ -z "$pid_registro" ]; then
        echo "FALLO: el registro de accesibilidad no arrancó" >&2
        exit 1
    fi
    pids+=("$pid_registro")
}

# abre_almanaque PROGRAMA REGISTRO [VAR=VALUE...]: the almanac PROGRAMA on
# the test desktop with those variables, its output to REGISTRO, its clock
# starting at 15:00 on 2026-09-06 in Chile (libfaketime preloaded into the
# program itself; its monotonic clock, which Qt's timers use, left alone)
# and Qt's accessibility bridge on. Waits for its window, framed by the
# window manager and active; sets `pid` and `ventana`, and records the pid
# in `pids`. Ends the script with status 1 when no window shows.
abre_almanaque() {
    local programa=$1 registro=$2 falso
    shift 2
    falso=$(dpkg -L libfaketime 2>/dev/null | grep -m 1 '/libfaketime\.so\.1$' || true)
    if [ -z "$falso" ] || [ ! -e "$falso" ]; then
        echo "FALLO: falta libfaketime (scripts/deps instala faketime)" >&2
        exit 1
    fi
    env TZ=America/Santiago LD_PRELOAD="$falso" FAKETIME='@2026-09-06 15:00:00' \
        FAKETIME_DONT_FAKE_MONOTONIC=1 QT_QPA_PLATFORM=xcb \
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$@" \
        "$programa" >"$registro" 2>&1 &
    pid=$!
    pids+=("$pid")
    ventana=$(timeout 40 xdotool search --sync --onlyvisible --pid "$pid" \
        --name 'Vespalba: almanaque' | head -n 1 || true)
    if [ -z "$ventana" ]; then
        echo "FALLO: no apareció la ventana del almanaque" >&2
        cat "$registro" >&2
        exit 1
    fi
    # The window manager has framed it once it publishes the frame's size.
    for _ in $(seq 100); do
        xprop -id "$ventana" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' && break
        sleep 0.1
    done
    xdotool windowactivate --sync "$ventana" >/dev/null 2>&1 || true
    xdotool mousemove 0 0
}

# escritorio_accesible ANCHOxALTO: a test desktop with nothing of the
# caller's (its display, buses, theme, scale, runtime folder, home and
# settings all its own, under `dir`; the C.UTF-8 locale): the
# virtual screen, openbox and the accessibility buses. Exports HOME,
# XDG_CONFIG_HOME (with its vespalba/ folder) and XDG_RUNTIME_DIR.
escritorio_accesible() {
    unset AT_SPI_BUS_ADDRESS NO_AT_BRIDGE WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
    unset QT_QPA_PLATFORMTHEME GTK_THEME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
    unset QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_STYLE_OVERRIDE QT_FONT_DPI
    export XDG_RUNTIME_DIR="$dir/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export HOME="$dir/casa"
    export XDG_CONFIG_HOME="$HOME/.config"
    mkdir -p "$XDG_CONFIG_HOME/vespalba"
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    pantalla_virtual "$1"
    gestor_de_ventanas
    buses_accesibles
}
