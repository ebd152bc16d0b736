// SPDX-License-Identifier: GPL-3.0-or-later
// Low-precision positions of the Sun and the Moon: short trigonometric
// series of fixed coefficients, good to about a minute of arc for the Sun
// and a few minutes for the Moon, enough for rise, set and twilight times to
// the minute. The series give ecliptic coordinates (EclipticaSol,
// EclipticaLuna), which PosSol and PosLuna turn into equatorial ones.
#pragma once

namespace Vespalba::ModuloVespalba {

// One turn, radians (2*pi to ten significant digits, as the series use it).
inline constexpr double P2 = 6.283185307;
// Cosine and sine of the obliquity of the ecliptic.
inline constexpr double COSEPS = 0.91748;
inline constexpr double SINEPS = 0.39778;
// Seconds of arc in one radian.
inline constexpr double ARC = 206264.8062;
// Seconds of arc in one turn.
inline constexpr double SegundosPorVuelta = 1296000.0;

// Equatorial direction of a body.
struct PosicionEcuatorial {
    double ra;   // right ascension, decimal hours, [0, 24)
    double dec;  // declination, decimal degrees, north positive, (-90, 90)
};

// Ecliptic direction of a body, referred to the mean equinox of the date
// (the frame the series work in; both bodies share it, so their difference
// in longitude is free of precession).
struct PosicionEcliptica {
    double lon;  // ecliptic longitude, radians as the series count them (one
                 // turn is P2), [0, P2)
    double lat;  // ecliptic latitude, radians, north positive
};

// Ecliptic position of the Sun; its latitude is taken as exactly 0.
//   T: as for PosSol.
// PosSol(T) is the equatorial conversion of exactly this longitude.
PosicionEcliptica EclipticaSol(double T);

// Ecliptic position of the Moon (geocentric).
//   T: as for PosSol.
// PosLuna(T) is the equatorial conversion of exactly this direction.
PosicionEcliptica EclipticaLuna(double T);

// Position of the Sun.
//   T: Julian centuries of 36525 days from MJD 51544.5 (universal time is
//      used as is); negative before 1 January 2000, 12 h.
PosicionEcuatorial PosSol(double T);

// Position of the Moon (geocentric).
//   T: as for PosSol.
PosicionEcuatorial PosLuna(double T);

// Equatorial conversion shared by PosSol and PosLuna.
//   x, y, z: unit direction; x toward the equinox, z toward the north
//            celestial pole.
// The right ascension comes from the half-angle form atan(y / (x + rho)),
// which needs only the single-argument arc tangent; at the one point where
// x + rho is 0 (right ascension 12 h on the equator) it returns 12 h, the
// limit from either side.
PosicionEcuatorial ConversionEcuatorial(double x, double y, double z);

}  // namespace Vespalba::ModuloVespalba
