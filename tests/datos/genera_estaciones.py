#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference instants of the equinoxes and solstices of 1980-2041, from
PyEphem (Debian's python3-ephem), an independent ephemeris of much higher
precision than Vespalba's series.

    tests/datos/genera_estaciones.py    # writes tests/datos/estaciones.csv

PyEphem finds the instants at which the Sun's apparent geocentric right
ascension is a multiple of 6 hours, which on the ecliptic is where its
apparent longitude is a multiple of 90 degrees. All of them are kept (248
rows), so astro_test compares every one.

File (comma-separated, '#' lines are comments, instants are modified Julian
dates in universal time):
  estaciones.csv   estacion,mjd
                   0 March equinox, 1 June solstice, 2 September equinox,
                   3 December solstice
"""

import datetime
import os
import sys

import ephem

# The other reference files' helpers: dates, conversions and the writer.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from genera_referencias import a_ephem, a_mjd, escribe, mjd_de  # noqa: E402

MJD_1980 = mjd_de(1980, 1, 1)
MJD_2042 = mjd_de(2042, 1, 1)


def estaciones():
    siguientes = [ephem.next_vernal_equinox, ephem.next_summer_solstice,
                  ephem.next_autumnal_equinox, ephem.next_winter_solstice]
    todas = []
    for estacion, siguiente in enumerate(siguientes):
        t = a_ephem(MJD_1980)
        while True:
            t = siguiente(t)
            if a_mjd(t) >= MJD_2042:
                break
            todas.append((a_mjd(t), estacion))
            t = ephem.Date(t + 1)
    todas.sort()
    return [f"{estacion},{t:.8f}" for t, estacion in todas]


def main():
    destino = os.path.dirname(os.path.abspath(__file__))
    procedencia = [
        f"Made by tests/datos/genera_estaciones.py with PyEphem {ephem.__version__}",
        f"(Debian's python3-ephem), on {datetime.date.today().isoformat()}.",
        "Instants: modified Julian dates, universal time; 1980-2041, every one.",
    ]
    escribe(os.path.join(destino, "estaciones.csv"), "estacion,mjd", estaciones(), procedencia)
    print(f"Referencias escritas en {destino}", file=sys.stderr)


if __name__ == "__main__":
    main()
