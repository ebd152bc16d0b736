// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of the present moment share: instants written as civil
// times, the command line read at an instant, and the places they ask at.
#pragma once

#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "programa_tabla.h"
#include "tabla/orden.h"

namespace PruebasAhora {

// Seconds since 1970 UT of a civil date and time at an offset, hours east.
inline qint64 Segundos(std::chrono::sys_days d, int hora, int minuto, double desfaseHoras) {
    return qint64(d.time_since_epoch().count()) * 86400 + hora * 3600 + minuto * 60 -
           qint64(std::lround(desfaseHoras * 3600));
}

// vespalba-tabla's command line read at the instant `ahora`.
inline Vespalba::Tabla::Orden Lee(const QStringList& argumentos, qint64 ahora) {
    return Vespalba::Tabla::LeeOrden(QStringList{QStringLiteral("vespalba-tabla")} + argumentos,
                                     ahora);
}

inline const QStringList Valparaiso = {"--lugar", "valparaiso", "--tz", "America/Santiago"};
inline const QStringList Polar70 = {"--lat", "70", "--lon", "0", "--zona", "1"};
inline const QStringList Polar749 = {"--lat", "74.9", "--lon", "20", "--zona", "1"};
// 2026-12-11 02:00 UT.
inline const qint64 Diciembre2026 =
    Segundos(std::chrono::sys_days{std::chrono::year{2026} / 12 / 11}, 2, 0, 0.0);

using PruebasTabla::Ejecucion;
using PruebasTabla::Ejecuta;

}  // namespace PruebasAhora
