// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a place as people type it, shared by the programs that take one
// (vespalba-tabla's options, the almanac's place and zone boxes): latitude
// and longitude in every accepted form, a fixed offset, a place by name
// among the forty places and the world gazetteer. Each program words its
// own messages around what is read here. Qt Core only.
#pragma once

#include <QString>

#include <optional>

#include "lugares/nomenclator.h"

namespace Vespalba {

// Result of reading one value: the number, or the reason it was refused.
struct Lectura {
    std::optional<double> valor;
    QString problema;  // why it was refused, e.g. "no es un número"
};

// The fixed offsets accepted, hours east of universal time, included: from
// the date line west (-12) to the Line Islands (+14), in quarter hours.
inline constexpr double DesfaseMinimo = -12.0;
inline constexpr double DesfaseMaximo = 14.0;

// Latitude, either as the window takes it, "33:16S" (whole degrees 0 to 74,
// minutes under 60 with optional decimals, hemisphere N or S), computed as
// degrees + minutes / 60 and then negated for the south; or as signed decimal
// degrees, north positive, |value| < 75.
// Gives decimal degrees, north positive.
Lectura LeeLatitud(const QString& texto);

// Longitude, either as the window takes it, "71:36W" (whole degrees 0 to
// 179, minutes under 60, hemisphere W or E), or as signed decimal degrees,
// EAST positive as maps and GPS give it, |value| < 180.
// Gives decimal degrees, WEST positive, the sign the search takes.
Lectura LeeLongitud(const QString& texto);

// A fixed offset, hours east positive, from DesfaseMinimo to DesfaseMaximo
// in quarter hours (5.5, 5.75, -3.5), with "." as the decimal mark.
Lectura LeeDesfase(const QString& texto);

// A signed decimal number: digits with an optional fraction, no exponent,
// no letters (so "nan" and "inf" are not numbers), "." as the decimal mark
// whatever the locale; -0 read as 0.
std::optional<double> LeeDecimal(const QString& texto);

// A message that quotes what was typed, made safe to print as one line:
// control characters in it (a newline, an escape) written as \xHH, so that
// it cannot break the line nor drive the terminal.
QString UnaLinea(const QString& mensaje);

// A place asked for by its name: one of the forty places, compared as
// NombreComparable does (the gazetteer is not opened then), otherwise a town
// of the gazetteer asked for as "Nombre", "Nombre, Región" or "Nombre, País"
// (see Nomenclator::Busca): the whole name (the most populous of several
// with it), or the one name that holds the text.
struct LugarPorNombre {
    enum class Resultado {
        DeLaTabla,       // one of the forty: tabla holds its number (1 to NumLugares)
        DelNomenclator,  // a town: encontrados.poblados.front()
        SinNomenclator,  // not one of the forty, and the gazetteer cannot be opened (motivo)
        Desconocido,     // no name holds the text
        Ambiguo,         // a part of several names (encontrados.total)
        FueraDeRango,    // the town lies at 75 degrees of latitude or more
    };
    Resultado resultado = Resultado::Desconocido;
    int tabla = 0;
    // The gazetteer's answer (how many matched, and the towns best first:
    // up to `maximo` for Ambiguo, the first alone otherwise); empty for one
    // of the forty.
    Encontrados encontrados;
    QString motivo;  // SinNomenclator: why the gazetteer cannot be opened
    // Why the gazetteer's places of 1,000 people or more are missing, when
    // they are (Nomenclator::Aviso); empty otherwise.
    QString avisoNomenclator;
};
LugarPorNombre BuscaPorNombre(const QString& nombre, int maximo);

}  // namespace Vespalba
