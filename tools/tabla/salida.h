// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's printed forms of the computed days: an aligned text
// table (texto.cpp), CSV (RFC 4180, csv.cpp) and JSON Lines (json.cpp),
// each written whole or block by block as a long range is computed
// (bloques.h); and the lists of places of --lugares and --buscar. The days,
// their cells and the header's texts come from the day model (dias/).
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "dias/celdas.h"
#include "dias/dias.h"
#include "tools/tabla/bloques.h"
#include "tools/tabla/formatos.h"
#include "tools/tabla/orden.h"

namespace Vespalba::Tabla {

// The day model's names, as this program has always used them.
using namespace Vespalba::Dias;

// The shortest decimal text that reads back as the same double, in the 'g'
// form, byte for byte as QByteArray::number(x, 'g',
// QLocale::FloatingPointShortest) writes it (Qt's JSON writer's numbers);
// -0 is written as 0. The CSV and JSON rows' numbers. Below 1e15 in
// magnitude it is the standard library's shortest form, the same text
// without Qt's temporary array; above it the two part ways (Qt writes
// 98393908422337330 where the library writes ...328), and Qt writes it.
QByteArray Decimal(double x);

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

// The formats' writers block by block (see FormatoSalida::escribePorBloques).
// The text table's column widths and the offsets named in its header depend
// on every day, so a first pass finds them; a range of a few years keeps
// its days for the rows (about a kilobyte each), a longer one is computed
// again block by block.
bool EscribeTextoPorBloques(const Peticion& peticion, const Bloques& bloques,
                            const Sumidero& sumidero);
bool EscribeCsvPorBloques(const Peticion& peticion, const Bloques& bloques,
                          const Sumidero& sumidero);
bool EscribeJsonPorBloques(const Peticion& peticion, const Bloques& bloques,
                           const Sumidero& sumidero);

// The request computed and written in its format, piece by piece, as
// Reparto says. The bytes are those of the format's writer over all the
// days, whatever the split. Returns false when the sink refused a piece.
bool EscribePorPartes(const Peticion& peticion, const Sumidero& sumidero,
                      const Reparto& reparto = {});

// The same, gathered into one array.
QByteArray Escribe(const Peticion& peticion, const Reparto& reparto = {});

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
