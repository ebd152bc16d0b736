#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the running almanac window with the keyboard (xdotool) and reads
it through the desktop's accessibility bus (AT-SPI), as a screen reader's
user would; then photographs the screen and measures its key texts.

  1. Ctrl+F, "Concep" typed, "Concepción, Región del Biobío, Chile" chosen
     from the suggestions with Down and Return (its row found by reading the
     list); the Sun table's "Orto" and "Ocaso" hours, read from its cells,
     must be vespalba-tabla's for Concepción on 2026-09-06, and the place
     line must name Concepción and America/Santiago.
  2. Alt+Page_Down: the date box and the day's title must say 6 October
     2026, and the hours be vespalba-tabla's for that day; Ctrl+2, the
     month's table: 31 rows, the 6th chosen, its Sun cells the same; Ctrl+1,
     the day again. The Moon's and the seasons' texts must be readable.
  3. Ctrl+F, "Xqzwvt" typed, Return: the message under the place box must
     show, naming "Xqzwvt", and the results stay Concepción's.
  4. The screen as a picture (PPM, and PNG for a person); each key text's
     box from its screen extents on the bus; the contrast ratio (WCAG 2)
     between its standing-out pixel and its box's background, at least
     4.5:1.
Ends with Ctrl+Q. Every wait is bounded. A step that cannot go on ends the
run at once with status 1; a wrong reading or figure is reported, the run
goes on, and it ends with status 1.

