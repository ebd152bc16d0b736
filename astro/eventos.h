// SPDX-License-Identifier: GPL-3.0-or-later
// The day's event search: for one local calendar day at one place, the
// moments at which the Moon and the Sun cross five threshold altitudes
// (moonrise and moonset, sunrise and sunset, and the beginning of dawn and
// end of twilight for the civil, nautical and astronomical twilights);
// BuscaAlturaSol runs the same search for any other altitude of the Sun
// (the golden and blue hours' -4 and +6 degrees).
//
// Method: the sine of the body's altitude less the sine of the threshold is
// sampled at whole local hours 0 to 24; a parabola through three consecutive
// samples (Cuadratica) locates the crossings in each two-hour stretch.
#pragma once

#include <array>
#include <chrono>
#include <string_view>

namespace Vespalba::ModuloVespalba {

// Validated inputs of one calculation.
struct DatosCalculo {
    double Dia = 0.0;   // day of the month searched, (0, 31]; the window gives Fecha's
    double Mes = 0.0;   // month searched, (0, 12]; the window gives Fecha's
    double Anio = 0.0;  // year searched, [1980, 2040]; the window gives Fecha's
    // Calendar date composed from the rounded day, month and year with carry;
    // the date shown. The search does not read it.
    std::chrono::year_month_day Fecha{};
    double Latitud = 0.0;   // decimal degrees, north positive, |value| < 76
    double Longitud = 0.0;  // decimal degrees, WEST positive, |value| < 181
    double Zona = 0.0;      // hours, east positive: local = universal + Zona
};

// Event classes, in the order in which the search runs and the display
// reads them.
enum class ClaseEvento : int {
    Luna = 1,         // Moon, threshold +8'
    Sol = 2,          // Sun, threshold -50' (radius and refraction)
    Civil = 3,        // Sun, -6 degrees
    Nautico = 4,      // Sun, -12 degrees
    Astronomico = 5,  // Sun, -18 degrees
};

inline constexpr int NumClases = 5;

// Every class, in search order.
inline constexpr std::array<ClaseEvento, NumClases> Clases = {
    ClaseEvento::Luna, ClaseEvento::Sol, ClaseEvento::Civil, ClaseEvento::Nautico,
    ClaseEvento::Astronomico};

// The class's name in data (JSON and CSV fields, tests): "luna", "sol",
// "civil", "nautico", "astronomico".
std::string_view NombreClase(ClaseEvento clase);

// What a class did during the day.
enum class EstadoClase : int {
    SiempreBajo = 0,   // no crossing; not above the threshold at hour 0
    SiempreSobre = 1,  // no crossing; above the threshold at hour 0
    ConEventos = 2,    // at least one crossing found
};

// Result of one class. A time is meaningful only when its flag is true.
struct EventoClase {
    EstadoClase estado = EstadoClase::SiempreBajo;
    bool hayOrto = false;    // an upward crossing (rise, beginning of dawn)
    double horaOrto = 0.0;   // its local time, hours after local midnight, [0, 24]
    bool hayOcaso = false;   // a downward crossing (set, end of twilight)
    double horaOcaso = 0.0;  // its local time, hours after local midnight, [0, 24]
};

// Result of one day's search: one record per class, indexed by ClaseEvento.
struct EventosDia {
    std::array<EventoClase, NumClases> clases{};

