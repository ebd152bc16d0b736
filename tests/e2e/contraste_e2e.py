# SPDX-License-Identifier: GPL-3.0-or-later
# contraste_e2e.py UI CLARA.ppm X Y OSCURA.ppm X Y
# Reads two pictures of the whole X screen (binary PPM) holding Vespalba's
# window after "Ejemplo" and "Calcular": one under the light desktop theme,
# one under a dark one; X Y is the top-left corner of the window's client
# area (below it, the menu bar) in each. For the window's key texts, placed
# as the window's description UI places them, it measures the contrast ratio
# (WCAG 2) between the pixel that stands out most and the colour most of the
# text's box has, prints both, and fails when the dark one is under the light
# one (a small margin for the letters' smoothing) or under 3:1 where the
# light one is not.
import sys
import xml.etree.ElementTree as ET

# The picture's reading and WCAG 2's ratio, shared with the almanac's test.
from contraste_almanaque import contraste, lee_ppm

# The key texts: (name, what part of the control holds the text).
TEXTOS = [
    ("Label23_1", "todo"), ("Label23_0", "todo"),          # the banner lines
    ("Frame3", "titulo"), ("Resultado", "titulo"),          # frame captions
    ("Frame5", "titulo"), ("FrameLuna", "titulo"),
    ("Label10", "todo"), ("Label18", "todo"), ("Label3", "todo"),
    ("Lss", "opcion"), ("Lnn", "opcion"), ("Gww", "opcion"),  # option letters
    ("Gee", "opcion"), ("Option1", "opcion"), ("Option2", "opcion"),
    ("FE1", "caja"), ("L3", "caja"),
    ("Label4", "todo"), ("HorasLuz", "caja"),               # hours of daylight
    ("Orto", "caja"), ("Ocaso", "caja"), ("ComAuroraCivil", "caja"),
    ("FinCrepAstro", "caja"), ("OcasoLuna", "caja"), ("TextAl", "caja"),
    ("Label14_0", "todo"), ("Label1", "todo"),
]


def zonas(ruta_ui):
    """Each named widget's rectangle in client-area coordinates."""
    raiz = ET.parse(ruta_ui).getroot()
    rects = {}

    def recorre(nodo, ox, oy):
        for w in nodo.findall("widget"):
            r = w.find("property[@name='geometry']/rect")
            x = y = 0
            if r is not None:
                x = ox + int(r.find("x").text)
                y = oy + int(r.find("y").text)
                rects[w.get("name")] = (x, y, int(r.find("width").text),
                                        int(r.find("height").text))
            recorre(w, x, y)

    area = raiz.find(".//widget[@name='areaCliente']")
    recorre(area, 0, 0)
    return rects


def mide(imagen, origen, zona):
    ancho, alto, px = imagen
    x0, y0, w, h = zona
    cuenta = {}
    for y in range(origen[1] + y0, origen[1] + y0 + h):
        for x in range(origen[0] + x0, origen[0] + x0 + w):
            if 0 <= x < ancho and 0 <= y < alto:
                k = 3 * (y * ancho + x)
                c = (px[k], px[k + 1], px[k + 2])
                cuenta[c] = cuenta.get(c, 0) + 1
    fondo = max(cuenta, key=cuenta.get)
    return max(contraste(fondo, c) for c in cuenta)


def texto(rects, nombre, parte):
    x, y, w, h = rects[nombre]
    if parte == "titulo":   # the caption, in the frame's top border
        return (x + 6, y, min(w - 12, 110), 14)
    if parte == "opcion":   # right of the round indicator
        return (x + 16, y, w - 16, h)
    if parte == "caja":     # inside the sunken border
        return (x + 3, y + 3, w - 6, h - 6)
    return (x, y, w, h)


def main():
    ui = sys.argv[1]
    clara = lee_ppm(sys.argv[2])
    origen_clara = (int(sys.argv[3]), int(sys.argv[4]))
    oscura = lee_ppm(sys.argv[5])
    origen_oscura = (int(sys.argv[6]), int(sys.argv[7]))
    rects = zonas(ui)
    fallos = 0
    for nombre, parte in TEXTOS:
        zona = texto(rects, nombre, parte)
        c = mide(clara, origen_clara, zona)
        o = mide(oscura, origen_oscura, zona)
        if c < 2:
            sys.exit("FALLO: no hay texto de %s en la imagen clara (%.2f:1)" % (nombre, c))
        bien = o >= 0.95 * c and (o >= 3 or c < 3)
        print("%-16s clara %5.2f:1  oscura %5.2f:1%s" % (nombre, c, o, "" if bien else "  FALLO"))
        fallos += not bien
    if fallos:
        sys.exit("FALLO: %d textos se leen peor con el tema oscuro" % fallos)


main()