Run by almanaque_e2e.sh, which starts the X server, the window manager, the
buses and the program. Needs Debian's python3-gi, gir1.2-atspi-2.0, xdotool
and imagemagick.
"""

import argparse
import faulthandler
import json
import os
import re
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The helpers beside this script, without leaving compiled files in the
# source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import contraste_almanaque as contraste  # noqa: E402
from atspi_comun import (anota, busca, caja, espera, estado, falla, fotografia,  # noqa: E402
                         hijos, por_nombre, termina, teclas, texto, texto_propio)
import atspi_comun  # noqa: E402

LUGAR_ELEGIDO = "Concepción, Región del Biobío, Chile"
LUGAR_DESCONOCIDO = "Xqzwvt"
ZONA = "America/Santiago"
MINIMO = 4.5  # WCAG 2, normal text

class Sucesos:
    """What the bus announces, as a screen reader hears it: the place
    suggestions' list is a pop-up window, which the application's tree of
    windows leaves out; a screen reader knows it from its events (the list
    shown, a row focused), and so does this reader."""

    NOMBRE_LISTA = "Lugares que coinciden"

    def __init__(self):
        self.lista = None
        self.anunciadas = []  # the names of the list's rows focused, in order
        self.oyente = Atspi.EventListener.new(self.suceso)
        for tipo in ("object:state-changed:showing", "object:state-changed:focused",
                     "object:selection-changed"):
            self.oyente.register(tipo)

    def suceso(self, evento):
        try:
            fuente = evento.source
            papel = fuente.get_role()
            if papel == Atspi.Role.LIST_ITEM:
                padre = fuente.get_parent()
                if padre is not None and padre.get_name() == self.NOMBRE_LISTA:
                    self.lista = padre
                    if evento.type.endswith(":focused") and evento.detail1:
                        self.anunciadas.append(fuente.get_name())
            elif papel == Atspi.Role.LIST and fuente.get_name() == self.NOMBRE_LISTA:
                self.lista = fuente
        except GLib.Error:
            pass  # a row gone before being read: the list is rebuilt as one types

    @staticmethod
    def atiende():
        """Hands the events received so far to the listener."""
        atspi_comun.atiende()


sucesos = None


def hora_de_tabla(texto_json):
    """vespalba-tabla's window form of an hour (" 8: 5") as the window's
    table writes it ("8:05")."""
    m = re.fullmatch(r"\s*(\d+):\s*(\d+)\s*", texto_json or "")
    if not m:
        falla(f"vespalba-tabla dio la hora {texto_json!r}")
    return f"{int(m.group(1))}:{int(m.group(2)):02d}"


def referencia(ruta):
    with open(ruta, encoding="utf-8") as f:
        dia = json.loads(f.readline())
    return {"Orto": hora_de_tabla(dia["textos"]["Orto"]),
            "Ocaso": hora_de_tabla(dia["textos"]["Ocaso"])}


class Ventana:
    """The program's objects on the bus, found once."""

    def __init__(self, pid):
        self.app = atspi_comun.aplicacion(pid)
        self.marco = espera(lambda: busca(self.app, lambda o: o.get_role() == Atspi.Role.FRAME
                                          and "Vespalba: almanaque" in o.get_name()),
                            "la ventana del almanaque")

        def uno(que, condicion):
            objeto = espera(lambda: busca(self.marco, condicion), que, 10.0)
            return objeto
        editables = (Atspi.Role.TEXT, Atspi.Role.ENTRY)
        self.lugar = uno("la caja «Lugar»", por_nombre("Lugar", *editables))
        self.aviso = uno("la etiqueta «Aviso del lugar»",
                         por_nombre("Aviso del lugar", Atspi.Role.LABEL))
        self.zona = uno("la caja de la zona", lambda o: o.get_role() == Atspi.Role.COMBO_BOX
                        and o.get_name().startswith("Zona del lugar"))
        self.fecha = uno("la caja «Fecha»", por_nombre("Fecha", Atspi.Role.SPIN_BUTTON,
                                                       *editables))
        self.linea = uno("la línea «Lugar y zona mostrados»",
                         por_nombre("Lugar y zona mostrados", Atspi.Role.LABEL))
        # The day's title has no name of its own: its text is its name.
        self.titulo = uno("el título del día", lambda o: o.get_role() == Atspi.Role.LABEL
                          and re.fullmatch(r"\w+, \d{1,2} de \w+ de \d{4}", o.get_name() or ""))
        self.sol = uno("la tabla «El Sol y los crepúsculos del día»",
                       por_nombre("El Sol y los crepúsculos del día", Atspi.Role.TABLE))
        self.luna = uno("la tabla «Orto y ocaso de la Luna»",
                        por_nombre("Orto y ocaso de la Luna", Atspi.Role.TABLE))
        self.grupo_luna = uno("el grupo «La Luna»", por_nombre("La Luna"))
        self.fases = uno("la etiqueta «Próximas fases de la Luna»",
                         por_nombre("Próximas fases de la Luna", Atspi.Role.LABEL))
        self.estaciones = uno("la etiqueta «Solsticios y equinoccios»",
                              por_nombre("Solsticios y equinoccios", Atspi.Role.LABEL))
        self.franja = uno("la franja del día", por_nombre("Franja del día"))
        for t in (self.sol, self.luna):
            if "Table" not in t.get_interfaces():
                falla(f"«{t.get_name()}» no ofrece la interfaz de tabla")

    def texto_luna(self):
        """The Moon's text beside its drawing: the group's label that is
        not the phases'. Its text is its name."""
        for o in hijos(self.grupo_luna):
            if o.get_role() == Atspi.Role.LABEL and o.get_name() != self.fases.get_name():
                return o
        return None

    def filas(self, tabla):
        """{event: [cells]} of a table of events, read as a screen reader
        reads each cell: "Orto: 7:57"."""
        filas = {}
        for r in range(tabla.get_n_rows()):
            celdas = [tabla.get_accessible_at(r, c) for c in range(tabla.get_n_columns())]
            nombre = (celdas[0].get_name() or "").split(": ", 1)[0]
            filas[nombre] = celdas
        return filas

    def hora(self, suceso):
        """The Sun table's hour of that event, from its "Hora" cell."""
        filas = self.filas(self.sol)
        if suceso not in filas:
            falla(f"la tabla del Sol no tiene fila «{suceso}»: {sorted(filas)}")
        nombre = filas[suceso][1].get_name() or ""
        m = re.fullmatch(re.escape(suceso) + r": ([^,]*)(, .*)?", nombre)
        if not m:
            falla(f"la celda de la hora de «{suceso}» dice {nombre!r}")
        return m.group(1)

    def lista(self):
        """The suggestions' list when it shows (known from its events)."""
        Sucesos.atiende()
        lista = sucesos.lista
        if lista is not None and estado(lista, Atspi.StateType.SHOWING):
            return lista
        return None


