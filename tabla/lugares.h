// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's lists of places: --lugares and --buscar.
#pragma once

#include <QByteArray>
#include <QString>

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

}  // namespace Vespalba::Tabla
