// SPDX-License-Identifier: GPL-3.0-or-later
// Checking the window's inputs and turning them into the data of one
// calculation. Pure logic on texts and option states: no widget here.
#pragma once

#include <QLocale>
#include <QString>

#include <variant>

#include "astro/eventos.h"

namespace Vespalba {

// What "Calcular" reads from the window.
struct EntradasCalculo {
    QString FE1;           // day of the month
    QString FE2;           // month
    QString FE3;           // year
    QString L3;            // latitude, whole degrees
    QString L4;            // latitude, minutes
    QString G3;            // longitude, whole degrees
    QString G4;            // longitude, minutes
    QString Z;             // time zone, hours
    bool Lnn = false;      // latitude north selected ("N")
    bool Gee = false;      // longitude east selected ("E")
    bool Option2 = false;  // zone east selected ("E")
};

// The input box that failed a check, in the order of the checks.
enum class ControlEntrada { FE1, FE2, FE3, L3, L4, G3, G4, Z };

// Object name of the box in the window ("FE1", "L3", ...).
const char* NombreControl(ControlEntrada control);

// A failed check: the box to put the focus in, and its message.
struct FalloValidacion {
    ControlEntrada control;
    QString mensaje;
};

// The message of each box's check, exactly as the user reads it.
QString MensajeValidacion(ControlEntrada control);

// Checks the inputs in the fixed order day, month, year, latitude degrees,
// latitude minutes, longitude degrees, longitude minutes, zone, and stops at
// the first that fails. When all pass, returns the calculation's data:
// Latitud north positive, Longitud WEST positive, Zona east positive (the
// typed sign takes part: "-3" with "W" gives +3), Fecha composed from the
// integer readings of day, month and year with carry, and Dia/Mes/Anio that
// same date (so "1,5" searches day 2, the day the date box shows). A date
// whose rounding carries it out of 1980-2040 fails at the first of day and
// month that was rounded down to 0. A text that cannot be read as a number,
// or is not finite, is treated like an out-of-range value of its box.
std::variant<ModuloVespalba::DatosCalculo, FalloValidacion> ValidaDatos(
    const EntradasCalculo& entradas, const QLocale& locale = QLocale());

}  // namespace Vespalba