def compara_horas(v, ref, cuando):
    for suceso in ("Orto", "Ocaso"):
        hora = v.hora(suceso)
        if hora != ref[suceso]:
            anota(f"{cuando}: «{suceso}» dice {hora!r}, vespalba-tabla {ref[suceso]!r}")
        else:
            print(f"{cuando}: «{suceso}» {hora}, como vespalba-tabla", flush=True)


def foco_en_lugar(v):
    teclas("key", "ctrl+f")
    espera(lambda: estado(v.lugar, Atspi.StateType.FOCUSED), "el foco en «Lugar» tras Ctrl+F")


def elige_lugar(v, ref):
    foco_en_lugar(v)
    teclas("type", "--delay", "60", "Concep")
    espera(lambda: texto_propio(v.lugar) == "Concep", "«Concep» en la caja «Lugar»")

    # A row reads "Concepción, Región del Biobío, Chile, 36° 49.619' S, ...".
    def es_la_buscada(nombre):
        return nombre == LUGAR_ELEGIDO or nombre.startswith(LUGAR_ELEGIDO + ", ")

    def fila_buscada():
        lista = v.lista()
        if lista is None:
            return None
        nombres = [o.get_name() for o in hijos(lista) if o.get_role() == Atspi.Role.LIST_ITEM]
        indices = [i for i, n in enumerate(nombres) if es_la_buscada(n)]
        return (lista, nombres, indices[0]) if indices else None
    lista, nombres, indice = espera(fila_buscada, f"«{LUGAR_ELEGIDO}» en la lista de sugerencias")
    print(f"sugerencias para «Concep»: {len(nombres)}; «{LUGAR_ELEGIDO}» en la fila {indice}:"
          f" {nombres[indice]!r}", flush=True)

    def elegida():
        filas = [o for o in hijos(lista) if o.get_role() == Atspi.Role.LIST_ITEM]
        for i, o in enumerate(filas):
            if estado(o, Atspi.StateType.SELECTED):
                return i
        return -1
    print(f"fila elegida al abrirse la lista: {elegida()}", flush=True)
    # Down until the wanted row is the chosen one; each press waits for the
    # choice to move.
    pulsaciones = 0
    while elegida() != indice:
        if pulsaciones > len(nombres) + 1:
            falla(f"tras {pulsaciones} flechas abajo la fila elegida es {elegida()}")
        antes = elegida()
        teclas("key", "Down")
        pulsaciones += 1
        espera(lambda: elegida() != antes, "la fila elegida tras la flecha abajo", 5.0)
    print(f"fila {indice} elegida con {pulsaciones} flechas abajo", flush=True)
    Sucesos.atiende()
    if not sucesos.anunciadas or not es_la_buscada(sucesos.anunciadas[-1]):
        anota(f"la fila elegida no se anunció con el foco: {sucesos.anunciadas[-3:]!r}")
    else:
        print(f"anunciada con el foco: {sucesos.anunciadas[-1]!r}", flush=True)
    teclas("key", "Return")
    espera(lambda: texto_propio(v.lugar).startswith("Concepción"),
           "Concepción en la caja «Lugar» tras Entrar")
    espera(lambda: v.lista() is None, "el cierre de la lista de sugerencias", 5.0)
    # The title, the line and the tables change in one go.
    espera(lambda: v.marco.get_name().startswith("Concepción"),
           "Concepción en el título de la ventana", 10.0)
    compara_horas(v, ref, "Concepción, 2026-09-06")

    linea = texto(v.linea)
    print(f"línea del lugar, leída: {linea!r}", flush=True)
    for palabra in ("Concepción", ZONA):
        if palabra not in linea:
            anota(f"la línea «Lugar y zona mostrados» (lineaLugar) no da a leer «{palabra}» "
                  f"por el bus (nombre, descripción y texto: {linea!r})")


