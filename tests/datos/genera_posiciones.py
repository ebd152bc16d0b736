#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference positions of the Sun and the Moon in the sky (altitude and
azimuth seen from a place at an instant), from PyEphem (Debian's
python3-ephem), an independent ephemeris of much higher precision than
Vespalba's series.

    tests/datos/genera_posiciones.py    # writes tests/datos/posiciones.csv

Places from 74 S to 74 N at longitudes all round the Earth, each at 24
instants drawn at random over 1980-2040 (a fixed seed, so the file is made
again the same with the same PyEphem). PyEphem's observer is at sea level
with pressure 0, so the altitudes are geometric (no refraction); its
positions are apparent and topocentric: the Moon's parallax is in them.

File (comma-separated, '#' lines are comments, instants are modified Julian
dates in universal time, longitudes WEST positive as Vespalba takes them):
  posiciones.csv   latitud,longitud,mjd,sol_altura,sol_azimut,luna_altura,luna_azimut
                   altitudes degrees above the horizon, azimuths degrees
                   from north through east, [0, 360)
"""

import datetime
import math
import os
import random
import sys

import ephem

# The other reference files' helpers: dates, conversions and the writer.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from genera_referencias import MJD_1980, MJD_2041, a_ephem, escribe, observador  # noqa: E402

# Latitude (north +) and longitude (WEST +), degrees.
LUGARES = [
    (-74.0, 0.0),
    (-66.5, -110.0),
    (-53.1638, 70.9171),  # Punta Arenas
    (-41.2865, -174.7762),  # Wellington
    (-33.0472, 71.6127),  # Valparaíso
    (-12.0, 150.0),
    (-0.1807, 78.4678),  # Quito
    (0.0, -179.5),
    (21.3069, 157.8583),  # Honolulú
    (35.6762, -139.6503),  # Tokio
    (40.4168, 3.7038),  # Madrid
    (51.5, 0.0),
    (60.0, -30.0),
    (64.8, 147.7),
    (69.6492, -18.9553),  # Tromsø
    (74.0, -90.0),
]

INSTANTES_POR_LUGAR = 24


def fila(lat, lon_oeste, mjd):
    o = observador(lat, lon_oeste)
    o.date = a_ephem(mjd)
    sol = ephem.Sun(o)
    luna = ephem.Moon(o)
    g = math.degrees
    return (f"{lat:.4f},{lon_oeste:.4f},{mjd:.8f},"
            f"{g(float(sol.alt)):.5f},{g(float(sol.az)):.5f},"
            f"{g(float(luna.alt)):.5f},{g(float(luna.az)):.5f}")


def main():
    azar = random.Random(20260101)
    filas = []
    for lat, lon in LUGARES:
        for _ in range(INSTANTES_POR_LUGAR):
            filas.append(fila(lat, lon, azar.uniform(MJD_1980, MJD_2041)))
    destino = os.path.dirname(os.path.abspath(__file__))
    procedencia = [
        f"Made by tests/datos/genera_posiciones.py with PyEphem {ephem.__version__}",
        f"(Debian's python3-ephem), on {datetime.date.today().isoformat()}.",
        "Instants: modified Julian dates, universal time. Longitudes WEST positive.",
        "Observer at sea level, pressure 0: geometric altitudes, topocentric positions.",
    ]
    escribe(os.path.join(destino, "posiciones.csv"),
            "latitud,longitud,mjd,sol_altura,sol_azimut,luna_altura,luna_azimut", filas,
            procedencia)
    print(f"Referencias escritas en {destino}", file=sys.stderr)


if __name__ == "__main__":
    main()