    EventoClase& operator[](ClaseEvento c) { return clases[static_cast<int>(c) - 1]; }
    const EventoClase& operator[](ClaseEvento c) const { return clases[static_cast<int>(c) - 1]; }
};

// Threshold altitude of a class, degrees: +8' for the Moon's upper limb
// with parallax and refraction, -50' for the Sun's upper limb with
// refraction, then the three twilight depressions.
double AlturaUmbral(ClaseEvento clase);

// Sine of the altitude of the class's body (the Moon for Luna, the Sun for
// every other class).
//   clase:          event class; only whether it is Luna matters.
//   mjdMedianoche:  modified Julian date (universal time) of the local midnight.
//   hora:           hours after that midnight (any real value).
//   longitud:       degrees, west positive.
//   cosLat, senLat: cosine and sine of the latitude.
double SenAltura(ClaseEvento clase, double mjdMedianoche, double hora, double longitud,
                 double cosLat, double senLat);

// Parabola through three equally spaced samples at x = -1, 0, +1.
struct ResultadoCuadratica {
    double xe = 0.0;     // abscissa of the extremum
    double ye = 0.0;     // value at the extremum
    double raiz1 = 0.0;  // first root; when exactly one root lies in [-1, 1], it is here
    double raiz2 = 0.0;  // second root
    int nRaices = 0;     // number of roots in [-1, +1], 0 to 2
};

// Roots of the parabola through (yMenos, yCero, yMas). A discriminant of
// exactly 0 (a curve that only touches zero) yields no root. Three samples
// on a straight line (a = 0) are solved as a line: its root counts when it
// lies in [-1, 1]; a flat line has none; xe is then 0 and ye is yCero.
ResultadoCuadratica Cuadratica(double yMenos, double yCero, double yMas);

// Runs the whole search for one day: classes Luna to Astronomico, each on
// its own. Every time is in local hours of the zone counted from the local
// midnight that starts the date, in [0, 24]. The search ends a class at the
// first two-hour stretch after which both directions have been seen; a
// newer crossing of one direction replaces an older one. It starts by
// clearing the upper halves of the vector registers (LimpiaMitadesAltas), so
// that its speed does not depend on what the caller ran before.
EventosDia BuscaEventos(const DatosCalculo& datos);

// A civil day whose zone changes its offset during the day (or whose day
// does not start at 0 h, or does not last 24 hours), as an interval of the
// hour grid that BuscaEventos would sample for that date at the offset in
// force when the day starts.
struct DiaIntervalo {
    double Latitud = 0.0;    // decimal degrees, north positive, |value| < 75
    double Longitud = 0.0;   // decimal degrees, WEST positive
    double MjdOrigen = 0.0;  // modified Julian date (UT) of grid hour 0: the date's 0 h
                             // at the starting offset, FechaMJD(a, m, d, 0) - offset / 24
    double Desde = 0.0;      // grid hour at which the civil day starts, [0, 2)
    double Hasta = 24.0;     // grid hour at which the next civil day starts, (Desde, 26]
};

// The search of BuscaEventos over a civil day given as an interval: the same
// hour grid, two-hour stretches, parabola and keeping rule (the first
// stretch in which both directions have been seen ends a class; before it a
// newer crossing of one direction replaces an older one), with every
// crossing outside [Desde, Hasta) left out. A class without a kept crossing
// is always above or always below its threshold as it is at hour Desde.
// Times are grid hours in [Desde, Hasta): instants MjdOrigen + hora / 24,
// not yet wall-clock times. Like BuscaEventos, it starts by clearing the
// upper halves of the vector registers.
EventosDia BuscaEventosIntervalo(const DiaIntervalo& dia);

// ------------------------------------------------ any altitude of the Sun

// Sun altitudes, degrees, that BuscaAlturaSol is meant for: from the
// astronomical twilight's -18 degrees to 60 degrees. Higher ones are reached
// only in the hours around noon, from the tropics to middle latitudes, where
// the two crossings draw close to the culmination, and a two-hour parabola
// that holds both of them and the top between misplaces them.
inline constexpr double AlturaSolMinima = -18.0;
inline constexpr double AlturaSolMaxima = 60.0;

// The search of one of BuscaEventos' Sun classes, for any threshold: the
// moments at which the Sun's centre crosses `alturaGrados` (degrees,
// geometric; AlturaSolMinima to AlturaSolMaxima), upward (hayOrto, horaOrto)
// and downward (hayOcaso, horaOcaso), on the same hour grid with the same
// samples, parabola and keeping rule, and the same states when it does not
// cross (SiempreSobre, SiempreBajo). For the altitude of a class,
// AlturaUmbral(clase), the result is that class's in BuscaEventos(datos),
// to the bit: -6 is the civil twilight's; the golden and blue hours' -4 and
// +6 (astro/posicion.h) are searched exactly as it is.
EventoClase BuscaAlturaSol(const DatosCalculo& datos, double alturaGrados);

// The same over a civil day given as an interval, as BuscaEventosIntervalo
// searches its Sun classes: for AlturaUmbral(clase), that class's result in
// BuscaEventosIntervalo(dia), to the bit.
EventoClase BuscaAlturaSolIntervalo(const DiaIntervalo& dia, double alturaGrados);

}  // namespace Vespalba::ModuloVespalba
