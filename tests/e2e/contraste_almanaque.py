# SPDX-License-Identifier: GPL-3.0-or-later
"""Contrast of a text on the screen, from a picture of the whole X screen
(binary PPM, 8 bits a channel) and the text's box in screen pixels.

The box's background is the colour most of its pixels have; the text is the
pixel that stands out most from it (the darkest on a light background, the
brightest on a dark one): the letters' smoothed edges only lower a figure,
and their core pixels keep the text's own colour, so the extreme pixel is
the text's. The figure is WCAG 2's contrast ratio, 1:1 to 21:1; 4.5:1 is the
least for normal text.

Used by almanaque_e2e.py and contraste_e2e.py."""

import sys


def lee_ppm(ruta):
    """(width, height, bytes of RGB pixels row by row) of a binary PPM."""
    with open(ruta, "rb") as f:
        datos = f.read()
    campos = []
    i = 0
    while len(campos) < 4:
        while datos[i:i + 1].isspace():
            i += 1
        if datos[i:i + 1] == b"#":
            while datos[i:i + 1] != b"\n":
                i += 1
            continue
        j = i
        while not datos[j:j + 1].isspace():
            j += 1
        campos.append(datos[i:j])
        i = j
    if campos[0] != b"P6" or int(campos[3]) != 255:
        sys.exit("FALLO: %s no es un PPM de 8 bits" % ruta)
    ancho, alto = int(campos[1]), int(campos[2])
    return ancho, alto, datos[i + 1:]


def luminancia(rgb):
    """Relative luminance (WCAG 2) of an sRGB colour of 8-bit channels."""
    def canal(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = rgb
    return 0.2126 * canal(r) + 0.7152 * canal(g) + 0.0722 * canal(b)


def contraste(a, b):
    la, lb = luminancia(a), luminancia(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def mide(imagen, caja):
    """(ratio, background, text colour) in the box (x, y, width, height) of
    the screen; the box is cut to the picture. None when nothing is left."""
    ancho, alto, px = imagen
    x0, y0, w, h = caja
    cuenta = {}
    for y in range(max(0, y0), min(alto, y0 + h)):
        fila = 3 * y * ancho
        for x in range(max(0, x0), min(ancho, x0 + w)):
            k = fila + 3 * x
            c = (px[k], px[k + 1], px[k + 2])
            cuenta[c] = cuenta.get(c, 0) + 1
    if not cuenta:
        return None
    fondo = max(cuenta, key=cuenta.get)
    tinta = max(cuenta, key=lambda c: contraste(fondo, c))
    return contraste(fondo, tinta), fondo, tinta


def hex_de(rgb):
    return "#%02x%02x%02x" % rgb
