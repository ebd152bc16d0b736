#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The time-zone boundaries of the timezone-boundary-builder project as the
npm package geo-tz carries them ("all" set: one id per tzdata zone, land and
territorial waters only), downloaded once with curl, checked against a
pinned sha256 and decoded here, with no npm code.

geo-tz lays the boundaries out as a quadtree over the box lon -179.9999 to
179.9999, lat -89.9999 to 89.9999 (data/timezones.geojson.index.json): each
node splits at the midpoints of its box into "a" (north-east), "b"
(north-west), "c" (south-west) and "d" (south-east), a point on a midpoint
line going north and east; a leaf is either a list of zone numbers (the whole
cell lies in those zones; two when zones overlap), or {pos, len}, a
FeatureCollection in geobuf form in data/timezones.geojson.geo.dat holding
each zone's polygons clipped to the cell; a missing child is open sea.

Shared by lugares/datos/zonas_geo.py (the index) and
tests/datos/genera_zonas_geo.py (the test oracle).
"""

import json
import struct
import tarfile

import npm  # this folder's, beside this script

PAQUETE = "geo-tz"
VERSION = "8.1.10"
URL = "https://registry.npmjs.org/geo-tz/-/geo-tz-8.1.10.tgz"
SHA256 = "5eedfd93a1541d87d1944c53cb0abbdd6d006f6156a8dbc421731d1c3137bf19"
INDICE = "package/data/timezones.geojson.index.json"
DATOS = "package/data/timezones.geojson.geo.dat"

# The root box of geo-tz's quadtree, degrees.
OESTE, SUR, ESTE, NORTE = -179.9999, -89.9999, 179.9999, 89.9999


def descarga(carpeta):
    """The package's tarball in `carpeta` (downloaded when absent), checked
    against SHA256."""
    return npm.descarga(carpeta, URL, SHA256)


def lee_paquete(ruta):
    """(zone ids, lookup tree, geo.dat bytes) from the tarball."""
    with tarfile.open(ruta, "r:gz") as t:
        indice = json.load(t.extractfile(INDICE))
        datos = t.extractfile(DATOS).read()
    return indice["timezones"], indice["lookup"], datos


def hijos(caja):
    """The four children's boxes of a node's box (oeste, sur, este, norte),
    in geo-tz's order a, b, c, d, with its midpoints."""
    o, s, e, n = caja
    mlon = (o + e) / 2
    mlat = (s + n) / 2
    return {"a": (mlon, mlat, e, n), "b": (o, mlat, mlon, n),
            "c": (o, s, mlon, mlat), "d": (mlon, s, e, mlat)}


def hojas(arbol):
    """Every leaf: (box, letters from the root, leaf) where leaf is a list of
    zone numbers or (pos, len)."""
    pila = [(arbol, (OESTE, SUR, ESTE, NORTE), "")]
    while pila:
        nodo, caja, camino = pila.pop()
        subs = hijos(caja)
        for k, v in nodo.items():
            if isinstance(v, list):
                yield subs[k], camino + k, v
            elif "pos" in v:
                yield subs[k], camino + k, (v["pos"], v["len"])
            else:
                pila.append((v, subs[k], camino + k))


# --- geobuf: protocol buffers with delta- and zigzag-coded integer
# coordinates (precision 10^-6 degrees here) -------------------------------

def _campos(b):
    i = 0
    n = len(b)
    while i < n:
        k, i = npm.varint(b, i)
        f, t = k >> 3, k & 7
        if t == 0:
            v, i = npm.varint(b, i)
        elif t == 1:
            v = bytes(b[i:i + 8])
            i += 8
        elif t == 2:
            ln, i = npm.varint(b, i)
            v = b[i:i + ln]
            i += ln
        elif t == 5:
            v = bytes(b[i:i + 4])
            i += 4
        else:
            raise ValueError(f"geobuf: tipo de campo {t}")
        yield f, t, v


def _empaquetados(v):
    out = []
    i = 0
    while i < len(v):
        x, i = npm.varint(v, i)
        out.append(x)
    return out


def _valor(b):
    for f, _, v in _campos(b):
        if f in (1, 6):
            return bytes(v).decode()
        if f == 2:
            return struct.unpack("<d", v)[0]
        if f == 3:
            return v
        if f == 4:
            return -v
        if f == 5:
            return bool(v)
    return None


def _anillo(c, a, z, dim, e):
    # Coordinates are differences from the ring's previous point; a closed
    # ring is stored without its repeated last point.
    suma = [0] * dim
    pts = []
    for i in range(a, z, dim):
        for j in range(dim):
            suma[j] += c[i + j]
        pts.append((suma[0] / e, suma[1] / e))
    pts.append(pts[0])
    return pts


def _geometria(b, dim, e):
    tipo = 0
    lens = None
    c = []
    for f, _, v in _campos(b):
        if f == 1:
            tipo = v
        elif f == 2:
            lens = _empaquetados(v)
        elif f == 3:
            c = [(x >> 1) ^ -(x & 1) for x in _empaquetados(v)]
        elif f == 4:
            raise ValueError("geobuf: colección de geometrías")
    if tipo == 4:  # Polygon: lengths are the rings' point counts
        if not lens:
            return [[_anillo(c, 0, len(c), dim, e)]]
        anillos = []
        a = 0
        for n in lens:
            anillos.append(_anillo(c, a, a + n * dim, dim, e))
            a += n * dim
        return [anillos]
    if tipo == 5:  # MultiPolygon: [polygons, rings of 1, points..., rings of 2, ...]
        if not lens:
            return [[_anillo(c, 0, len(c), dim, e)]]
        pols = []
        a = 0
        j = 1
        for _ in range(lens[0]):
            anillos = []
            for k in range(lens[j]):
                n = lens[j + 1 + k]
                anillos.append(_anillo(c, a, a + n * dim, dim, e))
                a += n * dim
            j += lens[j] + 1
            pols.append(anillos)
        return pols
    raise ValueError(f"geobuf: geometría de tipo {tipo}")


def rasgos(datos, pos, largo):
    """The features of a leaf: [(tzid, [polygon as [exterior, holes...]])]."""
    b = memoryview(datos)[pos:pos + largo]
    claves = []
    dim = 2
    precision = 6
    coleccion = None
    for f, _, v in _campos(b):
        if f == 1:
            claves.append(bytes(v).decode())
        elif f == 2:
            dim = v
        elif f == 3:
            precision = v
        elif f == 4:
            coleccion = v
    e = 10 ** precision
    salida = []
    for f, _, v in _campos(coleccion):
        if f != 1:
            continue
        geo = None
        valores = []
        props = []
        for g, _, w in _campos(v):
            if g == 1:
                geo = w
            elif g == 13:
                valores.append(_valor(w))
            elif g == 14:
                props = _empaquetados(w)
        p = {claves[props[i]]: valores[props[i + 1]] for i in range(0, len(props), 2)}
        salida.append((p["tzid"], _geometria(geo, dim, e)))
    return salida
