// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac's other quantities, from the same low-precision Sun and Moon
// series as the day's event search: solar noon, the Moon's illuminated
// fraction and the four principal phases with the name of each day's phase,
// and the equinoxes and solstices.
//
// Instants are modified Julian dates in universal time, days. A civil day is
// given as its interval of universal time [mjdInicio, mjdFin): the instant of
// its local midnight and that of the next one, so a day of 23 or 25 hours (a
// change of the clock) needs nothing special. Time for the series is formed
// from universal time as the search forms it, T = (mjd - 51544.5) / 36525,
// with no correction to dynamical time.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace Vespalba::ModuloVespalba {

// Whether an instant belongs to a civil day: mjdInicio <= mjd < mjdFin. An
// event exactly at a midnight belongs to the day that midnight starts.
inline bool EnDiaCivil(double mjd, double mjdInicio, double mjdFin) {
    return mjdInicio <= mjd && mjd < mjdFin;
}

// ---------------------------------------------------------------- solar noon

// Width, days, below which the noon and phase searches stop refining a
// bracketed instant: 1e-7 day is under 0.01 s.
inline constexpr double ToleranciaInstante = 1e-7;

// Greatest step, hours, between the samples of the Sun's hour angle in the
// noon search. The hour angle grows by about one hour per hour and turns
// once a day, so a step under 12 hours holds at most one upper passage and
// tells it from the jump of the reduced angle at 12 h.
inline constexpr double PasoMediodia = 6.0;

// How many upper meridian passages of the Sun a civil day holds. The Sun
// returns to the meridian after an apparent solar day, 24 h 00 m 30 s at
// most (late December) and 23 h 59 m 38 s at least (mid September). So:
//   - an interval longer than 24 h 00 m 30 s always holds at least one, and
//     one shorter than 23 h 59 m 38 s at most one;
//   - none happens only when the passage falls within about half a minute
//     of a midnight on a 24-hour day, or within the missing hour of a
//     23-hour day: that is, only where the civil time is about 12 hours
//     away from the local solar time (a zone far from the longitude's), and
//     never with a zone within a few hours of the natural one;
//   - two happen likewise only on a 25-hour (or 24-hour) day of such a place.
enum class EstadoMediodia : int {
    SinPaso = 0,   // no upper passage in the interval
    UnPaso = 1,    // one: mjd and altura hold it
    DosPasos = 2,  // two: mjd and altura hold the first, mjdSegundo the second
};

struct MediodiaSolar {
    EstadoMediodia estado = EstadoMediodia::SinPaso;
    // Instant of the (first) upper passage, universal time MJD, days;
    // meaningful unless estado is SinPaso.
    double mjd = 0.0;
    // The Sun's altitude at that instant, degrees, positive above the
    // horizon: the geometric altitude of the centre (no refraction, no
    // parallax), negative in polar night. Meaningful unless SinPaso.
    double altura = 0.0;
    // Instant of the second passage when estado is DosPasos.
    double mjdSegundo = 0.0;
};

// Hour angle of the Sun, hours, reduced to [-12, 12): the local mean
// sidereal time less the Sun's right ascension. 0 at the upper meridian
// passage, negative before it (morning), positive after it.
//   mjd:      instant, universal time MJD.
//   longitud: degrees, WEST positive, as for TiempoSidereo.
double AnguloHorarioSol(double mjd, double longitud);

// Solar noon of a civil day: the upper meridian passages of the Sun (hour
// angle 0 while it grows) in [mjdInicio, mjdFin). The hour angle is sampled
// at most every PasoMediodia hours, each passage is bracketed between two
// samples and refined by false position (Illinois) to ToleranciaInstante.
//   mjdInicio, mjdFin: the day's interval, universal time MJD, mjdFin >
//                      mjdInicio (a civil day is 23 to 25 hours; of an
//                      interval of more than two days only the first two
//                      passages are reported). SinPaso when the interval is
//                      empty or not finite.
//   latitud:           degrees, north positive.
//   longitud:          degrees, WEST positive.
// Days that follow one another share out the passages: one at their common
// midnight, or closer to it than ToleranciaInstante, goes to exactly one of
// them, and its instant lies in that day. The local wall-clock time of the noon is the caller's:
// (mjd - mjdInicio)
// * 24 hours after midnight on a day without a change of the clock.
MediodiaSolar BuscaMediodia(double mjdInicio, double mjdFin, double latitud, double longitud);

