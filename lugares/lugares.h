// SPDX-License-Identifier: GPL-3.0-or-later
// The place table: forty ports, islands and cities whose latitude and
// longitude the user can pick instead of typing them. One table for the
// window's place list and for the command-line program. No Qt here.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace Vespalba {

// One place. Degrees and minutes are whole numbers; the hemisphere texts are
// compared as they stand ("S" and "W" select south and west, anything else
// north and east). The zone and the country are not shown by the window.
struct Lugar {
    // Name shown in the list and key of a pick, UTF-8, exactly as stored:
    // padded with blanks to 18 characters (characters, not bytes: "Valparaíso
    // " is 18 characters in 19 bytes), except "Arica" and "Vitor", which
    // have no trailing blanks.
    std::string_view Nombre;
    std::int16_t LatGrados = 0;      // whole degrees of latitude, 0 to 74
    std::int16_t LatMinutos = 0;     // whole minutes of latitude, 0 to 59
    std::string_view LatHemisferio;  // "S" south, "N " (N and one blank) north
    std::int16_t LonGrados = 0;      // whole degrees of longitude, 0 to 179
    std::int16_t LonMinutos = 0;     // whole minutes of longitude, 0 to 59
    std::string_view LonHemisferio;  // "W" west, "E" east
    std::string_view Zona;           // IANA time zone of tzdata ("America/Santiago")
    std::string_view Pais;           // ISO 3166 country code ("CL")
};

// Number of places in the table: entries 1 to NumLugares are filled.
inline constexpr int NumLugares = 40;

// Room in the table: indices 0 to 100. Index 0 is never used, and the
// entries after NumLugares are empty (blank name, zero coordinates).
inline constexpr int CapacidadLugares = 101;

// The places, in the order of the list: Chilean ports and islands from north
// to south, then ports and cities elsewhere. Built at compile time; never
// changes.
extern const std::array<Lugar, CapacidadLugares> Lugares;

// Spanish name of a country of the table by its code ("CL": "Chile"), as
// libgeonames' catalogue spells it; empty for a code the table does not use.
std::string_view NombrePais(std::string_view codigo);

// A position in decimal degrees.
struct Coordenadas {
    double latitud = 0.0;   // degrees, north positive
    double longitud = 0.0;  // degrees, EAST positive, as maps and GPS give it
};

// A place's position as the window reads a picked place: degrees + minutes
// / 60 in that order, then negated for "S" and for "W" (anything else is
// north and east). The one conversion of the table's whole degrees and
// minutes: every caller gets the same bits.
Coordenadas CoordenadasDe(const Lugar& lugar);

}  // namespace Vespalba
