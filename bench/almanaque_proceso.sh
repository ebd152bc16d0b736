#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# vespalba-almanaque as a whole process, as a user starts it, on a virtual X
# server of its own (Xvfb, no window manager):
#  1. From exec to the window mapped, and to its first paint: the first
#     moment the X server holds the painted window (the almanac computes the
#     day before it shows the window, so its first paint has the day's
#     results). Alternated with the yardstick, a bare Qt Widgets window
#     (bench/ventana_vacia.cpp: a menu bar, three boxes, three tabs, a table
#     of 14 rows, nothing of Vespalba), and with the calculator window
#     (vespalba), each started and timed the same way, so that all meet the
#     same moments of a machine whose speed drifts. Median, 95th percentile
#     (nearest rank), mean and minimum over RUNS runs of each, after two
#     warm-up runs; then the almanac's medians over the yardstick's (the
#     goal: the almanac painted within 1.25 times the bare window's time).
#  2. Resident memory (VmRSS, and its peak VmHWM, from /proc/PID/status) of
#     the almanac with its window painted, and again after typing a search
#     in the place box (Ctrl+F, "concep") has loaded the world gazetteer
#     and shown the suggestions; three runs, the largest figures.
# The X side is watched, not polled: the harness (Python's ctypes over
# libX11 and libXdamage, which Qt's GTK platform theme pulls in) learns of
# the window's mapping from the root window's SubstructureNotify events and
# of each paint from the DAMAGE extension, and only then reads the window's
# pixels: painted means more than 16 distinct colours in the band from 20 %
# to 55 % of its height (the day's title, the Sun table), where an unpainted
# window is uniform. The first painted band can be saved for a look with
# MARCO=file.ppm.
#
# Usage: bench/almanaque_proceso.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  where vespalba-almanaque, vespalba and bench/ventana_vacia
#              were built (default build)
#   RUNS       runs of each program (default 30)
# VENTANA_VACIA=program takes the yardstick from elsewhere (one compiled by
# hand: g++ -std=c++20 -O2 -fPIC bench/ventana_vacia.cpp -o ventana_vacia
# $(pkg-config --cflags --libs Qt6Widgets)).
# Every process started here is ended by its pid.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
corridas=${2:-30}
almanaque="$build/almanaque/vespalba-almanaque"
calculadora="$build/calculadora/vespalba"
vacia=${VENTANA_VACIA:-$build/bench/ventana_vacia}
for programa in "$almanaque" "$calculadora" "$vacia"; do
    if [ ! -x "$programa" ]; then
        echo "almanaque_proceso.sh: no está $programa; compile antes (scripts/build $build)" >&2
        exit 1
    fi
done
for programa in Xvfb xdotool python3; do
    command -v "$programa" >/dev/null || {
        echo "almanaque_proceso.sh: falta $programa (scripts/deps lo instala)" >&2
        exit 1
    }
done

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
trap 'exit 124' TERM INT HUP

# A user of their own: no desktop settings, no session bus, the almanac's
# last place Valparaíso.
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME GTK_THEME QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
unset QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_STYLE_OVERRIDE
export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/sin-bus"
export NO_AT_BRIDGE=1
export XDG_RUNTIME_DIR="$dir/run"
export HOME="$dir/casa"
export XDG_CONFIG_HOME="$HOME/.config"
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/vespalba"
cat >"$XDG_CONFIG_HOME/vespalba/vespalba-almanaque.conf" <<'CONF'
[ultimo]
nombre=Valparaíso
nombre_completo="Valparaíso, Chile"
latitud=-33.033333333333331
longitud=-71.566666666666663
zona=America/Santiago
CONF

# The root window black (-br): an unpainted window shows it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp -noreset 3>"$dir/pantalla" \
    >"$dir/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do
    [ -s "$dir/pantalla" ] && break
    sleep 0.1
done
if [ ! -s "$dir/pantalla" ]; then
    echo "almanaque_proceso.sh: Xvfb no arrancó" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
fi
DISPLAY=":$(head -n 1 "$dir/pantalla")"
export DISPLAY

python3 - "$almanaque" "$calculadora" "$vacia" "$corridas" <<'EOF'
import ctypes, os, select, signal, statistics, struct, subprocess, sys, time

