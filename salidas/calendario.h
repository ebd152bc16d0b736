// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's calendar: the days' events as an iCalendar (RFC 5545)
// file that calendar programs import, one VEVENT per event.
#pragma once

#include <QByteArray>

#include <vector>

#include "salidas/formatos.h"
#include "salidas/salida.h"

namespace Vespalba::Salidas {

// The whole calendar: VCALENDAR, one VEVENT for each chosen event
// (Peticion::eventos) of each day, in date order and within a day in time
// order, and the end. Times in UTC, truncated to the second; SUMMARY in
// Spanish ("Orto del Sol", "Fin del crepúsculo náutico", "Luna llena 98 %",
// "Comienzo de la hora dorada de la tarde": the golden and blue hours as
// their beginnings and ends, from the days' luzEspecial);
// UID made of the date, the event and the place, so that the same event of
// the same place and date always has the same one; DTSTAMP from
// Peticion::sello; LOCATION and GEO of the place; CRLF line ends and lines
// folded at 75 octets.
QByteArray EscribeIcs(const Peticion& peticion, const std::vector<DiaCalculado>& dias);

// The same bytes, block by block.
bool EscribeIcsPorBloques(const Peticion& peticion, const Bloques& bloques,
                          const Sumidero& sumidero);

}  // namespace Vespalba::Salidas
