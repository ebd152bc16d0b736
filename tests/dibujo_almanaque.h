// SPDX-License-Identifier: GPL-3.0-or-later
// An Almanaque filled from vespalba-tabla's real computation, for the tests
// and benchmarks of the drawings: the request read from a command line as
// the program reads it, its days computed by CalculaDias and turned into an
// Almanaque by the program's own adapter (salidas/dibujo.h).
#pragma once

#include <QStringList>

#include <stdexcept>

#include "dibujo/almanaque.h"
#include "salidas/dibujo.h"
#include "salidas/salida.h"
#include "tabla/orden.h"

namespace Vespalba::Pruebas {

// The request of a vespalba-tabla command line ("--lat", "70", ...);
// throws on a line the program refuses.
inline Tabla::Peticion PeticionDe(const QStringList& argumentos) {
    const Tabla::Orden orden =
        Tabla::LeeOrden(QStringList{QStringLiteral("vespalba-tabla")} + argumentos, 0);
    if (orden.accion != Tabla::Accion::Calcular) {
        throw std::invalid_argument(orden.mensaje.toStdString());
    }
    return orden.peticion;
}

inline QString FechaIso(std::chrono::year_month_day f) {
    return QStringLiteral("%1-%2-%3")
        .arg(int(f.year()), 4, 10, QLatin1Char('0'))
        .arg(unsigned(f.month()), 2, 10, QLatin1Char('0'))
        .arg(unsigned(f.day()), 2, 10, QLatin1Char('0'));
}

// The Almanaque of a command line.
inline Dibujo::Almanaque AlmanaqueDe(const QStringList& argumentos) {
    const Tabla::Peticion peticion = PeticionDe(argumentos);
    return Salidas::AlmanaqueDe(peticion, Dias::CalculaDias(peticion));
}

// The program's own adapter, under the name the tests have used.
inline Dibujo::Almanaque AlmanaqueDe(const Tabla::Peticion& peticion,
                                     const std::vector<Dias::DiaCalculado>& dias) {
    return Salidas::AlmanaqueDe(peticion, dias);
}

}  // namespace Vespalba::Pruebas
