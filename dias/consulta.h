// SPDX-License-Identifier: GPL-3.0-or-later
// What a request for civil days is: a place, the civil time its days are
// read in, and the dates. The almanac programs fill it (vespalba-tabla from
// its command line, the almanac window from its boxes) and the day model
// computes from it; how the days are then written or shown is each
// program's own.
#pragma once

#include <QString>

#include <chrono>

namespace Vespalba::Dias {

struct Consulta {
    // Name of the picked place as stored in the table (with its trailing
    // blanks), or the town's name from the gazetteer ("Concepción"), or
    // empty when the coordinates were given.
    QString lugar;
    double latitud = 0.0;   // decimal degrees, north positive, |value| < 75 (+ minutes)
    double longitud = 0.0;  // decimal degrees, WEST positive, as the search takes it
    // The days' civil time: an IANA zone name ("America/Santiago") whose
    // offsets and clock changes apply, or empty for the fixed offset `zona`.
    QString zonaHoraria;
    // IANA zone of the place (table or gazetteer); empty for coordinates.
    QString zonaDelLugar;
    // "Puerto Montt, Región de Los Lagos, Chile"; empty for coordinates.
    QString nombreCompleto;
    // How the zone was found when the request named none and its place
    // brought none ("según las coordenadas"; "zona náutica de la longitud,
    // en el mar"), for the text table's header; empty otherwise.
    QString origenZona;
    // Fixed offset, hours east positive: local = universal + zona, [-12, 14]
    // in quarter hours; unused when zonaHoraria is set.
    double zona = 0.0;
    std::chrono::sys_days desde{};  // first day
    std::chrono::sys_days hasta{};  // last day, included; never before desde
    // Whether each day also gets the golden and blue hours' boundaries
    // (DiaCalculado::luzEspecial): two more hourly searches of the Sun a
    // day, so only the outputs that show them ask for them.
    bool luzEspecial = false;
};

}  // namespace Vespalba::Dias
