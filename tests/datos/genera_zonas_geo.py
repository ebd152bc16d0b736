#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The oracle for zona_geo_test: points with the zone the timezone-boundary-
builder polygons give them, computed with shapely (Debian's python3-shapely,
GEOS) on the full-precision polygons of the same geo-tz package that
lugares/datos/zonas_geo.py reduces to lugares/datos/zonas.idx (see
lugares/datos/geotz.py for the package, its version and sha256). It shares no
code with the index: neither its simplification nor its quantization nor the
C++ reader's ray test.

    tests/datos/genera_zonas_geo.py [--descargas DIR] [--semilla N]

Writes, in tests/datos/:
  zonas_geo_tierra.txt     TIERRA points uniform on the sphere that fall in
                           a land zone (territorial waters included)
  zonas_geo_fronteras.txt  FRONTERAS points within 5 km of a boundary: a
                           vertex of a zone's polygon (not on the border of
                           geo-tz's cell) moved in a random direction by a
                           distance uniform in 0 to 5 km; sea points too

Each file: '#' comment lines; "Z n id" lines numbering the zones (0 is the
sea: the nautical zone of the point's longitude); then one line per point,
"lat lon dentro cerca lejos": latitude and longitude (degrees, east
positive, as written, 4 decimals; the zones are computed for these rounded
values), the zones that contain the point, and the zones found within 1 km
of it, each as zone numbers joined by "+" ("0" for the sea); lejos is 1 when
the point is farther than 1 km from every boundary (the zones holding it
cover the whole 1 km disk, which no other zone nor the sea enters; where
zones overlap, the edge of the overlap is a boundary too), else 0.

The 1 km disk is a 64-sided polygon around the point of radius 1.02 km
(circumscribing the 1 km circle) in degrees scaled by the cosine of the
latitude (an equirectangular plane, Earth radius 6371 km); a zone is within
1 km when its polygons cover more than 1e-9 of the disk's area, the sea when
the land zones leave more than that uncovered. Points within 1 km of the
180th meridian are not drawn.
"""

import argparse
import math
import os
import random
import sys

from shapely.geometry import MultiPolygon, Polygon, box
from shapely.prepared import prep
from shapely.geometry import Point

AQUI = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(AQUI, "..", "..", "lugares", "datos"))
import geotz  # noqa: E402

TIERRA = 100000
FRONTERAS = 10000
KM_GRADO = 6371.0 * math.pi / 180


class Oraculo:
    def __init__(self, ruta):
        self.zonas, self.arbol, self.datos = geotz.lee_paquete(ruta)
        self.numero = {tz: i + 1 for i, tz in enumerate(self.zonas)}
        self.geos = {}

    def rasgos(self, hoja):
        if hoja not in self.geos:
            rs = []
            for tz, pols in geotz.rasgos(self.datos, *hoja):
                g = MultiPolygon([Polygon(p[0], p[1:]) for p in pols])
                if not g.is_valid:
                    g = g.buffer(0)
                rs.append((self.numero[tz], g, prep(g)))
            self.geos[hoja] = rs
        return self.geos[hoja]

    def hoja(self, lat, lon):
        """(box, leaf) holding the point, descending as geo-tz does."""
        nodo = self.arbol
        caja = (geotz.OESTE, geotz.SUR, geotz.ESTE, geotz.NORTE)
        while True:
            o, s, e, n = caja
            mlon = (o + e) / 2
            mlat = (s + n) / 2
            k = ("a" if lon >= mlon else "b") if lat >= mlat else ("d" if lon >= mlon else "c")
            caja = geotz.hijos(caja)[k]
            v = nodo.get(k)
            if v is None:
                return caja, None
            if isinstance(v, list):
                return caja, [self.numero[self.zonas[i]] for i in v]
            if "pos" in v:
                return caja, (v["pos"], v["len"])
            nodo = v

    def dentro(self, lat, lon):
        _, h = self.hoja(lat, lon)
        if h is None:
            return {0}
        if isinstance(h, list):
            return set(h)
        p = Point(lon, lat)
        zs = {z for z, _, pg in self.rasgos(h) if pg.contains(p)}
        return zs or {0}

    def hojas_en(self, o2, s2, e2, n2):
        pila = [(self.arbol, (geotz.OESTE, geotz.SUR, geotz.ESTE, geotz.NORTE))]
        while pila:
            nodo, caja = pila.pop()
            for k, c in geotz.hijos(caja).items():
                if c[0] > e2 or c[2] < o2 or c[1] > n2 or c[3] < s2:
                    continue
                v = nodo.get(k)
                if v is None:
                    yield c, None
                elif isinstance(v, list):
                    yield c, [self.numero[self.zonas[i]] for i in v]
                elif "pos" in v:
                    yield c, (v["pos"], v["len"])
                else:
                    pila.append((v, c))

    def cerca(self, lat, lon, dentro):
        """The zones within 1 km (0 for the sea), and whether the point is
        farther than 1 km from every boundary: the zones holding it cover
        the whole disk, and no other zone nor the sea is in it."""
        r = 1.02 / KM_GRADO
        c = math.cos(math.radians(lat))
        disco = Polygon([(lon + r / c * math.cos(2 * math.pi * i / 64) / math.cos(math.pi / 64),
                          lat + r * math.sin(2 * math.pi * i / 64) / math.cos(math.pi / 64))
                         for i in range(64)])
        tol = 1e-9 * disco.area
        zs = set()
        cubren = True
        for caja, h in self.hojas_en(*disco.bounds):
            trozo = disco.intersection(box(*caja))
            if trozo.area <= tol:
                continue
            if h is None:
                zs.add(0)
                enteras = {0}
            elif isinstance(h, list):
                zs.update(h)
                enteras = set(h)
            else:
                cubierto = 0.0
                enteras = set()
                for z, g, pg in self.rasgos(h):
                    if not pg.intersects(trozo):
                        continue
                    a = g.intersection(trozo).area
                    if a > tol:
                        zs.add(z)
                        cubierto += a
                    if a >= trozo.area - tol:
                        enteras.add(z)
                if trozo.area - cubierto > tol:
                    zs.add(0)
                    if cubierto <= tol:
                        enteras.add(0)
            cubren = cubren and dentro <= enteras
        return zs, cubren and zs == dentro


def escribe(ruta, titulo, oraculo, puntos):
    usadas = sorted({z for _, _, d, (c, _) in puntos for z in d | c})
    with open(ruta, "w") as f:
        f.write(f"# {titulo}\n")
        f.write(f"# Oracle: tests/datos/genera_zonas_geo.py (shapely {shapely_version()}) on "
                f"{geotz.PAQUETE} {geotz.VERSION}, {geotz.URL}, sha256 {geotz.SHA256}.\n")
        f.write("# The boundaries: timezone-boundary-builder (OpenStreetMap contributors), "
                "ODbL-1.0; see lugares/datos/ZONAS-PROCEDENCIA.md.\n")
        f.write("Z 0 mar\n")
        for z in usadas:
            if z:
                f.write(f"Z {z} {oraculo.zonas[z - 1]}\n")
        for lat, lon, d, (c, lejos) in puntos:
            f.write(f"{lat:.4f} {lon:.4f} {'+'.join(map(str, sorted(d)))} "
                    f"{'+'.join(map(str, sorted(c)))} {int(lejos)}\n")


def shapely_version():
    import shapely
    return shapely.__version__


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--descargas", default=os.path.expanduser("~/.cache/vespalba"))
    ap.add_argument("--semilla", type=int, default=20261211)
    ap.add_argument("--tierra", type=int, default=TIERRA)
    ap.add_argument("--fronteras", type=int, default=FRONTERAS)
    args = ap.parse_args()
    oraculo = Oraculo(geotz.descarga(args.descargas))
    azar = random.Random(args.semilla)

    def redondea(lat, lon):
        return round(lat, 4), round(lon, 4)

    tierra = []
    while len(tierra) < args.tierra:
        lat, lon = redondea(math.degrees(math.asin(2 * azar.random() - 1)), 360 * azar.random() - 180)
        if abs(lat) > 89.99 or 180 - abs(lon) < 0.02:
            continue
        d = oraculo.dentro(lat, lon)
        if d == {0}:
            continue
        tierra.append((lat, lon, d, oraculo.cerca(lat, lon, d)))
    escribe(os.path.join(AQUI, "zonas_geo_tierra.txt"),
            f"{args.tierra} points uniform on the sphere that fall in a land zone "
            f"(seed {args.semilla}).", oraculo, tierra)

    vertices = []
    for caja, _, h in geotz.hojas(oraculo.arbol):
        if isinstance(h, tuple):
            for tz, pols in geotz.rasgos(oraculo.datos, *h):
                for p in pols:
                    for r in p:
                        for x, y in r[:-1]:
                            if min(x - caja[0], caja[2] - x, y - caja[1], caja[3] - y) > 1e-5:
                                vertices.append((y, x))
    fronteras = []
    while len(fronteras) < args.fronteras:
        lat0, lon0 = azar.choice(vertices)
        d = 5.0 * azar.random() / KM_GRADO
        a = 2 * math.pi * azar.random()
        lat = lat0 + d * math.sin(a)
        lon = lon0 + d * math.cos(a) / math.cos(math.radians(lat0))
        lat, lon = redondea(lat, lon)
        if abs(lat) > 89.99 or 180 - abs(lon) < 0.05:
            continue
        d = oraculo.dentro(lat, lon)
        fronteras.append((lat, lon, d, oraculo.cerca(lat, lon, d)))
    escribe(os.path.join(AQUI, "zonas_geo_fronteras.txt"),
            f"{args.fronteras} points within 5 km of a vertex of a boundary (seed {args.semilla}).",
            oraculo, fronteras)


if __name__ == "__main__":
    main()
