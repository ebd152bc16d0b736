#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes lugares/datos/zonas.idx, the index ZonaEn (lugares/zona_geo.h) reads:
the IANA time zone of any point on land or in territorial waters, from the
timezone-boundary-builder boundaries that the npm package geo-tz carries
(see lugares/datos/geotz.py). Run by hand when the data are to be updated;
the build never downloads anything.

    lugares/datos/zonas_geo.py [--descargas DIR]   # DIR keeps the tarball (default ~/.cache/vespalba)

Needs curl and Debian's python3-shapely. About a minute on one core.

The index keeps geo-tz's quadtree as it is (about 39,000 leaves, cells of
0.7 degrees and more) and stores, for each cell that a boundary crosses, the
zones' polygons clipped to the cell, simplified by Douglas-Peucker with a
tolerance of TOLERANCIA degrees (111 m of latitude at most) and quantized to
16 bits across the cell (1.2 m in a 0.7-degree cell). A point farther than
about 150 m from every boundary is placed as the exact polygons place it;
the reader also measures the distance to the nearest boundary, so that it
can say when one passes within a kilometre.

Format (little-endian; offsets in bytes from the file's start):

  header, 32 bytes:
    char[8] "VZONAS1\\0"
    u32 zonas        number of zones; zone numbers run 1..zonas, 0 is the sea
    u32 tablaZonas   offset of the zone table
    u32 nodos        number of quadtree nodes (node 0 is the root)
    u32 tablaNodos   offset of the nodes
    u32 geometria    offset of the geometry section
    u32 largo        length of the file
  zone table: per zone (1..zonas) 3 x u32: offset of its id (NUL-ended
    ASCII), offset of the id to use instead when the system's tzdata lacks
    it (0 when none), and its rank in size (0 the smallest): where two zones
    overlap (Asia/Urumqi over Asia/Shanghai in Xinjiang, Europe/Moscow and
    Asia/Tbilisi in Abkhazia and South Ossetia) the smaller one is given as
    the place's zone and the larger as the other.
  nodes: per node 4 x u32 slots, for the children north-east, north-west,
    south-west, south-east of the node's box (split at the midpoints
    (a + b) / 2 computed in doubles; a point on a midpoint goes north and
    east). A slot is:
      0                        open sea (no land zone in the cell)
      0b00 << 30 | n           node n (n >= 1)
      0b01 << 30 | b << 15 | a  the whole cell is in zone a (and also in
                               zone b when b != 0: overlapping zones)
      0b10 << 30 | g           geometry at u16 index g of the geometry section
  geometry of a cell: u16 pieces, then per piece u16 zone, u16 rings, and
    per ring u16 points followed by that many (u16 x, u16 y): x = 0 at the
    cell's west edge, 65535 at its east edge, y likewise south to north;
    each ring closed (its last point repeats its first). A point lies in a
    piece when a ray from it crosses the piece's rings an odd number of
    times; edges with both ends on one side of the cell are the cell's
    border, not a boundary.