def mueve_mes(v, ref):
    teclas("key", "alt+Next")
    espera(lambda: texto_propio(v.fecha) == "06/10/2026",
           "06/10/2026 en la caja «Fecha» tras Alt+AvPág")
    titulo = espera(lambda: "octubre" in v.titulo.get_name() and v.titulo.get_name(),
                    "octubre en el título del día")
    print(f"tras Alt+AvPág: fecha {texto_propio(v.fecha)!r}, título {titulo!r}", flush=True)
    if titulo != "martes, 6 de octubre de 2026":
        anota(f"el título del día dice {titulo!r}, se esperaba «martes, 6 de octubre de 2026»")
    compara_horas(v, ref, "Concepción, 2026-10-06")


def vista_del_mes(v, ref):
    """Ctrl+2: the month's table, a row a day, the date's row current and
    its Sun cells as the day's; Ctrl+1: the day again."""
    mes = busca(v.marco, por_nombre("Los días del mes", Atspi.Role.TABLE))
    if mes is None:
        falla("no hay tabla «Los días del mes»")
    teclas("key", "ctrl+2")
    espera(lambda: estado(mes, Atspi.StateType.SHOWING), "la tabla del mes tras Ctrl+2", 5.0)
    filas = mes.get_n_rows()
    if filas != 31:
        anota(f"la tabla del mes de octubre tiene {filas} filas")
    columnas = {}
    for c in range(mes.get_n_columns()):
        encabezado = mes.get_column_header(c)
        if encabezado is not None:
            columnas[" ".join((encabezado.get_name() or "").split())] = c
    for suceso in ("Orto", "Ocaso"):
        c = columnas.get(f"Sol {suceso}")
        if c is None:
            anota(f"la tabla del mes no tiene columna «Sol {suceso}»: {sorted(columnas)}")
            continue
        celda = mes.get_accessible_at(5, c).get_name()
        if celda != ref[suceso]:
            anota(f"la tabla del mes, día 6, «Sol {suceso}» dice {celda!r}, "
                  f"vespalba-tabla {ref[suceso]!r}")
        else:
            print(f"tabla del mes, día 6: «Sol {suceso}» {celda}, como vespalba-tabla",
                  flush=True)
    elegidas = [r for r in range(filas) if mes.is_row_selected(r)]
    if elegidas != [5]:
        anota(f"en la tabla del mes están elegidas las filas {elegidas}, no la del día 6")
    teclas("key", "ctrl+1")
    espera(lambda: estado(v.sol, Atspi.StateType.SHOWING), "la tabla del Sol tras Ctrl+1", 5.0)


def lecturas(v):
    """The day's texts that a screen reader must be able to read: the
    Moon's phases and the seasons, by their names, descriptions or texts."""
    for que, objeto, palabras in (("fasesLuna", v.fases, ("Luna nueva", "Luna llena")),
                                  ("estaciones", v.estaciones, ("Solsticio de diciembre",)),
                                  ("textoLuna", v.texto_luna(), ("iluminada",))):
        leido = texto(objeto) if objeto is not None else ""
        faltan = [p for p in palabras if p not in leido]
        if faltan:
            anota(f"«{que}» no da a leer {faltan} por el bus (nombre, descripción y texto: "
                  f"{leido!r})")
        else:
            print(f"«{que}», leído: {leido!r}", flush=True)


