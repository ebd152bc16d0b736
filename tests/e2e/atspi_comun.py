# SPDX-License-Identifier: GPL-3.0-or-later
"""What the end-to-end readers of the almanac window share: reading the
program through the desktop's accessibility bus (AT-SPI) as a screen reader
does, pressing keys with xdotool, photographing the screen, and reporting.
Needs Debian's python3-gi, gir1.2-atspi-2.0, xdotool and imagemagick."""

import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

inicio = time.monotonic()
fallos = []


def falla(mensaje):
    """A step that cannot go on: the run ends here."""
    print(f"FALLO: {mensaje}", file=sys.stderr, flush=True)
    sys.exit(1)


def anota(mensaje):
    """A wrong reading: reported now, the run goes on and fails at its end."""
    print(f"FALLO: {mensaje}", file=sys.stderr, flush=True)
    fallos.append(mensaje)


def termina(que):
    """Ends the run: status 1, with the list, if a reading was wrong."""
    print(f"{que} en {time.monotonic() - inicio:.1f} s", flush=True)
    if fallos:
        print(f"FALLO: {len(fallos)} comprobaciones fallaron ({que}):", file=sys.stderr)
        for f in fallos:
            print(f"  {f}", file=sys.stderr)
        sys.exit(1)


def atiende():
    """Hands the bus's events received so far to their listeners."""
    contexto = GLib.MainContext.default()
    while contexto.pending():
        contexto.iteration(False)


def espera(condicion, que, plazo=20.0):
    """Polls condicion() every 0.1 s, the bus's events heard in between,
    until it returns a true value, which is returned; fails after plazo
    seconds."""
    fin = time.monotonic() + plazo
    while True:
        atiende()
        try:
            resultado = condicion()
        except GLib.Error:
            resultado = None  # an object went away while being read
        if resultado:
            return resultado
        if time.monotonic() > fin:
            falla(f"{que}: nada tras {plazo:.0f} s")
        time.sleep(0.1)


def teclas(*args):
    """xdotool key/type, to the window that has the keyboard focus."""
    subprocess.run(["xdotool", *args], check=True, timeout=30)


def hijos(objeto):
    for i in range(objeto.get_child_count()):
        hijo = objeto.get_child_at_index(i)
        if hijo is not None:
            yield hijo


def busca(raiz, condicion):
    """The first object under raiz (depth first) for which condicion holds;
    None when there is none. Tables and lists are not entered (the month's
    hundreds of cells, the zone list's hundreds of zones): their cells are
    read through the table interface."""
    pila = [raiz]
    while pila:
        objeto = pila.pop()
        if condicion(objeto):
            return objeto
        if objeto.get_role() not in (Atspi.Role.TABLE, Atspi.Role.LIST):
            pila.extend(reversed(list(hijos(objeto))))
    return None


def por_nombre(nombre, *roles):
    return lambda o: o.get_name() == nombre and (not roles or o.get_role() in roles)


def estado(objeto, cual):
    return objeto.get_state_set().contains(cual)


def texto(objeto):
    """All that a screen reader can read of the object: its name, its
    description and its text, when it has one."""
    partes = [objeto.get_name() or "", objeto.get_description() or ""]
    if "Text" in objeto.get_interfaces():
        partes.append(objeto.get_text(0, -1) or "")
    return " | ".join(p for p in partes if p)


def texto_propio(objeto):
    """The text interface's text (an editable box's contents)."""
    return objeto.get_text(0, -1) if "Text" in objeto.get_interfaces() else None


def caja(objeto):
    """(x, y, width, height) on the screen."""
    e = objeto.get_extents(Atspi.CoordType.SCREEN)
    return (e.x, e.y, e.width, e.height)


def aplicacion(pid):
    """The program of that pid on the bus, its names and texts read fresh
    every time (they change under the reader). Under Qt's GTK 3 platform
    theme the process has two applications on the bus: GTK's own, empty,
    and Qt's."""
    def de_qt():
        for app in hijos(Atspi.get_desktop(0)):
            if app.get_process_id() == pid and app.get_toolkit_name() == "Qt":
                return app
        return None
    app = espera(de_qt, f"el programa (pid {pid}) en el bus", 30.0)
    app.set_cache_mask(Atspi.Cache.NONE)
    print(f"aplicación «{app.get_name()}» en el bus tras "
          f"{time.monotonic() - inicio:.1f} s", flush=True)
    return app


def fotografia(ppm, png):
    """The whole screen as a picture, in PPM (to measure) and PNG (for a
    person), once the mouse is away from every control (no tooltip, no
    hover) and the last key press's repaint is long done."""
    teclas("mousemove", "0", "0")
    time.sleep(1.0)
    subprocess.run(["import", "-window", "root", "-depth", "8", f"ppm:{ppm}"],
                   check=True, timeout=60)
    subprocess.run(["convert", f"ppm:{ppm}", f"png:{png}"], check=True, timeout=60)