almanaque, calculadora, vacia, corridas = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
c = ctypes
x11 = c.CDLL("libX11.so.6")
dano = c.CDLL("libXdamage.so.1")
x11.XOpenDisplay.restype = c.c_void_p
x11.XOpenDisplay.argtypes = [c.c_char_p]
x11.XDefaultRootWindow.restype = c.c_ulong
x11.XDefaultRootWindow.argtypes = [c.c_void_p]
x11.XSelectInput.argtypes = [c.c_void_p, c.c_ulong, c.c_long]
x11.XInternAtom.restype = c.c_ulong
x11.XInternAtom.argtypes = [c.c_void_p, c.c_char_p, c.c_int]
x11.XConnectionNumber.argtypes = [c.c_void_p]
x11.XPending.argtypes = [c.c_void_p]
x11.XNextEvent.argtypes = [c.c_void_p, c.c_void_p]
x11.XFlush.argtypes = [c.c_void_p]
x11.XSync.argtypes = [c.c_void_p, c.c_int]
x11.XFree.argtypes = [c.c_void_p]
x11.XGetWindowProperty.argtypes = [
    c.c_void_p, c.c_ulong, c.c_ulong, c.c_long, c.c_long, c.c_int, c.c_ulong,
    c.POINTER(c.c_ulong), c.POINTER(c.c_int), c.POINTER(c.c_ulong), c.POINTER(c.c_ulong),
    c.POINTER(c.c_void_p)]
x11.XGetWindowAttributes.argtypes = [c.c_void_p, c.c_ulong, c.c_void_p]
x11.XGetImage.restype = c.c_void_p
x11.XGetImage.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_int, c.c_uint, c.c_uint,
                          c.c_ulong, c.c_int]
x11.XDestroyImage.argtypes = [c.c_void_p]
ManejadorErrores = c.CFUNCTYPE(c.c_int, c.c_void_p, c.c_void_p)
x11.XSetErrorHandler.argtypes = [ManejadorErrores]
dano.XDamageQueryExtension.argtypes = [c.c_void_p, c.POINTER(c.c_int), c.POINTER(c.c_int)]
dano.XDamageCreate.restype = c.c_ulong
dano.XDamageCreate.argtypes = [c.c_void_p, c.c_ulong, c.c_int]
dano.XDamageDestroy.argtypes = [c.c_void_p, c.c_ulong]

# A window may be gone by the time it is asked about: such errors are ignored.
sin_errores = ManejadorErrores(lambda d, e: 0)
x11.XSetErrorHandler(sin_errores)

pantalla = x11.XOpenDisplay(None)
if not pantalla:
    sys.exit("almanaque_proceso.sh: no se pudo abrir la pantalla de Xvfb")
raiz = x11.XDefaultRootWindow(pantalla)
SubstructureNotifyMask = 1 << 19
MapNotify = 19
x11.XSelectInput(pantalla, raiz, SubstructureNotifyMask)
base_dano, base_error = c.c_int(), c.c_int()
if not dano.XDamageQueryExtension(pantalla, c.byref(base_dano), c.byref(base_error)):
    sys.exit("almanaque_proceso.sh: el servidor X no tiene la extensión DAMAGE")
DamageNotify = base_dano.value
XDamageReportRawRectangles = 0
nombre_net = x11.XInternAtom(pantalla, b"_NET_WM_NAME", 0)
pid_net = x11.XInternAtom(pantalla, b"_NET_WM_PID", 0)
utf8 = x11.XInternAtom(pantalla, b"UTF8_STRING", 0)
CARDINAL = 6
x11.XSync(pantalla, 0)
conexion = x11.XConnectionNumber(pantalla)
evento = c.create_string_buffer(192)


def propiedad(ventana, atomo, tipo):
    real, formato, n, resto = c.c_ulong(), c.c_int(), c.c_ulong(), c.c_ulong()
    datos = c.c_void_p()
    if x11.XGetWindowProperty(pantalla, ventana, atomo, 0, 1024, 0, tipo, c.byref(real),
                              c.byref(formato), c.byref(n), c.byref(resto), c.byref(datos)) != 0:
        return None
    if not datos.value:
        return None
    try:
        if real.value != tipo:
            return None
        if formato.value == 8:
            return c.string_at(datos.value, n.value)
        if formato.value == 32 and n.value >= 1:
            return c.cast(datos.value, c.POINTER(c.c_ulong))[0]
        return None
    finally:
        x11.XFree(datos)


