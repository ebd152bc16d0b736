// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla-dibujo.so: the entry point of the drawing module (see
// modulo.h).
#include "salidas/modulo.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cstdio>
#include <type_traits>

#include "salidas/dibujo.h"

extern "C" __attribute__((visibility("default"))) bool vespalba_tabla_dibuja(
    int& argc, char** argv, const Vespalba::Salidas::Peticion& peticion, const QString& programa,
    QByteArray& salida, QString& problema) {
    // Drawing needs a platform for its letters, never a display: the
    // offscreen one works over SSH, from cron and in CI alike.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Qt's own notices in English ("XDG_RUNTIME_DIR not set", from cron)
    // would break the promise of one Spanish line on standard error; a
    // fatal one still ends the program with its reason.
    qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
        if (tipo == QtFatalMsg) {
            std::fprintf(stderr, "vespalba-tabla: %s\n", texto.toLocal8Bit().constData());
        }
    });
    const QGuiApplication app(argc, argv);
    const std::vector<Vespalba::Salidas::DiaCalculado> dias =
        Vespalba::Salidas::CalculaDias(Vespalba::Salidas::ConsultaDeDias(peticion));
    QBuffer buffer(&salida);
    buffer.open(QIODevice::WriteOnly);
    if (!Vespalba::Salidas::Dibuja(peticion, dias, buffer, programa)) {
        problema = QStringLiteral("no se pudo dibujar el formato %1")
                       .arg(QLatin1String(peticion.formato->nombre));
        return false;
    }
    return true;
}

// The entry point has the type the program expects.
static_assert(std::is_same_v<decltype(&vespalba_tabla_dibuja), Vespalba::Salidas::DibujaPeticion>);
