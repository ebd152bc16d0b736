// SPDX-License-Identifier: GPL-3.0-or-later
// Running the vespalba-tabla the test was built with (VESPALBA_TABLA, the
// program's path) and keeping what it did.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

namespace PruebasTabla {

// What the real program did: its exit status and its two outputs.
struct Ejecucion {
    int estado = -1;
    QByteArray salida, errores;
};

// Runs the program with `argumentos` in `entorno`; a program that does not
// end within two minutes, or ends by a signal, is a failure.
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

}  // namespace PruebasTabla