def lugar_desconocido(v):
    orto = v.hora("Orto")
    foco_en_lugar(v)
    teclas("type", "--delay", "60", LUGAR_DESCONOCIDO)
    espera(lambda: texto_propio(v.lugar) == LUGAR_DESCONOCIDO,
           f"«{LUGAR_DESCONOCIDO}» en la caja «Lugar»")
    if v.lista() is not None:
        # Something matched after all: Escape closes the list, so that
        # Return reads the text rather than a row.
        print("la lista de sugerencias se abrió; Escape la cierra", flush=True)
        teclas("key", "Escape")
        espera(lambda: v.lista() is None, "el cierre de la lista con Escape", 5.0)
    teclas("key", "Return")
    espera(lambda: estado(v.aviso, Atspi.StateType.SHOWING), "el aviso bajo la caja «Lugar»")
    aviso = texto(v.aviso)
    print(f"aviso del lugar, leído: {aviso!r}", flush=True)
    if LUGAR_DESCONOCIDO not in aviso:
        anota(f"el aviso del lugar no nombra «{LUGAR_DESCONOCIDO}»: {aviso!r}")
    if v.hora("Orto") != orto:
        anota(f"tras el aviso el Orto dice {v.hora('Orto')!r}, antes {orto!r}")
    if texto_propio(v.lugar) != LUGAR_DESCONOCIDO:
        anota(f"la caja «Lugar» dice {texto_propio(v.lugar)!r} tras el aviso")
    if "Concepción" not in v.marco.get_name():
        anota(f"tras el aviso la ventana se llama {v.marco.get_name()!r}")
    print(f"tras el aviso: Orto {v.hora('Orto')}, ventana «{v.marco.get_name()}»", flush=True)


def cajas_de_textos(v):
    """[(name, box)] of the key texts, boxes in screen pixels, cut to
    where the text stands (inside a box's border, left of its buttons)."""
    cajas = []

    def agrega(nombre, objeto, recorte=(0, 0, 0, 0)):
        if objeto is None:
            anota(f"{nombre}: no está en el bus")
            return
        x, y, w, h = caja(objeto)
        if w <= 0 or h <= 0 or not estado(objeto, Atspi.StateType.SHOWING):
            anota(f"{nombre}: sin lugar en la pantalla ({x}, {y}, {w} x {h})")
            return
        izq, arr, der, aba = recorte
        cajas.append((nombre, (x + izq, y + arr, w - izq - der, h - arr - aba)))

    agrega("lineaLugar", v.linea)
    agrega("tituloDia", v.titulo)
    agrega("avisoLugar", v.aviso)
    # The place box: inside its border, left of its clear button.
    x, _, w, _ = caja(v.lugar)
    boton = next(hijos(v.lugar), None)
    derecha = (x + w - caja(boton)[0]) if boton is not None else 0
    agrega("cajaLugar", v.lugar, (3, 3, max(3, derecha), 3))
    # The zone box's editable text, inside its border.
    editable = busca(v.zona, lambda o: o.get_role() in (Atspi.Role.TEXT, Atspi.Role.ENTRY))
    agrega("cajaZona", editable, (1, 1, 1, 1))
    # The date box: inside its border, left of its calendar button (as wide
    # as the box is high).
    h = caja(v.fecha)[3]
    agrega("cajaFecha", v.fecha, (3, 3, h + 2, 3))
    filas = v.filas(v.sol)
    for suceso, columnas in (("Orto", (0, 1)), ("Ocaso", (1,)), ("Mediodía solar", (0, 1, 2)),
                             ("Aurora civil", (0, 1)), ("Horas de luz", (0, 1, 2))):
        for c in columnas:
            celda = filas.get(suceso, [None] * 3)[c]
            agrega(f"tablaSol[{suceso}, {('Suceso', 'Hora', 'Nota')[c]}]", celda)
    agrega("tablaSol[encabezado Hora]", v.sol.get_column_header(1))
    for suceso, celdas in v.filas(v.luna).items():
        agrega(f"tablaLuna[{suceso}, Hora]", celdas[1])
    agrega("textoLuna", v.texto_luna())
    agrega("fasesLuna", v.fases)
    agrega("estaciones", v.estaciones)
    # The strip of the day paints its hours' numbers in a row of one line
    # of text: its height is 3 lines + 25 px (1 px, the events' upper row,
    # 2 px, the 16-px band, a 5-px tick, the hours' row, the events' lower
    # row, 1 px), so the row starts one line + 24 px from its top. Its
    # events' upper row starts 1 px from its top.
    x, y, w, h = caja(v.franja)
    linea = (h - 25) // 3
    agrega("franjaDia[horas]", v.franja, (0, linea + 24, 0, h - (2 * linea + 24)))
    agrega("franjaDia[sucesos]", v.franja, (0, 1, 0, h - (linea + 1)))
    for o in hijos(busca(v.marco, lambda o: o.get_role() == Atspi.Role.PAGE_TAB_LIST)):
        if o.get_role() == Atspi.Role.PAGE_TAB:
            agrega(f"pestaña {o.get_name()}", o, (2, 2, 2, 2))
    agrega("botonHoy", busca(v.marco, por_nombre("Hoy", Atspi.Role.PUSH_BUTTON)), (3, 3, 3, 3))
    return cajas