// ------------------------------------------------------------- the Moon's phase

// Mean distances, km, of the Moon and the Sun from the Earth, for the phase
// angle of IluminacionLuna.
inline constexpr double DistanciaMediaLuna = 384400.0;
inline constexpr double DistanciaMediaSol = 149597870.7;

// Elongation in longitude of the Moon from the Sun: the Moon's geocentric
// ecliptic longitude less the Sun's, degrees, [0, 360). 0 at new moon, 90 at
// first quarter, 180 at full moon, 270 at last quarter.
//   mjd: instant, universal time MJD.
double ElongacionLuna(double mjd);

struct IluminacionLunar {
    // Illuminated fraction of the Moon's disc, 0 (new) to 1 (full).
    double fraccion = 0.0;
    // True while the elongation in longitude lies strictly between 0 and
    // 180 degrees (the lit part grows); false from full moon to new moon.
    bool creciente = false;
    // The elongation in longitude, degrees, [0, 360), as ElongacionLuna.
    double elongacion = 0.0;
};

// Illuminated fraction and waxing of the Moon at an instant.
//   mjd: instant, universal time MJD.
// The fraction comes from the Sun-Moon elongation E (the angle between the
// two seen from the Earth's centre, cos E = cos(beta) cos(lambdaMoon -
// lambdaSun)) through the phase angle i, the angle Sun-Moon-Earth:
// tan i = sin E / (r - cos E), r = DistanciaMediaLuna / DistanciaMediaSol,
// and k = (1 + cos i) / 2. The plain (1 - cos E) / 2 would neglect the Sun's
// finite distance, r sin^2(E) / 2: up to 0.0013 at the quarters. Taking the
// mean distances for the true ones costs under 0.0001; the series' own error
// in E is the larger part of the whole (0.003 at most over 1980-2040).
IluminacionLunar IluminacionLuna(double mjd);

// The four principal phases; the value times 90 is the elongation in
// longitude at which each occurs.
enum class FaseLunar : int {
    LunaNueva = 0,
    CuartoCreciente = 1,
    LunaLlena = 2,
    CuartoMenguante = 3,
};

struct FasePrincipal {
    FaseLunar fase = FaseLunar::LunaNueva;
    double mjd = 0.0;  // its instant, universal time MJD, days
};

// Step, days, of the bracketing scan of FasesEntre. The elongation grows by
// 10 to 16 degrees a day, so 4 days move it by less than the 90 degrees
// between two principal phases: each step holds at most one.
inline constexpr double PasoFases = 4.0;

// The principal phases whose instants lie in [mjdDesde, mjdHasta), in time
// order: the instants at which ElongacionLuna is 0, 90, 180 or 270 degrees.
// The elongation is sampled at whole multiples of PasoFases days from MJD 0;
// a step across which it enters a new quarter of the turn brackets that
// quarter's phase, refined by false position (Illinois) to
// ToleranciaInstante. The grid does not depend on the interval, so a phase
// has the same instant, to the bit, in every interval that holds it, and
// intervals that follow one another share out the phases, each to exactly
// one of them. Empty when mjdHasta <= mjdDesde or either is not finite.
std::vector<FasePrincipal> FasesEntre(double mjdDesde, double mjdHasta);

// The name of a day's phase: a principal phase on the civil day that holds
// its instant, otherwise the stretch between two principal phases.
enum class EtapaLunar : int {
    LunaNueva = 0,
    Creciente = 1,  // from new moon to first quarter
    CuartoCreciente = 2,
    GibosaCreciente = 3,  // from first quarter to full moon
    LunaLlena = 4,
    GibosaMenguante = 5,  // from full moon to last quarter
    CuartoMenguante = 6,
    Menguante = 7,  // from last quarter to new moon
};

