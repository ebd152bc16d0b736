// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's computation and its three printed forms: an aligned text
// table, CSV (RFC 4180) and JSON Lines. Every time and mark comes from the
// same display rules as the window's result area.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTimeZone>

#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "astro/eventos.h"
#include "places/zonas.h"
#include "results/resultados.h"
#include "tools/tabla/orden.h"

namespace Vespalba::Tabla {

// When an event happened: its instant and the offset in force then.
struct Instante {
    qint64 segundos = 0;  // seconds since 1970-01-01 00:00 UT, truncated
    int desfase = 0;      // offset east of universal time in force, seconds
};

// One computed civil day: the search's result in wall-clock hours and what
// the window would show.
struct DiaCalculado {
    std::chrono::year_month_day fecha;
    // Wall-clock hours of the events, hours after the date's 0 h as the
    // clock in force at each event reads it, [0, 24]; on a day without a
    // clock change exactly the search's local hours.
    ModuloVespalba::EventosDia eventos;
    PantallaResultados pantalla;
    // False when the zone skips the date (Pacific/Apia 2011-12-30): no
    // events, an empty pantalla.
    bool existe = true;
    int desfase = 0;  // offset in force when the day starts, seconds east of UT
    // Per class (indexed as EventosDia::clases) the instant of the rise [0]
    // and of the set [1]; meaningful where the event's flag is set.
    std::array<std::array<Instante, 2>, ModuloVespalba::NumClases> instantes{};
    // Hours of daylight: the time elapsed from sunrise to sunset (also across
    // a clock change), 24 when the Sun stays up, 0 when it stays down.
    std::optional<double> horasLuz;
    // The clock changes of the day, "00:00 → 01:00, -04 → -03".
    QStringList cambios;
};

// The search and the display rules for one day of the request. `zona` is
// the request's IANA zone already made (CalculaDias makes it once); none
// makes it from peticion.zonaHoraria. `desfases`, the zone's offsets over
// the request's dates, spares most days the exact description of the civil
// day; the results are the same without it.
DiaCalculado CalculaDia(const Peticion& peticion, std::chrono::sys_days dia,
                        const QTimeZone* zona = nullptr, const DesfasesZona* desfases = nullptr);

// Every day of the request, from desde to hasta.
std::vector<DiaCalculado> CalculaDias(const Peticion& peticion);

// The aligned table: a header with the place, coordinates and zone; one row
// per day (date, the two moon events in the window's order with their names,
// the eight Sun and twilight times, the daylight and the status sentence);
// the column titles again at each new month; a legend of the marks. UTF-8.
QByteArray EscribeTexto(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// RFC 4180: one title row and one row per day, CRLF line ends. Texts as the
// window shows them, quoted; times also as decimal hours (empty when the
// event was not found); latitude north positive, longitude WEST positive.
QByteArray EscribeCsv(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// JSON Lines: one object per day, members in this order:
//   {"fecha":"2003-07-02","latitud":-33.266666666666666,"longitud":71.6,
//    "zona":-4,"clases":{"luna":{"estado":..,"orto":H|null,"ocaso":H|null},
//    "sol":{..},"civil":{..},"nautico":{..},"astronomico":{..}},
//    "textos":{<the ten boxes>,"Label1":..,"Label8":..,"HorasLuz":..,
//    "TextInfo":..|null,"ColorMarco":[..]}}
// Hours are shortest round-trip decimals; longitud is west positive.
QByteArray EscribeJson(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// The request computed and written in its format.
QByteArray Escribe(const Peticion& peticion);

// The forty places with their coordinates, one per line, for --lugares.
QByteArray ListaDeLugares();

// Most lines of places --buscar prints.
inline constexpr int MaximoBuscados = 20;

// --buscar: the places whose names contain the text (see
// LugaresQueContienen and Nomenclator::BuscaTexto), the forty places first,
// as an aligned table of name, region, country, latitude and longitude
// (decimal degrees, north and east positive), zone and people; at most
// MaximoBuscados lines of places, then a line saying how many more there
// are. UTF-8. When nothing matches, or the gazetteer cannot be opened, no
// text but the one-line reason in `problema`.
struct Busqueda {
    QByteArray salida;
    QString problema;
};
Busqueda BuscaLugares(const QString& texto);

}  // namespace Vespalba::Tabla
