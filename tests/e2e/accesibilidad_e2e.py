#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the running Vespalba through the desktop's accessibility bus
(AT-SPI), as a screen reader's user would, and checks what the bus reports.

Finds the application, the day box by its name "Día", presses "Calcular"
on the empty window and reads the message box that opens, closes it with
its button, chooses "Ejemplo" and presses "Calcular", and reads the sunrise
box "Orto Sol" and the moon boxes by their names. Ends with "Salir". Every
wait is bounded; the first failure ends the run with status 1.

Run by accesibilidad_e2e.sh, which starts the buses, the X server and the
program. Needs Debian's python3-gi and gir1.2-atspi-2.0.
"""

import os
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# The helpers beside this script, without leaving compiled files in the
# source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import atspi_comun  # noqa: E402
from atspi_comun import espera, falla, hijos, inicio, texto_propio as texto  # noqa: E402

NOMBRE_APLICACION = "Vespalba"
MENSAJE_DIA = "Verifique Ingreso del Día, (entre 1 y 31."
# The worked example's results, as the boxes show them.
ORTO_SOL = " 7: 50"
LUNA_PRIMERA = ("Orto Luna", " 10: 15")  # upper box: the rise comes first
LUNA_SEGUNDA = ("Ocaso Luna", " 20: 41")


def busca(raiz, nombre, roles=None):
    """The first object under raiz (depth first) with that accessible name
    and, when roles is given, one of those roles; None when there is none."""
    return atspi_comun.busca(raiz, lambda o: o.get_name() == nombre
                             and (roles is None or o.get_role() in roles))


def acciona(objeto, que):
    """Runs the object's first action ("Press" for a button, the menu
    item's own for a menu item)."""
    if objeto.get_n_actions() < 1:
        falla(f"{que}: sin acciones")
    objeto.do_action(0)


def aplicacion():
    escritorio = Atspi.get_desktop(0)
    for app in hijos(escritorio):
        if app.get_name() == NOMBRE_APLICACION:
            return app
    return None


def main():
    app = espera(aplicacion, f"la aplicación {NOMBRE_APLICACION} en el bus", 30.0)
    # Names and texts change under the reader: read them fresh every time.
    app.set_cache_mask(Atspi.Cache.NONE)
    print(f"aplicación en el bus tras {time.monotonic() - inicio:.1f} s")

    editables = (Atspi.Role.TEXT, Atspi.Role.ENTRY)
    dia = espera(lambda: busca(app, "Día", editables), "la caja «Día»")
    print(f"«Día»: papel {dia.get_role_name()}, texto {texto(dia)!r}")
    # A few more controls, each found by its name with its role.
    for nombre, papeles in (("Latitud, minutos", editables),
                            ("Latitud sur", (Atspi.Role.RADIO_BUTTON,)),
                            ("Zona al este", (Atspi.Role.RADIO_BUTTON,)),
                            ("Lugar", editables),  # the place list's text field
                            ("Orto Sol", editables)):
        if busca(app, nombre, papeles) is None:
            falla(f"no hay control «{nombre}» con papel {papeles[0].value_nick}")

    calcular = busca(app, "Calcular", (Atspi.Role.PUSH_BUTTON,))
    if calcular is None:
        falla("no hay botón «Calcular»")

    # The empty window: the day is rejected with a message box.
    acciona(calcular, "Calcular")
    alerta = espera(lambda: busca(app, "Vespalba", (Atspi.Role.ALERT, Atspi.Role.DIALOG)),
                    "el cuadro de mensaje")
    etiqueta = busca(alerta, MENSAJE_DIA, (Atspi.Role.LABEL, Atspi.Role.STATIC))
    if etiqueta is None:
        falla(f"el cuadro de mensaje ({alerta.get_role_name()}) no expone su texto")
    print(f"mensaje: {alerta.get_role_name()} «{alerta.get_name()}» con "
          f"{etiqueta.get_role_name()} {etiqueta.get_name()!r}")
    aceptar = busca(alerta, "Aceptar", (Atspi.Role.PUSH_BUTTON,))
    if aceptar is None:
        falla("el cuadro de mensaje no tiene botón «Aceptar»")
    acciona(aceptar, "Aceptar")
    espera(lambda: busca(app, "Vespalba", (Atspi.Role.ALERT, Atspi.Role.DIALOG)) is None,
           "el cierre del cuadro de mensaje")

    ejemplo = busca(app, "Ejemplo", (Atspi.Role.MENU_ITEM,))
    if ejemplo is None:
        falla("no hay orden «Ejemplo» en el menú")
    acciona(ejemplo, "Ejemplo")
    espera(lambda: texto(dia) == "2", "el día del ejemplo en «Día»")

    acciona(calcular, "Calcular")
    orto = espera(lambda: busca(app, "Orto Sol", editables), "la caja «Orto Sol»")
    espera(lambda: texto(orto) == ORTO_SOL, f"{ORTO_SOL!r} en «Orto Sol»", 10.0)
    print(f"«Orto Sol»: {texto(orto)!r}")
    for nombre, hora in (LUNA_PRIMERA, LUNA_SEGUNDA):
        caja = espera(lambda: busca(app, nombre, editables), f"la caja «{nombre}»")
        if texto(caja) != hora:
            falla(f"«{nombre}» dice {texto(caja)!r}, se esperaba {hora!r}")
        print(f"«{nombre}»: {texto(caja)!r}")

    salir = busca(app, "Salir", (Atspi.Role.MENU_ITEM,))
    if salir is None:
        falla("no hay orden «Salir» en el menú")
    acciona(salir, "Salir")
    print(f"recorrido completo en {time.monotonic() - inicio:.1f} s")


if __name__ == "__main__":
    main()