// The principal stage of a principal phase, and the stretches that follow
// and precede it.
inline EtapaLunar EtapaDeFase(FaseLunar f) {
    return static_cast<EtapaLunar>(2 * static_cast<int>(f));
}
inline EtapaLunar EtapaTrasFase(FaseLunar f) {
    return static_cast<EtapaLunar>(2 * static_cast<int>(f) + 1);
}
inline EtapaLunar EtapaAntesDeFase(FaseLunar f) {
    return static_cast<EtapaLunar>((2 * static_cast<int>(f) + 7) % 8);
}

// Spanish name of a stage, as shown: "Luna nueva", "Creciente", "Cuarto
// creciente", "Gibosa creciente", "Luna llena", "Gibosa menguante", "Cuarto
// menguante", "Menguante".
std::string_view NombreEtapa(EtapaLunar etapa);

// The stage of the Moon on a civil day.
//   fases:             principal phases in time order (as FasesEntre gives
//                      them), reaching at least the last one before the day
//                      or the first one after it.
//   mjdInicio, mjdFin: the day's interval, universal time MJD (EnDiaCivil).
// The principal stage of the first phase with an instant on the day (a day
// holds at most one: they are about 7.4 days apart); otherwise the stretch
// after the last phase before the day, or failing that the stretch before the
// first phase after it. Empty only when `fases` is empty.
std::optional<EtapaLunar> EtapaDelDia(std::span<const FasePrincipal> fases, double mjdInicio,
                                      double mjdFin);

// ------------------------------------------------- equinoxes and solstices

// The four instants of the year when the Sun's apparent ecliptic longitude is
// a multiple of 90 degrees; the value times 90 is that longitude.
enum class Estacion : int {
    EquinoccioMarzo = 0,       // 0 degrees
    SolsticioJunio = 1,        // 90 degrees
    EquinoccioSeptiembre = 2,  // 180 degrees
    SolsticioDiciembre = 3,    // 270 degrees
};

struct CambioDeEstacion {
    Estacion estacion = Estacion::EquinoccioMarzo;
    double mjd = 0.0;  // its instant, universal time MJD, days
};

// Step, days, of the bracketing scan of EstacionesEntre. The Sun's longitude
// grows by 0.95 to 1.02 degrees a day, so 30 days move it by about 31
// degrees at most, well under the 90 between two of these instants: each
// step holds at most one.
inline constexpr double PasoEstaciones = 30.0;

// The equinoxes and solstices whose instants lie in [mjdDesde, mjdHasta), in
// time order: the instants at which the Sun's apparent longitude is 0, 90,
// 180 or 270 degrees. The apparent longitude is that of EclipticaSol (the
// geometric one, referred to the mean equinox of the date) plus the
// nutation in longitude (its main term, up to 17.2") and the aberration
// (-20.5"); at the Sun's 0.99 degrees a day, each second of arc is 24
// seconds of time. As FasesEntre: the longitude is sampled at whole
// multiples of PasoEstaciones days from MJD 0; a step across which it enters
// a new quarter of the turn brackets that quarter's instant, refined by
// false position (Illinois) to ToleranciaInstante. The grid does not depend
// on the interval, so an instant is the same, to the bit, in every interval
// that holds it, and intervals that follow one another share them out, each
// to exactly one. Empty when mjdHasta <= mjdDesde or either is not finite.
// The series' own error (it lacks the planets' and the Moon's pull on the
// Earth) and universal time taken for dynamical time, as everywhere here,
// leave the instants up to about a quarter of an hour from the true ones
// over 1980-2041, mostly early.
std::vector<CambioDeEstacion> EstacionesEntre(double mjdDesde, double mjdHasta);

// Spanish name, as shown: "Equinoccio de marzo", "Solsticio de junio",
// "Equinoccio de septiembre", "Solsticio de diciembre".
std::string_view NombreEstacion(Estacion e);

}  // namespace Vespalba::ModuloVespalba
