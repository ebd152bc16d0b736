// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla: the window's results from the command line, for a day, a
// month, a year or a range of days. Needs no display.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <optional>

#include "tools/tabla/ahora.h"
#include "tools/tabla/destino.h"
#include "tools/tabla/modulo.h"
#include "tools/tabla/orden.h"
#include "tools/tabla/salida.h"

namespace {

// Exit statuses.
constexpr int SalidaBien = 0;
constexpr int SalidaNoEscrita = 1;  // the output could not be made or written
constexpr int SalidaDatoInvalido = 2;
// 3, Vespalba::Tabla::SalidaNo: a --si that does not hold, a --proximo not found.

const char programa[] = "vespalba-tabla " VESPALBA_VERSION;

void Dice(const QString& mensaje) {
    std::fprintf(stderr, "vespalba-tabla: %s\n",
                 Vespalba::Tabla::UnaLinea(mensaje).toUtf8().constData());
}

// Writes `texto` to standard output, checked to the end.
int Imprime(const QByteArray& texto) {
    Vespalba::Tabla::Destino salida;
    if (salida.Abre(QString()) && salida.Escribe(texto) && salida.Termina()) return SalidaBien;
    Dice(salida.Motivo());
    return SalidaNoEscrita;
}

// Ends the output (see Destino::Termina), saying why when it fails.
int Termina(Vespalba::Tabla::Destino& destino, bool escrito) {
    if (destino.Termina(escrito)) return SalidaBien;
    Dice(destino.Motivo());
    return SalidaNoEscrita;
}

// The drawing module's entry point, or none with the reason. Looked for
// next to the program (the build tree), then where it is installed.
Vespalba::Tabla::DibujaPeticion CargaModulo(const QString& carpeta, QString& problema) {
    const QStringList rutas = {
        QDir(carpeta).filePath(QStringLiteral(VESPALBA_MODULO_RELATIVO "/") +
                               QLatin1String(Vespalba::Tabla::NombreModuloDibujo)),
        QDir(carpeta).filePath(QLatin1String(Vespalba::Tabla::NombreModuloDibujo)),
    };
    QString errores;
    for (const QString& ruta : rutas) {
        if (!QFileInfo::exists(ruta)) continue;
        // Never closed: its code runs until the program ends.
        void* so = dlopen(QFile::encodeName(ruta).constData(), RTLD_NOW | RTLD_LOCAL);
        if (so == nullptr) {
            errores = QString::fromLocal8Bit(dlerror());
            continue;
        }
        if (void* entrada = dlsym(so, Vespalba::Tabla::EntradaModuloDibujo)) {
            return reinterpret_cast<Vespalba::Tabla::DibujaPeticion>(entrada);
        }
        errores = QStringLiteral("%1 no tiene %2")
                      .arg(ruta, QLatin1String(Vespalba::Tabla::EntradaModuloDibujo));
    }
    problema = QStringLiteral(
                   "no se pudo cargar el módulo de dibujo %1 (%2); reinstale el paquete vespalba")
                   .arg(rutas.front(), errores.isEmpty() ? QStringLiteral("no está") : errores);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (a closed pipe) makes a write fail with EPIPE,
    // reported with status 1, instead of ending the program by the signal.
    std::signal(SIGPIPE, SIG_IGN);
    // The text formats need Qt Core only; a drawing ends this application
    // object and has the module make a QGuiApplication.
    std::optional<QCoreApplication> nucleo;
    nucleo.emplace(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vespalba-tabla"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VESPALBA_VERSION));

    const Vespalba::Tabla::Orden orden = Vespalba::Tabla::LeeOrden(
        QCoreApplication::arguments(), QDateTime::currentSecsSinceEpoch(),
        qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH") ? qEnvironmentVariable("SOURCE_DATE_EPOCH")
                                                       : QString());

    switch (orden.accion) {
        case Vespalba::Tabla::Accion::Error: Dice(orden.mensaje); return SalidaDatoInvalido;
        case Vespalba::Tabla::Accion::Ayuda: return Imprime(Vespalba::Tabla::TextoAyuda().toUtf8());
        case Vespalba::Tabla::Accion::Version: return Imprime(QByteArray(programa) + '\n');
        case Vespalba::Tabla::Accion::ListaLugares:
            return Imprime(Vespalba::Tabla::ListaDeLugares());
        case Vespalba::Tabla::Accion::Buscar: {
            const Vespalba::Tabla::Busqueda b = Vespalba::Tabla::BuscaLugares(orden.busqueda);
            if (!b.problema.isEmpty()) {
                Dice(b.problema);
                return SalidaDatoInvalido;
            }
            return Imprime(b.salida);
        }
        case Vespalba::Tabla::Accion::Ahora:
        case Vespalba::Tabla::Accion::Si:
        case Vespalba::Tabla::Accion::Proximo: {
            // The present instant: the answer, then its status (3: the
            // condition does not hold, or the event does not occur).
            if (!orden.aviso.isEmpty()) Dice(orden.aviso);
            const Vespalba::Tabla::Respuesta r =
                Vespalba::Tabla::Responde(orden.accion, orden.peticion);
            if (!r.salida.isEmpty()) {
                Vespalba::Tabla::Destino destino;
                if (!destino.Abre(orden.peticion.salida) || !destino.Escribe(r.salida) ||
                    !destino.Termina()) {
                    Dice(destino.Motivo());
                    return SalidaNoEscrita;
                }
            }
            if (!r.mensaje.isEmpty()) Dice(r.mensaje);
            return r.estado;
        }
        case Vespalba::Tabla::Accion::Calcular: break;
    }
    const Vespalba::Tabla::Peticion& peticion = orden.peticion;
    // Opened first (a named pipe waits here for its reader), so that a
    // terminal it leads to is known before anything is written.
    Vespalba::Tabla::Destino destino;
    if (!destino.Abre(peticion.salida)) {
        Dice(destino.Motivo());
        return SalidaNoEscrita;
    }
    const QString rechazo = Vespalba::Tabla::RechazoTerminal(peticion, destino.EsTerminal());
    if (!rechazo.isEmpty()) {
        Dice(rechazo);
        return SalidaDatoInvalido;
    }
    if (!orden.aviso.isEmpty()) {
        Dice(orden.aviso);
    }
    if (peticion.formato->lamina == Vespalba::Tabla::Lamina::Ninguna) {
        // Written as it is computed: a long range never sits whole in memory.
        const bool escrito = Vespalba::Tabla::EscribePorPartes(
            peticion, [&](const QByteArray& pieza) { return destino.Escribe(pieza); });
        return Termina(destino, escrito);
    }
    // A drawing: computed whole, drawn, then written.
    QString problema;
    const Vespalba::Tabla::DibujaPeticion dibuja =
        CargaModulo(QCoreApplication::applicationDirPath(), problema);
    if (dibuja == nullptr) {
        Dice(problema);
        return SalidaNoEscrita;
    }
    nucleo.reset();
    QByteArray dibujo;
    if (!dibuja(argc, argv, peticion, QLatin1String(programa), dibujo, problema)) {
        Dice(problema);
        return SalidaNoEscrita;  // a file of --salida is left as it was
    }
    return Termina(destino, destino.Escribe(dibujo));
}
