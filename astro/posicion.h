// SPDX-License-Identifier: GPL-3.0-or-later
// Where the Sun and the Moon are in the sky at an instant, and what part of
// the day that makes it: the horizontal position of each body from the same
// low-precision series and sidereal time as the day's event search, and the
// Sun's altitude read as night, the three twilights or day, morning or
// evening, golden hour or blue hour.
//
// Instants are modified Julian dates in universal time, days; universal time
// is taken for the series' time as the search takes it. Latitudes are north
// positive, longitudes WEST positive (as TiempoSidereo and the search take
// them), angles degrees.
#pragma once

namespace Vespalba::ModuloVespalba {

// A body's direction above the horizon as seen from the place.
struct PosicionHorizontal {
    // Altitude of the centre above the horizon, degrees, [-90, 90]:
    // geometric, with no refraction (the horizon's refraction alone lifts a
    // body by about 34').
    double altura = 0.0;
    // Azimuth, degrees from true north through east, [0, 360): 90 east,
    // 180 south, 270 west.
    double azimut = 0.0;
};

// The Sun's position at an instant.
//   mjd:      instant, universal time MJD.
//   latitud:  degrees, north positive.
//   longitud: degrees, WEST positive.
// The altitude is the one the event search samples (SenAltura of the Sun's
// classes: PosSol's direction, the local mean sidereal time, the latitude as
// given on a spherical Earth), so that it crosses a threshold at the
// instants the search interpolates. The Sun's parallax (8.8" at most) is left
// out, as the search leaves it out.
PosicionHorizontal PosicionSol(double mjd, double latitud, double longitud);

// The Moon's position at an instant, topocentric: seen from the place on the
// Earth's surface, not from its centre.
//   mjd, latitud, longitud: as for PosicionSol; the latitude is geodetic
//   (the one maps give) and the place is at sea level.
// The direction is PosLuna's (geocentric); the Moon's distance comes from
// its equatorial horizontal parallax, 3422.7" on average, plus the four
// largest periodic terms of lunar theory (ParalajeLuna), and the place's
// position from the Earth's ellipsoid (equatorial radius 1, flattening
// 1/298.257). Seeing the Moon from the surface lowers it by up to 0.96
// degrees near the horizon; leaving the periodic terms out would leave
// errors of up to 0.07 degrees there.
PosicionHorizontal PosicionLuna(double mjd, double latitud, double longitud);

// The Moon's equatorial horizontal parallax, degrees: the angle the Earth's
// equatorial radius subtends at the Moon (sin p = radius / distance).
//   T: Julian centuries from J2000.0, as for PosLuna.
// 3422.7" plus the ellipse's two terms (e and e^2 of the Moon's orbit,
// 186.5" cos l and 10.2" cos 2l), the evection (34.3" cos(2D - l)) and the
// variation (28.2" cos 2D), with l the Moon's mean anomaly and D the mean
// elongation of the series; the terms left out are under 3.1" each.
double ParalajeLuna(double T);

// ------------------------------------------------------- the part of the day

// The Sun's altitudes that divide the day, degrees, for the centre of the
// Sun at its geometric altitude. Day starts at the sunrise threshold
// AlturaUmbral(ClaseEvento::Sol), -50'.
inline constexpr double AlturaFinNoche = -18.0;         // astronomical twilight begins
inline constexpr double AlturaNauticoDesde = -12.0;     // nautical twilight begins
inline constexpr double AlturaCivilDesde = -6.0;        // civil twilight begins
inline constexpr double AlturaDiaDesde = -50.0 / 60.0;  // day: as AlturaUmbral(ClaseEvento::Sol)

// Golden hour and blue hour, degrees: the blue hour while the Sun's centre
// is from 6 to 4 degrees below the horizon, the golden hour from 4 below to
// 6 above. Mornings run up through them, evenings down.
inline constexpr double AlturaAzulDesde = -6.0;
inline constexpr double AlturaDoradaDesde = -4.0;
inline constexpr double AlturaDoradaHasta = 6.0;

// What the Sun's altitude makes of the moment.
enum class ParteDelDia : int {
    Noche = 0,                  // below -18 degrees
    CrepusculoAstronomico = 1,  // from -18 to -12
    CrepusculoNautico = 2,      // from -12 to -6
    CrepusculoCivil = 3,        // from -6 to -50'
    Dia = 4,                    // -50' and above
};

// Golden and blue hour, apart from the part of the day (they straddle the
// civil twilight and the day).
enum class LuzEspecial : int {
    Ninguna = 0,
    Azul = 1,    // -6 <= altitude < -4
    Dorada = 2,  // -4 <= altitude < +6
};

// The part of the day at a Sun's altitude (degrees, geometric, of the
// centre). Each part includes its lower bound: -18 exactly is astronomical
// twilight, -50' exactly is day. NaN reads as night.
ParteDelDia ParteDelDiaDeAltura(double alturaSol);

// Golden or blue hour at a Sun's altitude, degrees; each includes its lower
// bound, as ParteDelDiaDeAltura's parts. NaN reads as Ninguna.
LuzEspecial LuzEspecialDeAltura(double alturaSol);

// The part of the day's name in data and on the command line: "noche",
// "crepusculo-astronomico", "crepusculo-nautico", "crepusculo-civil",
// "dia"; and the special light's: "", "azul", "dorada".
const char* NombreParteDelDia(ParteDelDia parte);
const char* NombreLuzEspecial(LuzEspecial luz);

// The moment of the day at an instant and place.
struct MomentoDelDia {
    PosicionHorizontal sol;    // the Sun's position (PosicionSol)
    double anguloHorario = 0;  // the Sun's hour angle, hours, [-12, 12) (AnguloHorarioSol)
    ParteDelDia parte = ParteDelDia::Noche;
    LuzEspecial luz = LuzEspecial::Ninguna;
    // Morning while the Sun's hour angle is negative (from the lower
    // meridian passage, midnight, to the upper one, noon), when it rises;
    // evening from noon to midnight, when it sets.
    bool manana = false;
};

// The moment of the day at an instant.
//   mjd, latitud, longitud: as for PosicionSol.
MomentoDelDia MomentoDelDiaEn(double mjd, double latitud, double longitud);

}  // namespace Vespalba::ModuloVespalba
