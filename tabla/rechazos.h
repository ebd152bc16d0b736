// SPDX-License-Identifier: GPL-3.0-or-later
// How vespalba-tabla refuses a value, shared by the reading of the options
// (orden.cpp) and of a place by name (lugares.cpp).
#pragma once

#include <QString>

namespace Vespalba::Tabla {

// One line: "--lat «80»: fuera de rango; se acepta ...": the option, the
// value as typed, why it was refused and what the option accepts.
QString Rechazo(const QString& opcion, const QString& valor, const QString& problema,
                const QString& rango);

// What --lugar and --lat accept, said after the reason of a refusal.
extern const QString rangoLugar;
extern const QString rangoLat;

}  // namespace Vespalba::Tabla