"""

import argparse
import math
import os
import struct
import sys

from shapely.geometry import MultiPolygon, Polygon

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import geotz  # noqa: E402

TOLERANCIA = 0.001  # degrees
ESCALA = 65535

# Zones the system's tzdata may lack (added to tzdata in the year shown), and
# the older zone the reader uses instead, which keeps the same clock today.
SUSTITUTAS = {
    "America/Coyhaique": "America/Punta_Arenas",  # 2025b: Aysen on -03 all year, as Magallanes
    "America/Ciudad_Juarez": "America/Denver",     # 2022g: US Mountain time since 2022
    "Europe/Kyiv": "Europe/Kiev",                  # 2022b: the new spelling
    "Pacific/Kanton": "Pacific/Enderbury",         # 2021b: the new spelling
    "America/Nuuk": "America/Godthab",             # 2020a: the new spelling
    "Asia/Qostanay": "Asia/Qyzylorda",             # 2018h
    "Europe/Saratov": "Europe/Volgograd",          # 2016j
    "Asia/Famagusta": "Asia/Nicosia",              # 2016j
}


def poligonos(pols):
    g = MultiPolygon([Polygon(p[0], p[1:]) for p in pols])
    return g if g.is_valid else g.buffer(0)


def anillos(g):
    """The rings of a (multi)polygon, exterior and holes alike."""
    partes = g.geoms if g.geom_type == "MultiPolygon" else [g]
    for p in partes:
        yield p.exterior
        yield from p.interiors


def cuantiza(caja, pts):
    o, s, e, n = caja
    out = []
    for x, y in pts:
        qx = min(ESCALA, max(0, round((x - o) / (e - o) * ESCALA)))
        qy = min(ESCALA, max(0, round((y - s) / (n - s) * ESCALA)))
        if not out or out[-1] != (qx, qy):
            out.append((qx, qy))
    return out


def geometria_celda(caja, rasgos, numero):
    """The u16 words of a cell's geometry."""
    piezas = []
    for tz, pols in rasgos:
        g = poligonos(pols)
        rs = []
        for r in anillos(g):
            simple = r.simplify(TOLERANCIA, preserve_topology=False)
            if simple.is_empty or len(simple.coords) < 4:
                continue
            q = cuantiza(caja, simple.coords)
            if q[0] != q[-1]:
                q.append(q[0])
            if len(q) < 4:
                continue
            if len(q) > 0xFFFF:
                raise SystemExit(f"anillo de {len(q)} puntos en {caja}")
            rs.append(q)
        if rs:
            piezas.append((numero[tz], rs))
    palabras = [len(piezas)]
    for zona, rs in piezas:
        palabras += [zona, len(rs)]
        for q in rs:
            palabras.append(len(q))
            for x, y in q:
                palabras += [x, y]
    return palabras


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--descargas", default=os.path.expanduser("~/.cache/vespalba"))
    ap.add_argument("--salida", default=os.path.normpath(os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "zonas.idx")))
    args = ap.parse_args()

    ruta = geotz.descarga(args.descargas)
    zonas, arbol, datos = geotz.lee_paquete(ruta)
    numero = {tz: i + 1 for i, tz in enumerate(zonas)}

    # Sizes for the rule on overlaps: areas on the sphere, roughly (square
    # degrees times the cosine of the latitude).
    area = [0.0] * (len(zonas) + 1)
    geometrias = {}
    for caja, _, hoja in geotz.hojas(arbol):
        o, s, e, n = caja
        if isinstance(hoja, list):
            for i in hoja:
                area[i + 1] += (e - o) * (n - s) * math.cos(math.radians((s + n) / 2))
        else:
            rs = geotz.rasgos(datos, *hoja)
            geometrias[caja] = rs
            for tz, pols in rs:
                g = poligonos(pols)
                area[numero[tz]] += g.area * math.cos(math.radians(g.centroid.y))
    orden = sorted(range(1, len(zonas) + 1), key=lambda i: (area[i], zonas[i - 1]))
    rango = {z: r for r, z in enumerate(orden)}

    # The nodes, root first, breadth-first; the geometry as u16 words.
    nodos = []
    geo = []
    cola = [(arbol, (geotz.OESTE, geotz.SUR, geotz.ESTE, geotz.NORTE))]
    nodos.append(None)
    indice_cola = 0
    while indice_cola < len(cola):
        nodo, caja = cola[indice_cola]
        subs = geotz.hijos(caja)
        ranuras = []
        for k in "abcd":
            v = nodo.get(k)
            c = subs[k]
            if v is None:
                ranuras.append(0)
            elif isinstance(v, list):
                zs = sorted((numero[zonas[i]] for i in v), key=lambda z: rango[z])
                if len(zs) > 2:
                    raise SystemExit(f"tres zonas en {c}")
                b = zs[1] if len(zs) > 1 else 0
                ranuras.append((1 << 30) | (b << 15) | zs[0])
            elif "pos" in v:
                palabras = geometria_celda(c, geometrias[c], numero)
                if palabras[0] == 0:
                    ranuras.append(0)
                    continue
                if len(geo) >= 1 << 30:
                    raise SystemExit("índice demasiado grande")
                ranuras.append((2 << 30) | len(geo))
                geo += palabras
            else:
                ranuras.append(len(cola))
                cola.append((v, c))
                nodos.append(None)
        nodos[indice_cola] = ranuras
        indice_cola += 1
    assert len(zonas) < 1 << 15

    # Zone ids and their stand-ins.
    cabecera = 32
    tabla_zonas = cabecera
    textos = bytearray()
    inicio_textos = tabla_zonas + 12 * len(zonas)
    posiciones = {}

    def texto(t):
        if t not in posiciones:
            posiciones[t] = inicio_textos + len(textos)
            textos.extend(t.encode("ascii") + b"\0")
        return posiciones[t]

    filas = bytearray()
    for i, tz in enumerate(zonas):
        sust = SUSTITUTAS.get(tz)
        filas += struct.pack("<3I", texto(tz), texto(sust) if sust else 0, rango[i + 1])
    while (inicio_textos + len(textos)) % 4:
        textos.append(0)
    tabla_nodos = inicio_textos + len(textos)
    seccion_geo = tabla_nodos + 16 * len(nodos)
    largo = seccion_geo + 2 * len(geo)
    salida = bytearray(b"VZONAS1\0")
    salida += struct.pack("<6I", len(zonas), tabla_zonas, len(nodos), tabla_nodos, seccion_geo, largo)
    salida += filas + textos
    for r in nodos:
        salida += struct.pack("<4I", *r)
    salida += struct.pack(f"<{len(geo)}H", *geo)
    assert len(salida) == largo
    with open(args.salida + ".nuevo", "wb") as f:
        f.write(salida)
    os.replace(args.salida + ".nuevo", args.salida)
    print(f"{args.salida}: {largo} bytes, {len(zonas)} zonas, {len(nodos)} nodos, "
          f"{len(geo) // 2} puntos de geometría")


if __name__ == "__main__":
    main()
