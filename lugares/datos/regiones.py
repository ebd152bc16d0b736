#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes lugares/datos/regiones.inc, the Spanish names of the world's
regions (GeoNames' first-order divisions, admin1) that the gazetteer gives
a place when libgeonames' own Spanish catalogue has none: GeoNames' Spanish
alternate names, as the npm package iso3166-2-db carries them
(data/names_geonames.json, by GeoNames id), each region found by its country
and admin1 code (data/iso3166-2.json). Also rewrites the list of the regions
without a Spanish name in REGIONES-PROCEDENCIA.md. Run by hand when the
data are to be updated; the build and the tests never download.

    lugares/datos/regiones.py [--descargas DIR]   # DIR keeps the tarball (default ~/.cache/vespalba)

regiones.inc is a C++ initializer list, one {"CC.ADMIN1", "nombre"} per
region, sorted by key in byte order, so that a binary search finds one.
"""

import argparse
import json
import os
import tarfile

import npm  # this folder's, beside this script

URL = "https://registry.npmjs.org/iso3166-2-db/-/iso3166-2-db-2.3.11.tgz"
SHA256 = "4dc122cf804334d079e9b4a1f91c495bf691b402fe51890dd521c0455d8fefa0"
AQUI = os.path.dirname(os.path.abspath(__file__))


def cadena_cpp(texto):
    """A C++ string literal of UTF-8 text: quotes and backslashes escaped;
    the letters kept as UTF-8 (the sources are UTF-8)."""
    return '"' + texto.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--descargas", default=os.path.expanduser("~/.cache/vespalba"))
    args = ap.parse_args()
    tarball = npm.descarga(args.descargas, URL, SHA256)
    with tarfile.open(tarball, "r:gz") as t:
        divisiones = json.load(t.extractfile("package/data/iso3166-2.json"))
        nombres = json.load(t.extractfile("package/data/names_geonames.json"))

    con_nombre = {}
    sin_nombre = {}  # country -> the regions' names as the package gives them
    for pais, datos in sorted(divisiones.items()):
        for region in datos.get("regions", []):
            admin = region.get("admin")
            if not admin:
                continue
            clave = f"{pais}.{admin}"
            geonames = str(region.get("reference", {}).get("geonames", ""))
            es = " ".join(nombres.get(geonames, {}).get("es", "").split())
            if es and clave not in con_nombre:
                con_nombre[clave] = es
            elif not es:
                sin_nombre.setdefault(pais, []).append(region.get("name", clave))

    claves = sorted(con_nombre, key=lambda c: c.encode())
    with open(os.path.join(AQUI, "regiones.inc"), "w", encoding="utf-8") as f:
        f.write("// SPDX-License-Identifier: CC-BY-4.0\n")
        f.write("// Written by lugares/datos/regiones.py from GeoNames' Spanish alternate\n")
        f.write("// names (see REGIONES-PROCEDENCIA.md); do not edit by hand.\n")
        for c in claves:
            f.write(f"{{{cadena_cpp(c)}, {cadena_cpp(con_nombre[c])}}},\n")

    procedencia = os.path.join(AQUI, "REGIONES-PROCEDENCIA.md")
    with open(procedencia, encoding="utf-8") as f:
        texto = f.read()
    marca = "## Regiones sin nombre en castellano\n"
    cabeza = texto.split(marca)[0]
    total = sum(len(v) for v in sin_nombre.values())
    lineas = [marca, "",
              f"{total} regiones de {len(sin_nombre)} países no tienen nombre en castellano "
              "entre los nombres alternativos de GeoNames que trae el paquete; el "
              "nomenclátor les da el de su catálogo en castellano si lo tiene, o el suyo "
              "sin la palabra genérica inglesa («Tumbes», no «Tumbes Region»).", ""]
    for pais in sorted(sin_nombre):
        regiones = sorted(set(sin_nombre[pais]))
        lineas.append(f"- {pais} ({len(regiones)}): " + ", ".join(regiones))
    with open(procedencia, "w", encoding="utf-8") as f:
        f.write(cabeza + "\n".join(lineas) + "\n")
    print(f"{os.path.relpath(os.path.join(AQUI, 'regiones.inc'))}: {len(claves)} regiones "
          f"con nombre en castellano; {total} sin él")


if __name__ == "__main__":
    main()
