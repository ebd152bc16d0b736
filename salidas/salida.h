// SPDX-License-Identifier: GPL-3.0-or-later
// The printed forms of the computed days: an aligned text table
// (texto.cpp), CSV (RFC 4180, csv.cpp) and JSON Lines (json.cpp), each
// written whole or block by block as a long range is computed (bloques.h).
// The days, their cells and the header's texts come from the day model
// (dias/).
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "dias/celdas.h"
#include "dias/dias.h"
#include "salidas/bloques.h"
#include "salidas/formatos.h"
#include "salidas/peticion.h"

namespace Vespalba::Salidas {

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

}  // namespace Vespalba::Salidas
