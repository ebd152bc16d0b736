// SPDX-License-Identifier: GPL-3.0-or-later
// Angles, fractions and time scales: the elementary routines on which every
// Sun and Moon computation of Vespalba stands. Pure functions on doubles:
// none keeps state, prints, or changes its arguments, and none checks them.
#pragma once

#include <cmath>

namespace Vespalba::ModuloVespalba {

// Degrees to radians, as used by CosGrad and SenGrad. Written exactly as the
// method gives it: it is not the correctly rounded double of pi/180
// (0.017453292519943295), so CosGrad(90) is about -3.8e-16, not 0.
inline constexpr double GradoEnRadianes = 0.0174532925199433;

// Modified Julian date of the epoch J2000.0 (1 January 2000, 12 h), days.
inline constexpr double MJDEpoca2000 = 51544.5;

// Days in one Julian century.
inline constexpr double DiasSigloJuliano = 36525.0;

// Cosine of an angle.
//   x: angle, degrees (any real value).
// Returns cos(x * GradoEnRadianes).
inline double CosGrad(double x) { return std::cos(x * GradoEnRadianes); }

// Sine of an angle.
//   x: angle, degrees (any real value).
// Returns sin(x * GradoEnRadianes).
inline double SenGrad(double x) { return std::sin(x * GradoEnRadianes); }

// Fractional part measured from the floor: x - floor(x), in [0, 1).
// Frac(-0.25) = 0.75. A negative x so close to zero that x + 1 rounds to 1
// gives exactly 1 (for instance Frac(-1e-20) = 1).
inline double Frac(double x) { return x - std::floor(x); }

// Whole part truncated toward zero, with x's sign: sign(x) * floor(|x|).
// Trunca(-2.5) = -2, Trunca(2.5) = 2, Trunca(0) = 0.
inline double Trunca(double x) {
    const double signo = (x > 0.0) ? 1.0 : ((x < 0.0) ? -1.0 : 0.0);
    return signo * std::floor(std::fabs(x));
}

// Modified Julian date of a calendar date and hour.
//   anio: year; negative years count back without a year zero
//         (-1 is the year before year 1).
//   mes:  month, 1 to 12 in ordinary use (other values run on by formula).
//   dia:  day of the month; enters unrounded, so a fraction adds to the result.
//   hora: hours after 0 h, decimal.
// Dates up to 4 October 1582 are Julian-calendar dates, later ones
// Gregorian. Impossible dates are computed by the same formula:
// 31 April is 1 May, day 0 is the last day of the month before.
// Returns days since 17 November 1858, 0 h.
double FechaMJD(double anio, double mes, double dia, double hora);

// Local mean sidereal time.
//   mjd:      modified Julian date of the instant, universal time, days.
//   longitud: degrees, WEST positive, east negative.
// Returns decimal hours, [0, 24).
double TiempoSidereo(double mjd, double longitud);

}  // namespace Vespalba::ModuloVespalba
