// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's places: --lugar by name, with its refusals and hints, and
// the lists of --lugares and --buscar.
#pragma once

#include <QByteArray>
#include <QString>

#include "tabla/orden.h"

namespace Vespalba::Tabla {

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
    QString aviso;  // a note for the error output besides the list, or empty
};
Busqueda BuscaLugares(const QString& texto);

// The place of --lugar by name: one of the forty places, compared as
// NombreComparable does (the gazetteer is not opened then; its full name is
// its name as the window's list shows it, "Valparaíso"); otherwise a town
// of the gazetteer, asked for as "Nombre", "Nombre, Región" or "Nombre, País"
// (see Nomenclator::Busca). Several towns with the whole name: the most
// populous, and `aviso` says which and how many others there were; a part of
// one name only: that town, and `aviso` says which. Fills the place's name,
// coordinates, zone and full name in p, or gives the one-line refusal:
// unknown (with close names from both sources), a part of several names,
// a town at 75 degrees of latitude or more, or no gazetteer installed.
QString LeeNombreDeLugar(const QString& nombre, Peticion& p, QString& aviso);

// Close names of both sources for a refusal ("parecidos: Valparaíso (vea
// --lugares); en el nomenclátor: «Valparaíso, Chile», ..."); empty when
// there are none. Opens the gazetteer.
QString PistaDeLugar(const QString& nombre);

}  // namespace Vespalba::Tabla