def mide_contraste(v, tema, captura, png):
    fotografia(captura, png)
    imagen = contraste.lee_ppm(captura)
    print(f"captura del tema {tema}: {png}", flush=True)
    for nombre, zona in cajas_de_textos(v):
        medida = contraste.mide(imagen, zona)
        if medida is None:
            anota(f"tema {tema}: {nombre} queda fuera de la pantalla {zona}")
            continue
        razon, fondo, tinta = medida
        x, y, w, h = zona
        aviso = ""
        if razon < 1.5:
            aviso = "  FALLO: no se ve texto"
            anota(f"tema {tema}: {nombre}: no se ve texto en ({x}, {y}, {w} x {h}), "
                  f"{razon:.2f}:1")
        elif razon < MINIMO:
            aviso = "  FALLO"
            anota(f"tema {tema}: {nombre}: contraste {razon:.2f}:1, menos de {MINIMO}:1 "
                  f"(texto {contraste.hex_de(tinta)} sobre {contraste.hex_de(fondo)})")
        print(f"{tema:7s} {nombre:34s} {razon:5.2f}:1  texto {contraste.hex_de(tinta)} sobre "
              f"{contraste.hex_de(fondo)}  en ({x}, {y}, {w} x {h}){aviso}", flush=True)


def main():
    opciones = argparse.ArgumentParser()
    opciones.add_argument("--tema", required=True)
    opciones.add_argument("--pid", type=int, required=True)
    opciones.add_argument("--referencia", required=True)
    opciones.add_argument("--referencia-mes", required=True)
    opciones.add_argument("--captura", required=True)
    opciones.add_argument("--png", required=True)
    a = opciones.parse_args()

    global sucesos
    faulthandler.enable()  # a crash in the bus library still says where
    Atspi.init()
    sucesos = Sucesos()
    v = Ventana(a.pid)
    inicial = v.hora("Orto")
    print(f"al abrir: «{v.marco.get_name()}», fecha {texto_propio(v.fecha)!r}, "
          f"Orto {inicial}", flush=True)
    if texto_propio(v.fecha) != "06/09/2026":
        falla(f"la caja «Fecha» dice {texto_propio(v.fecha)!r}: el reloj falso no llegó")

    elige_lugar(v, referencia(a.referencia))
    mueve_mes(v, referencia(a.referencia_mes))
    vista_del_mes(v, referencia(a.referencia_mes))
    lecturas(v)
    lugar_desconocido(v)
    mide_contraste(v, a.tema, a.captura, a.png)

    teclas("key", "ctrl+q")
    termina(f"recorrido del tema {a.tema}")


if __name__ == "__main__":
    main()