def tamano(ventana):
    atributos = c.create_string_buffer(256)  # XWindowAttributes: x, y, width, height first
    if not x11.XGetWindowAttributes(pantalla, ventana, atributos):
        return 0, 0
    _, _, ancho, alto = struct.unpack_from("iiii", atributos.raw)
    return ancho, alto


def franja(ventana):
    """The band from 20 % to 55 % of the window's height, as 32-bit pixels."""
    ancho, alto = tamano(ventana)
    if ancho <= 0 or alto <= 0:
        return None
    y0, y1 = alto * 20 // 100, alto * 55 // 100
    imagen = x11.XGetImage(pantalla, ventana, 0, y0, ancho, y1 - y0, 0xFFFFFFFF, 2)  # ZPixmap
    if not imagen:
        return None
    try:
        datos, = struct.unpack_from("P", c.string_at(imagen + 16, 8))
        por_linea, bits = struct.unpack_from("ii", c.string_at(imagen + 44, 8))
        if bits != 32:
            sys.exit(f"almanaque_proceso.sh: se esperaban 32 bits por píxel, no {bits}")
        return ancho, y1 - y0, c.string_at(datos, por_linea * (y1 - y0))
    finally:
        x11.XDestroyImage(imagen)


def pintada(ventana, guarda=None):
    f = franja(ventana)
    if f is None:
        return False
    ancho, alto, datos = f
    colores = set(memoryview(datos).cast("I")[::7])
    if len(colores) <= 16:
        return False
    if guarda:
        with open(guarda, "wb") as salida:
            salida.write(b"P6 %d %d 255\n" % (ancho, alto))
            pixeles = memoryview(datos).cast("I")
            salida.write(bytes(b for p in pixeles for b in ((p >> 16) & 255, (p >> 8) & 255, p & 255)))
    return True


def siguientes_eventos(limite):
    """The X events that arrive before `limite` (time.perf_counter), one by one."""
    while True:
        while x11.XPending(pantalla):
            x11.XNextEvent(pantalla, evento)
            yield evento.raw
        queda = limite - time.perf_counter()
        if queda <= 0:
            return
        select.select([conexion], [], [], queda)


