// SPDX-License-Identifier: GPL-3.0-or-later
#include "astro/tiempo.h"

#include <cmath>

namespace Vespalba::ModuloVespalba {
namespace {

// Integer quotient of two numbers as the calendar formula wants it: each
// operand rounded to the nearest whole number (a half to the even
// neighbour), then the quotient truncated toward zero.
double CocienteEntero(double dividendo, double divisor) {
    return std::trunc(std::nearbyint(dividendo) / std::nearbyint(divisor));
}

// Date number yyyymmdd.1 of the last Julian-calendar day, 4 October 1582.
constexpr double UltimoDiaJuliano = 15821004.1;

}  // namespace

double FechaMJD(double anio, double mes, double dia, double hora) {
    // The calendar test uses the date as received, before the adjustments.
    const double numeroFecha = 10000.0 * anio + 100.0 * mes + dia;
    if (anio < 0.0) {
        anio += 1.0;  // no year zero: -1 moves to 0
    }
    if (mes <= 2.0) {
        mes += 12.0;  // January and February are months 13 and 14
        anio -= 1.0;  // of the year before
    }
    double b;
    if (numeroFecha <= UltimoDiaJuliano) {
        b = -2.0 + CocienteEntero(anio + 4716.0, 4.0) - 1179.0;
    } else {
        b = CocienteEntero(anio, 400.0) - CocienteEntero(anio, 100.0) + CocienteEntero(anio, 4.0);
    }
    return (365.0 * anio - 679004.0) + b + Trunca(30.6001 * (mes + 1.0)) + dia + hora / 24.0;
}

double TiempoSidereo(double mjd, double longitud) {
    const double mjd0 = Trunca(mjd);
    const double ut = (mjd - mjd0) * 24.0;
    const double t0 = (mjd0 - MJDEpoca2000) / DiasSigloJuliano;
    double gmst = 6.697374558 + 1.0027379093 * ut;
    gmst = gmst + (8640184.812866 + (0.093104 - 0.0000062 * t0) * t0) * t0 / 3600.0;
    return 24.0 * Frac((gmst - longitud / 15.0) / 24.0);
}

}  // namespace Vespalba::ModuloVespalba
