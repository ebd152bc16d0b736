// SPDX-License-Identifier: GPL-3.0-or-later
// A request for days and their output, as every program that writes them
// makes it (vespalba-tabla from its options, the almanac's export and
// printing): the days' Consulta (place, zone and dates), the format, the
// calendar's events, the pages' paper and the chart's size and bands.
#pragma once

#include <QSize>

#include "dias/consulta.h"
#include "salidas/formatos.h"

namespace Vespalba::Salidas {

// The events a calendar (ics) holds, as bits of Peticion::eventos.
enum EventoCalendario : unsigned {
    EventoOrto = 1u << 0,         // sunrise
    EventoOcaso = 1u << 1,        // sunset
    EventoCivil = 1u << 2,        // civil dawn and dusk
    EventoNautico = 1u << 3,      // nautical dawn and dusk
    EventoAstronomico = 1u << 4,  // astronomical dawn and dusk
    EventoLuna = 1u << 5,         // moonrise and moonset
    EventoFases = 1u << 6,        // the principal phases
    EventoMediodia = 1u << 7,     // solar noon
    EventoDorada = 1u << 8,       // the golden hours' beginnings and ends
    EventoAzul = 1u << 9,         // the blue hours' beginnings and ends
};

// The names --eventos takes, in the order --help lists them, with their bits.
struct NombreEventoCalendario {
    const char* nombre;
    unsigned bit;
};
inline constexpr NombreEventoCalendario EventosCalendario[] = {
    {"orto", EventoOrto},
    {"ocaso", EventoOcaso},
    {"civil", EventoCivil},
    {"nautico", EventoNautico},
    {"astronomico", EventoAstronomico},
    {"luna", EventoLuna},
    {"fases", EventoFases},
    {"mediodia", EventoMediodia},
    {"dorada", EventoDorada},
    {"azul", EventoAzul},
};
// The paper of the printed pages.
enum class Papel {
    A4,     // 210 x 297 mm
    Carta,  // US Letter, 8.5 x 11 inches
};

// The fewest days of a chart (svg, png): a shorter range is refused.
inline constexpr int DiasMinimosGrafico = 7;
// The sizes of a chart, pixels (SVG user units), both sides included.
inline constexpr QSize TamanoMinimo{320, 200};
inline constexpr QSize TamanoMaximo{8000, 8000};
inline constexpr QSize TamanoPorDefecto{1600, 900};

// The calendar's event names in order, joined by ", " and, before the last,
// by `y` (" o ", " y "): "orto, ocaso, ..., dorada o azul".
QString NombresDeEventos(const QString& y);

// A request for days and how to write them.
struct Peticion : Dias::Consulta {
    const FormatoSalida* formato = &Formatos().front();  // never null
    // The calendar's events, bits of EventoCalendario.
    unsigned eventos = EventoOrto | EventoOcaso | EventoFases;
    // The calendar's DTSTAMP, seconds since 1970-01-01 00:00 UT: the
    // SOURCE_DATE_EPOCH of the environment when set, so that the output can
    // be made again byte for byte, otherwise the present instant.
    qint64 sello = 0;
    Papel papel = Papel::A4;          // for pages
    QSize tamano = TamanoPorDefecto;  // for a chart
    bool luna = false;                // the Moon's hours on the chart
    bool dorada = false;              // the golden and blue hours on the chart
};

// Whether a PDF of the request starts with the chart: its days are one
// whole calendar year.
bool ConGraficoDelAnio(const Peticion& peticion);

// The days' request of a Peticion: its place, zone and dates, with the
// golden and blue hours (Consulta::luzEspecial) when its output shows them:
// the CSV's and JSON's last fields, the calendar's dorada and azul events,
// the chart's band of the golden hours. The text table does not show them,
// and its days are computed without.
Dias::Consulta ConsultaDeDias(const Peticion& peticion);

}  // namespace Vespalba::Salidas