def lanza(programa):
    return subprocess.Popen([programa], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def espera_ventana(proceso, titulo, inicio, guarda=None, limite=30.0):
    """Waits for the process's window titled `titulo`: the seconds from
    `inicio` to its mapping and to its first paint, and the window."""
    ventana, dano_ventana, mapeo = None, None, None
    for e in siguientes_eventos(inicio + limite):
        tipo = struct.unpack_from("i", e)[0]
        ahora = time.perf_counter()
        if ventana is None and tipo == MapNotify:
            mapeada, = struct.unpack_from("L", e, 40)
            nombre = propiedad(mapeada, nombre_net, utf8)
            if (propiedad(mapeada, pid_net, CARDINAL) == proceso.pid and nombre is not None
                    and titulo(nombre.decode("utf-8", "replace"))):
                ventana, mapeo = mapeada, ahora - inicio
                dano_ventana = dano.XDamageCreate(pantalla, ventana, XDamageReportRawRectangles)
                x11.XFlush(pantalla)
                # Painted before the damage was asked for?
                if pintada(ventana, guarda):
                    break
        elif ventana is not None and tipo == DamageNotify:
            if struct.unpack_from("L", e, 32)[0] == ventana and pintada(ventana, guarda):
                break
    else:
        raise SystemExit(f"almanaque_proceso.sh: la ventana no se pintó en {limite} s")
    pintura = time.perf_counter() - inicio
    dano.XDamageDestroy(pantalla, dano_ventana)
    x11.XSync(pantalla, 0)
    return mapeo, pintura, ventana


def termina(proceso):
    proceso.send_signal(signal.SIGTERM)
    proceso.wait()
    # The events of its windows going away, read and dropped.
    x11.XSync(pantalla, 0)
    for _ in siguientes_eventos(time.perf_counter() + 0.05):
        pass


programas = {
    "vespalba-almanaque": (almanaque, lambda t: t.endswith("— Vespalba: almanaque")),
    "ventana vacía (vara)": (vacia, lambda t: t.startswith("Ventana vacía")),
    "vespalba (calculadora)": (calculadora, lambda t: t.startswith("Vespalba del Sol")),
}
medidas = {nombre: ([], []) for nombre in programas}
guarda = os.environ.get("MARCO")
for vuelta in range(2 + corridas):
    for nombre, (programa, titulo) in programas.items():
        inicio = time.perf_counter()
        proceso = lanza(programa)
        mapeo, pintura, _ = espera_ventana(proceso, titulo, inicio,
                                           guarda if nombre == "vespalba-almanaque" else None)
        guarda = None if nombre == "vespalba-almanaque" else guarda
        termina(proceso)
        if vuelta >= 2:
            medidas[nombre][0].append(mapeo * 1000)
            medidas[nombre][1].append(pintura * 1000)


def p95(xs):
    xs = sorted(xs)
    return xs[max(0, -(-95 * len(xs) // 100) - 1)]


print(f"Desde exec hasta la ventana, Xvfb sin gestor de ventanas; {corridas} corridas de cada "
      f"programa, alternadas; {os.cpu_count()} núcleos; carga media al terminar: "
      f"{os.getloadavg()[0]:.2f}")
print(f"| {'programa':<22} | {'hasta':<9} | {'mediana':>9} | {'p95':>9} | {'media':>9} "
      f"| {'mínimo':>9} |")
print(f"|{'-' * 24}|{'-' * 11}|{'-' * 11}|{'-' * 11}|{'-' * 11}|{'-' * 11}|")
for nombre, (mapeos, pinturas) in medidas.items():
    for hasta, xs in (("mapeada", mapeos), ("pintada", pinturas)):
        ms = lambda v: f"{v:.1f} ms"
        print(f"| {nombre:<22} | {hasta:<9} | {ms(statistics.median(xs)):>9} | {ms(p95(xs)):>9} "
              f"| {ms(statistics.mean(xs)):>9} | {ms(min(xs)):>9} |")
print()
for indice, hasta in ((0, "mapeada"), (1, "pintada")):
    propia = statistics.median(medidas["vespalba-almanaque"][indice])
    vara = statistics.median(medidas["ventana vacía (vara)"][indice])
    print(f"Almanaque / ventana vacía, medianas hasta {hasta}: {propia:.1f} / {vara:.1f} ms "
          f"= {propia / vara:.2f}" + (" (meta: ≤ 1.25)" if hasta == "pintada" else ""))


def memoria(pid):
    kb = {}
    with open(f"/proc/{pid}/status") as estado:
        for linea in estado:
            clave, _, valor = linea.partition(":")
            if clave in ("VmRSS", "VmHWM"):
                kb[clave] = int(valor.split()[0])
    return kb


def cargada(pid, biblioteca):
    with open(f"/proc/{pid}/maps") as mapas:
        return any(biblioteca in linea for linea in mapas)


print()
print("Memoria residente de vespalba-almanaque (/proc/PID/status), la mayor de 3 corridas:")
pico = {"abierta": {"VmRSS": 0, "VmHWM": 0}, "con el nomenclátor": {"VmRSS": 0, "VmHWM": 0}}
almanaque_titulo = programas["vespalba-almanaque"][1]
for _ in range(3):
    proceso = lanza(almanaque)
    _, _, ventana = espera_ventana(proceso, almanaque_titulo, time.perf_counter())
    time.sleep(0.5)
    for clave, valor in memoria(proceso.pid).items():
        pico["abierta"][clave] = max(pico["abierta"][clave], valor)
    subprocess.run(["xdotool", "windowfocus", "--sync", str(ventana)], check=True)
    subprocess.run(["xdotool", "key", "ctrl+f"], check=True)
    subprocess.run(["xdotool", "type", "--delay", "120", "concep"], check=True)
    # The gazetteer's library in the process, and its suggestions' list shown.
    limite = time.perf_counter() + 10
    while not cargada(proceso.pid, "libgeonames") and time.perf_counter() < limite:
        time.sleep(0.05)
    if not cargada(proceso.pid, "libgeonames"):
        sys.exit("almanaque_proceso.sh: escribir en la caja del lugar no abrió el nomenclátor")
    time.sleep(1.0)
    for clave, valor in memoria(proceso.pid).items():
        pico["con el nomenclátor"][clave] = max(pico["con el nomenclátor"][clave], valor)
    termina(proceso)
print(f"| {'estado':<20} | {'VmRSS':>9} | {'VmHWM (pico)':>12} |")
print(f"|{'-' * 22}|{'-' * 11}|{'-' * 14}|")
for estado, kb in pico.items():
    print(f"| {estado:<20} | {kb['VmRSS'] / 1024:>6.1f} MB | {kb['VmHWM'] / 1024:>9.1f} MB |")
EOF
