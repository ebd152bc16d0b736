// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of the present moment share: instants written as civil
// times, the command line read at an instant, and the places they ask at.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "tools/tabla/orden.h"

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

// What the real program did: its exit status and its two outputs.
struct Ejecucion {
    int estado = -1;
    QByteArray salida, errores;
};

// Runs the vespalba-tabla the test was built with (VESPALBA_TABLA); a
// program that does not end within two minutes, or ends by a signal, is a
// failure.
inline Ejecucion Ejecuta(
    const QStringList& argumentos,
    const QProcessEnvironment& entorno = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.start(QStringLiteral(VESPALBA_TABLA), argumentos);
    Ejecucion e;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "vespalba-tabla no terminó: " << argumentos.join(' ').toStdString();
        p.kill();
        p.waitForFinished();
        return e;
    }
    e.estado = p.exitCode();
    e.salida = p.readAllStandardOutput();
    e.errores = p.readAllStandardError();
    return e;
}

}  // namespace PruebasAhora
