#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference values for solar noon, the Moon's illuminated fraction and the
principal phases, from PyEphem (Debian's python3-ephem), an independent
ephemeris of much higher precision than Vespalba's series.

    tests/datos/genera_referencias.py                # the sample in tests/datos/
    tests/datos/genera_referencias.py --completo DIR  # every day of 1980-2040 in DIR

The sample is what astro_test reads; the whole set is for measuring the
largest errors over 1980-2040 (see the README, "Precisión"):

    VESPALBA_REFERENCIAS=DIR build/tests/astro_test --gtest_filter='Precision*'

Files (comma-separated, '#' lines are comments, instants are modified Julian
dates in universal time, longitudes WEST positive as Vespalba takes them):
  mediodia.csv     latitud,longitud,mjd_inicio,mjd_fin,pasos,mjd_paso,altura,mjd_segundo
                   upper transits of the Sun in [mjd_inicio, mjd_fin): how
                   many, the first and its altitude (degrees, geometric: no
                   refraction), and the second when there are two (else nan)
  iluminacion.csv  mjd,fraccion,elongacion
                   geocentric illuminated fraction 0..1, and the Moon's
                   ecliptic longitude less the Sun's, degrees, (-180, 180]
                   (positive from new to full moon: waxing)
  fases.csv        fase,mjd
                   principal phases, 0 new, 1 first quarter, 2 full, 3 last
"""

import argparse
import datetime
import math
import os
import random
import sys

import ephem

# ephem.Date counts days from 1899 December 31, 12 h (Dublin Julian Day).
MJD_MENOS_DUBLIN = 15019.5



def mjd_de(anio, mes, dia):
    """Modified Julian date of a calendar date at 0 h."""
    return float((datetime.date(anio, mes, dia) - datetime.date(1858, 11, 17)).days)


MJD_1980 = mjd_de(1980, 1, 1)
MJD_2041 = mjd_de(2041, 1, 1)


def a_ephem(mjd):
    return ephem.Date(mjd - MJD_MENOS_DUBLIN)


def a_mjd(fecha):
    return float(fecha) + MJD_MENOS_DUBLIN


# Places: name, latitude (north +), longitude (WEST +), zone (hours, east +).
# Polar ones have days with the Sun below the horizon at noon; 80 N lies
# beyond the window's domain, which the computation does not need.
LUGARES = [
    ("Madrid", 40.4168, 3.7038, 1),
    ("Valparaíso", -33.0472, 71.6127, -4),
    ("Punta Arenas", -53.1638, 70.9171, -4),
    ("Quito", -0.1807, 78.4678, -5),
    ("Honolulú", 21.3069, 157.8583, -10),
    ("Tokio", 35.6762, -139.6503, 9),
    ("Wellington", -41.2865, -174.7762, 12),
    ("Tromsø", 69.6492, -18.9553, 1),
    ("70 N 0", 70.0, 0.0, 0),
    ("74.9 S 0", -74.9, 0.0, 0),
    ("80 N 15 E", 80.0, -15.0, 1),
]


def observador(lat, lon_oeste):
    o = ephem.Observer()
    o.lat = str(lat)
    o.lon = str(-lon_oeste)
    o.elevation = 0.0
    o.pressure = 0.0  # no refraction: the geometric altitude
    return o


def pasos_meridiano(lat, lon_oeste, inicio, fin):
    """Upper transits of the Sun in [inicio, fin), as (mjd, altitude)."""
    o = observador(lat, lon_oeste)
    sol = ephem.Sun()
    pasos = []
    desde = inicio
    while True:
        t = a_mjd(o.next_transit(sol, start=a_ephem(desde)))
        if t >= fin:
            return pasos
        if t >= inicio:
            o.date = a_ephem(t)
            sol.compute(o)
            pasos.append((t, math.degrees(float(sol.alt))))
        desde = t + 1.0 / 1440.0


def fila_mediodia(lat, lon_oeste, inicio, fin):
    pasos = pasos_meridiano(lat, lon_oeste, inicio, fin)
    primero = pasos[0] if pasos else (math.nan, math.nan)
    segundo = pasos[1][0] if len(pasos) > 1 else math.nan
    return (f"{lat:.4f},{lon_oeste:.4f},{inicio:.8f},{fin:.8f},{len(pasos)},"
            f"{primero[0]:.8f},{primero[1]:.5f},{segundo:.8f}")


def dias_mediodia(completo, azar):
    """(place, mjd of the date) pairs."""
    if completo:
        return [(l, d) for l in LUGARES for d in range(int(MJD_1980), int(MJD_2041))]
    pares = []
    for l in LUGARES:
        pares += [(l, azar.randrange(int(MJD_1980), int(MJD_2041))) for _ in range(30)]
    # Every place near both solstices, where the polar ones are in polar
    # night or midnight sun.
    for anio in (1980, 2003, 2029):
        for l in LUGARES:
            pares += [(l, int(mjd_de(anio, 12, 21))), (l, int(mjd_de(anio, 6, 21)))]
    return pares


def clausulas_especiales():
    """Days of 23 and 25 hours, and intervals with no or two transits."""
    filas = []
    # Madrid's changes of the clock in 2024: 31 March (23 h: local midnight
    # 23:00 UT on the 30th to 22:00 UT) and 27 October (25 h: 22:00 UT on the
    # 26th to 23:00 UT).
    marzo, octubre = mjd_de(2024, 3, 31), mjd_de(2024, 10, 27)
    filas.append(fila_mediodia(40.4168, 3.7038, marzo - 1 / 24, marzo + 22 / 24))
    filas.append(fila_mediodia(40.4168, 3.7038, octubre - 2 / 24, octubre + 23 / 24))
    # At 179 W with a zone of 0 the Sun passes the meridian near 23:40 UT in
    # early November: a 23-hour day from 0 h holds none, a 25-hour day from
    # 23 h the day before holds two.
    noviembre = mjd_de(2024, 11, 3)
    filas.append(fila_mediodia(10.0, 179.0, noviembre, noviembre + 23 / 24))
    filas.append(fila_mediodia(10.0, 179.0, noviembre - 1 / 24, noviembre + 1))
    return filas


def mediodia(completo, azar):
    filas = []
    for (nombre, lat, lon, zona), d in dias_mediodia(completo, azar):
        inicio = d - zona / 24.0
        filas.append(fila_mediodia(lat, lon, inicio, inicio + 1.0))
    return filas + clausulas_especiales()


def iluminacion(completo, azar):
    luna = ephem.Moon()
    sol = ephem.Sun()
    if completo:
        instantes = [MJD_1980 + 0.5 * k + 0.1234 for k in range(int((MJD_2041 - MJD_1980) * 2))]
    else:
        instantes = sorted(azar.uniform(MJD_1980, MJD_2041) for _ in range(400))
    filas = []
    for t in instantes:
        luna.compute(a_ephem(t))
        sol.compute(a_ephem(t))
        d = math.degrees(float(ephem.Ecliptic(luna).lon) - float(ephem.Ecliptic(sol).lon))
        d = d - 360.0 * math.floor((d + 180.0) / 360.0)  # [-180, 180)
        filas.append(f"{t:.8f},{luna.moon_phase:.6f},{d:.5f}")
    return filas


def fases(completo):
    siguientes = [ephem.next_new_moon, ephem.next_first_quarter_moon, ephem.next_full_moon,
                  ephem.next_last_quarter_moon]
    todas = []
    for fase, siguiente in enumerate(siguientes):
        t = a_ephem(MJD_1980)
        while True:
            t = siguiente(t)
            if a_mjd(t) >= MJD_2041:
                break
            todas.append((a_mjd(t), fase))
            t = ephem.Date(t + 1)
    todas.sort()
    if not completo:
        todas = todas[::7]  # 7 and 4 share no factor: every kind of phase
    return [f"{fase},{t:.8f}" for t, fase in todas]


def escribe(ruta, columnas, filas, procedencia):
    with open(ruta, "w", encoding="utf-8") as f:
        f.write("# SPDX-License-Identifier: GPL-3.0-or-later\n")
        for linea in procedencia:
            f.write(f"# {linea}\n")
        f.write(columnas + "\n")
        for fila in filas:
            f.write(fila + "\n")


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--completo", metavar="DIR",
                   help="every day of 1980-2040 into DIR instead of the sample into tests/datos")
    args = p.parse_args()
    destino = args.completo or os.path.dirname(os.path.abspath(__file__))
    os.makedirs(destino, exist_ok=True)
    azar = random.Random(20250101)
    procedencia = [
        "Made by tests/datos/genera_referencias.py"
        + (" --completo" if args.completo else "") + f" with PyEphem {ephem.__version__}",
        f"(Debian's python3-ephem), on {datetime.date.today().isoformat()}.",
        "Instants: modified Julian dates, universal time. Longitudes WEST positive.",
    ]
    escribe(os.path.join(destino, "mediodia.csv"),
            "latitud,longitud,mjd_inicio,mjd_fin,pasos,mjd_paso,altura,mjd_segundo",
            mediodia(bool(args.completo), azar), procedencia)
    escribe(os.path.join(destino, "iluminacion.csv"), "mjd,fraccion,elongacion",
            iluminacion(bool(args.completo), azar), procedencia)
    escribe(os.path.join(destino, "fases.csv"), "fase,mjd", fases(bool(args.completo)),
            procedencia)
    print(f"Referencias escritas en {destino}", file=sys.stderr)


if __name__ == "__main__":
    main()
