#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the running almanac window (Valparaíso, 2026-09-06) with the
keyboard and reads it through the accessibility bus, as a screen reader's
user would.

With --referencias (vespalba-tabla's mes.pdf, anio.pdf and anio.png there):
  1. Ctrl+P and Ctrl+Shift+P: the print preview shows "/ N", N the pages of
     vespalba-tabla's PDF of the month and of the year; Escape closes it.
  2. Ctrl+E, Guardar…, the path typed in the file dialog: the month as PDF,
     whose text (pdftotext -layout) and page sizes (pdfinfo) are
     vespalba-tabla's; then the format PNG and "El año": the year's chart,
     byte for byte vespalba-tabla's.
  3. The same into --solo-lectura, a folder the program may not write: a
     message naming the file, and no file there.
Always:
  4. Ctrl+3, the year: the chart says the chosen day (6 September); Right
     moves it to the 7th; the screen photographed (--png); Return chooses the
     7th, which the date box then shows.
Ends with Ctrl+Q.
"""

import argparse
import difflib
import faulthandler
import os
import re
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_comun import (anota, aplicacion, busca, espera, estado, falla,  # noqa: E402
                         fotografia, hijos, por_nombre, termina, teclas, texto,
                         texto_propio)

TITULO_VISTA = "Vista previa de la impresión"
VENTANAS = (Atspi.Role.DIALOG, Atspi.Role.FRAME, Atspi.Role.FILE_CHOOSER, Atspi.Role.ALERT,
            Atspi.Role.WINDOW)


def ventanas(app):
    """The program's top-level windows that show."""
    return [o for o in hijos(app)
            if o.get_role() in VENTANAS and estado(o, Atspi.StateType.SHOWING)]


def ventana(app, condicion, que, plazo=20.0):
    """The first showing window of the program for which condicion holds;
    failing, the windows that do show are named."""
    vistas = []

    def busca_ventana():
        vistas[:] = ventanas(app)
        return next((o for o in vistas if condicion(o)), None)
    try:
        return espera(busca_ventana, que, plazo)
    except SystemExit:
        print("ventanas a la vista: " + "; ".join(
            f"{o.get_role_name()} «{o.get_name()}»" for o in vistas), file=sys.stderr)
        raise


def se_cierra(app, objeto, que):
    espera(lambda: objeto not in ventanas(app), f"{que} se cierra", 20.0)


def paginas_de_pdf(ruta):
    salida = subprocess.run(["pdfinfo", ruta], capture_output=True, text=True, check=True,
                            timeout=60).stdout
    return int(re.search(r"^Pages:\s+(\d+)", salida, re.M).group(1))


def tamanos_de_pdf(ruta):
    salida = subprocess.run(["pdfinfo", "-f", "1", "-l", "999", ruta], capture_output=True,
                            text=True, check=True, timeout=60).stdout
    return re.findall(r"^Page\s+\d+ size:\s+(.*)$", salida, re.M)


def texto_de_pdf(ruta):
    """The PDF's text laid out, the producing program's name (at each
    page's foot) left out, and so the blanks its length moves."""
    texto = subprocess.run(["pdftotext", "-layout", ruta, "-"], capture_output=True, text=True,
                           check=True, timeout=60).stdout
    texto = re.sub(r"vespalba-(tabla|almanaque) ", "", texto)
    return "\n".join(" ".join(linea.split()) for linea in texto.splitlines())


def vista_previa(app, tecla, ruta_ref, que):
    """The print preview of `tecla`: its page count against the reference
    PDF's; Escape closes it."""
    esperadas = paginas_de_pdf(ruta_ref)
    teclas("key", tecla)
    vista = ventana(app, lambda o: o.get_name() == TITULO_VISTA, f"la vista previa {que}", 60.0)

    def total():
        etiqueta = busca(vista, lambda o: o.get_role() == Atspi.Role.LABEL
                         and re.fullmatch(r"/ \d+", o.get_name() or ""))
        return etiqueta.get_name() if etiqueta else None
    dice = espera(total, f"el total de páginas de la vista previa {que}")
    if dice != f"/ {esperadas}":
        anota(f"la vista previa {que} dice «{dice}»; el PDF de vespalba-tabla tiene "
              f"{esperadas} páginas")
    else:
        print(f"vista previa {que}: {esperadas} páginas, como el PDF de vespalba-tabla",
              flush=True)
    teclas("key", "Escape")
    se_cierra(app, vista, f"la vista previa {que}")


def dialogo_exportar(app):
    teclas("key", "ctrl+e")
    return ventana(app, lambda o: o.get_name() == "Exportar" and busca(
        o, lambda h: h.get_role() == Atspi.Role.RADIO_BUTTON), "el diálogo «Exportar»")


def guarda_como(app, dialogo, ruta):
    """Guardar… in the export dialog, then the path typed in the desktop's
    file dialog (its name box has the focus) and Return."""
    teclas("key", "alt+g")
    se_cierra(app, dialogo, "el diálogo «Exportar»")
    archivos = ventana(app, lambda o: o.get_name() == "Exportar", "el diálogo de archivos")
    time.sleep(0.3)  # its folder read and its name box focused
    teclas("key", "ctrl+a")
    teclas("type", "--delay", "5", ruta)
    teclas("key", "Return")
    se_cierra(app, archivos, "el diálogo de archivos")


def exporta(app, ruta, png_del_anio=False):
    dialogo = dialogo_exportar(app)
    if png_del_anio:
        # The format box, first in the dialog, has the keyboard.
        formato = busca(dialogo, lambda o: o.get_role() == Atspi.Role.COMBO_BOX)
        if formato is None:
            falla("el diálogo «Exportar» no tiene caja de formato")
        espera(lambda: estado(formato, Atspi.StateType.FOCUSED), "el foco en la caja del formato")
        teclas("key", "End")
        espera(lambda: "PNG" in texto(formato), "el formato PNG elegido")
        teclas("key", "alt+a")
        anio = busca(dialogo, lambda o: o.get_role() == Atspi.Role.RADIO_BUTTON
                     and o.get_name().startswith("El año"))
        espera(lambda: estado(anio, Atspi.StateType.CHECKED), "«El año» marcado")
    guarda_como(app, dialogo, ruta)


def espera_archivo(ruta, que):
    espera(lambda: os.path.isfile(ruta) and os.path.getsize(ruta) > 0, que, 120.0)


def exportaciones(app, referencias, salida, solo_lectura):
    mes = os.path.join(salida, "valparaiso-2026-09.pdf")
    exporta(app, mes)
    espera_archivo(mes, "el PDF del mes exportado")
    ref = os.path.join(referencias, "mes.pdf")
    if texto_de_pdf(mes) != texto_de_pdf(ref):
        diferencias = difflib.unified_diff(texto_de_pdf(ref).splitlines(),
                                           texto_de_pdf(mes).splitlines(), "vespalba-tabla",
                                           "almanaque", lineterm="", n=0)
        anota("el texto del PDF del mes no es el de vespalba-tabla:\n"
              + "\n".join(list(diferencias)[:20]))
    elif tamanos_de_pdf(mes) != tamanos_de_pdf(ref):
        anota(f"las páginas del PDF del mes miden {tamanos_de_pdf(mes)}, las de "
              f"vespalba-tabla {tamanos_de_pdf(ref)}")
    else:
        print(f"PDF del mes: {len(tamanos_de_pdf(mes))} páginas, el texto y los tamaños de "
              "vespalba-tabla", flush=True)

    anio = os.path.join(salida, "valparaiso-2026.png")
    exporta(app, anio, png_del_anio=True)
    espera_archivo(anio, "el PNG del año exportado")
    with open(anio, "rb") as a, open(os.path.join(referencias, "anio.png"), "rb") as b:
        nuestro, suyo = a.read(), b.read()
    if nuestro != suyo:
        anota(f"el PNG del año ({len(nuestro)} bytes) no es el de vespalba-tabla "
              f"({len(suyo)} bytes)")
    else:
        print(f"PNG del año: {len(nuestro)} bytes, los de vespalba-tabla", flush=True)

    prohibido = os.path.join(solo_lectura, "valparaiso-2026-09.pdf")
    exporta(app, prohibido)
    aviso = ventana(app, lambda o: "No se pudo escribir" in todo_el_texto(o),
                    "el aviso de que no se pudo escribir", 60.0)
    dice = todo_el_texto(aviso)
    if prohibido not in dice:
        anota(f"el aviso no nombra el archivo: {dice!r}")
    else:
        print(f"aviso: {dice!r}", flush=True)
    teclas("key", "Return")
    se_cierra(app, aviso, "el aviso")
    if os.listdir(solo_lectura):
        anota(f"quedaron archivos en la carpeta sin permiso: {os.listdir(solo_lectura)}")


def todo_el_texto(raiz):
    """The texts of raiz and of everything under it."""
    partes = []
    pila = [raiz]
    while pila:
        o = pila.pop()
        partes.append(texto(o))
        pila.extend(hijos(o))
    return " | ".join(p for p in partes if p)


def anio(app, marco, fecha, captura, png):
    teclas("key", "ctrl+3")
    grafico = espera(lambda: busca(marco, por_nombre("Gráfico de luz del año")),
                     "el gráfico del año")
    espera(lambda: estado(grafico, Atspi.StateType.SHOWING), "el gráfico del año a la vista")
    if not Atspi.Component.grab_focus(grafico):
        falla("el gráfico del año no toma el foco")
    espera(lambda: "6 de septiembre de 2026" in (grafico.get_description() or ""),
           "el gráfico dice el día elegido")
    teclas("key", "Right")
    dice = espera(lambda: "7 de septiembre de 2026" in (grafico.get_description() or "")
                  and grafico.get_description(), "el gráfico tras la flecha derecha")
    print(f"gráfico del año: {dice!r}", flush=True)
    fotografia(captura, png)
    print(f"captura: {png}", flush=True)
    teclas("key", "Return")
    espera(lambda: texto_propio(fecha) == "07/09/2026", "la fecha tras Return en el gráfico")
    print("Return en el gráfico: la fecha es 07/09/2026", flush=True)


def main():
    opciones = argparse.ArgumentParser()
    opciones.add_argument("--tema", required=True)
    opciones.add_argument("--pid", type=int, required=True)
    opciones.add_argument("--captura", required=True)
    opciones.add_argument("--png", required=True)
    opciones.add_argument("--referencias")
    opciones.add_argument("--salida")
    opciones.add_argument("--solo-lectura")
    a = opciones.parse_args()

    faulthandler.enable()
    Atspi.init()
    app = aplicacion(a.pid)
    marco = ventana(app, lambda o: o.get_role() == Atspi.Role.FRAME
                    and "Vespalba: almanaque" in o.get_name(), "la ventana del almanaque")
    fecha = espera(lambda: busca(marco, lambda o: o.get_name() == "Fecha"
                                 and "Text" in o.get_interfaces()), "la caja «Fecha»")
    if texto_propio(fecha) != "06/09/2026":
        falla(f"la caja «Fecha» dice {texto_propio(fecha)!r}: el reloj falso no llegó")

    if a.referencias:
        if os.geteuid() == 0:
            falla("el lector corre como root, que escribe en cualquier carpeta")
        vista_previa(app, "ctrl+p", os.path.join(a.referencias, "mes.pdf"), "del mes")
        vista_previa(app, "ctrl+shift+p", os.path.join(a.referencias, "anio.pdf"), "del año")
        exportaciones(app, a.referencias, a.salida, a.solo_lectura)
    anio(app, marco, fecha, a.captura, a.png)

    teclas("key", "ctrl+q")
    termina(f"recorrido del tema {a.tema}")


if __name__ == "__main__":
    main()
